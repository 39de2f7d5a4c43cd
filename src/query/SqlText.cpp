#include "query/SqlText.h"

#include "engine/Operators.h"
#include "query/SqlWords.h"
#include "query/TConditionList.h"
#include "query/WholeFile.h"

#include <QIODevice>
#include <QStringList>

#include <algorithm>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

bool IsWordChar(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_');
}

QString QuoteText(const QString &text)
{
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

// Texts and dates are quoted; integers, booleans and unknown kinds are written bare.
QString QuoteValue(const QString &value, tDataType tip)
{
    return (tip == dtString || tip == dtDate) ? QuoteText(value) : value;
}

QString Predicate(const QString &property, const tCondition &row)
{
    const QString n = QuoteSqlName(property);
    const QString v1 = QuoteValue(row.v1, row.tip);
    switch (row.op) {
    case opExiste:
        return n + QLatin1String(" IS NOT NULL");
    case opNExistePas:
        return n + QLatin1String(" IS NULL");
    case opEgal:
        return n + QLatin1String(" = ") + v1;
    case opDifferent:
        return n + QLatin1String(" <> ") + v1;
    case opCommencePar:
        return n + QLatin1String(" LIKE ") + QuoteText(row.v1 + QLatin1Char('%'));
    case opContient:
        return n + QLatin1String(" LIKE ") + QuoteText(QLatin1Char('%') + row.v1 + QLatin1Char('%'));
    case opNeContientPas:
        return n + QLatin1String(" NOT LIKE ") + QuoteText(QLatin1Char('%') + row.v1 + QLatin1Char('%'));
    case opEntre:
        return n + QLatin1String(" >= ") + v1 + QLatin1String(" AND ") + n + QLatin1String(" <= ") +
               QuoteValue(row.v2, row.tip);
    case opInferieur:
        return n + QLatin1String(" < ") + v1;
    case opInferieurOuEgal:
        return n + QLatin1String(" <= ") + v1;
    case opSuperieur:
        return n + QLatin1String(" > ") + v1;
    case opSuperieurOuEgal:
        return n + QLatin1String(" >= ") + v1;
    default:
        return {};
    }
}

} // namespace

QString QuoteSqlName(const QString &name)
{
    const bool oneWord = !name.isEmpty() && std::all_of(name.begin(), name.end(), IsWordChar) &&
                         !name.front().isDigit() && ClassifyWord(name) == TSqlWord::Word;
    return oneWord ? name : QLatin1Char('[') + name + QLatin1Char(']');
}

QString BuildSqlText(const TConditionList &conditions, const QString &className, bool sortbycn)
{
    QStringList columns;
    QStringList predicates;
    for (const TConditionList::Row &row : conditions) {
        if (row.condition->disp)
            columns << QuoteSqlName(row.property);
        const QString predicate = Predicate(row.property, *row.condition);
        if (!predicate.isEmpty())
            predicates << predicate;
    }
    QString text = QLatin1String("SELECT ") + columns.join(QLatin1Char(',')) + LineEnd;
    text += QLatin1String("FROM ") + QuoteSqlName(className) + LineEnd;
    if (!predicates.isEmpty())
        text += QLatin1String("WHERE ") + predicates.join(QLatin1String(" AND ")) + LineEnd;
    if (sortbycn)
        text += QLatin1String("ORDER BY CN") + LineEnd;
    return text;
}

bool WriteSqlText(QIODevice &device, const TConditionList &conditions, const QString &className, bool sortbycn)
{
    const QByteArray bytes = BuildSqlText(conditions, className, sortbycn).toUtf8();
    return device.write(bytes) == bytes.size();
}

TQueryStatus WriteSqlFile(const QString &path, const TConditionList &conditions, const QString &className,
                          bool sortbycn)
{
    const bool written = WholeFile::Write(
        path, [&](QIODevice &device) { return WriteSqlText(device, conditions, className, sortbycn); });
    if (written)
        return {};
    return TQueryStatus::Error(TQueryStatus::FileError, QStringLiteral("Ne peut écrire dans %1").arg(path));
}
