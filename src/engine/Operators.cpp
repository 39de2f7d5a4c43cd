#include "engine/Operators.h"

const std::array<QString, OperatorCount> OperatorNames = {
    QStringLiteral("aucune"),
    QStringLiteral("existe"),
    QStringLiteral("n'existe pas"),
    QStringLiteral("égal"),
    QStringLiteral("different de"),
    QStringLiteral("commence par"),
    QStringLiteral("contient"),
    QStringLiteral("ne contient pas"),
    QStringLiteral("entre"),
    QStringLiteral("inférieur"),
    QStringLiteral("inférieur ou égal"),
    QStringLiteral("supérieur"),
    QStringLiteral("supérieur ou égal"),
};

QString OperatorName(uint8_t op)
{
    return op < OperatorCount ? OperatorNames[op] : QString();
}

uint8_t OperatorFromName(QStringView name)
{
    for (int op = 0; op < OperatorCount; ++op) {
        if (name == OperatorNames[op])
            return static_cast<uint8_t>(op);
    }
    return opAucune;
}

uint8_t OperatorFromSQL(QStringView keyword)
{
    struct Keyword {
        QStringView text;
        tOperator op;
    };
    static constexpr Keyword keywords[] = {
        {u"IS", opNExistePas}, {u"IS NOT", opExiste},          {u"=", opEgal},      {u"<>", opDifferent},
        {u"LIKE", opContient}, {u"NOT LIKE", opNeContientPas}, {u"<", opInferieur}, {u"<=", opInferieurOuEgal},
        {u">", opSuperieur},   {u">=", opSuperieurOuEgal},
    };
    for (const Keyword &k : keywords) {
        if (keyword == k.text)
            return k.op;
    }
    return opAucune;
}

QString StripWildcards(const QString &text)
{
    QString stripped = text;
    stripped.remove(QLatin1Char('%'));
    return stripped;
}

bool OperatorAllowed(uint8_t op, tDataType tip)
{
    if (op <= opNExistePas)
        return true;
    if (op >= OperatorCount)
        return false;
    switch (tip) {
    case dtInteger:
    case dtDate:
        return op == opEgal || op == opDifferent || op >= opEntre;
    case dtString:
        return true;
    case dtBoolean:
        return op == opEgal || op == opDifferent;
    case dtUnknown:
        break;
    }
    return false;
}
