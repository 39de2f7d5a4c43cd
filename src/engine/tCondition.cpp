#include "engine/tCondition.h"

#include "directory/LocaleFormats.h"
#include "engine/DataTypeNames.h"
#include "engine/EConvertError.h"
#include "engine/EInvalidCondition.h"
#include "engine/Operators.h"
#include "engine/ShownName.h"
#include "engine/ValueConversions.h"

#include <optional>

namespace {

// "TRUE", "FALSE" or empty, by the first character of an upper-cased boolean value.
QString BooleanWord(QChar first)
{
    switch (first.unicode()) {
    case u'1':
    case u'O':
    case u'T':
    case u'V':
    case u'Y':
        return QStringLiteral("TRUE");
    case u'0':
    case u'F':
    case u'N':
        return QStringLiteral("FALSE");
    default:
        return QString();
    }
}

// Whether upper-casing could change the text. ASCII without small letters is left
// alone under every locale's rules, which spares numbers, dates and booleans the cost
// of locale-aware upper-casing.
bool NeedsUpperCase(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 || (c >= u'a' && c <= u'z'))
            return true;
    }
    return false;
}

// Characters up to the blank count as blanks or control characters.
QStringView TrimBlanksAndControls(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.sliced(begin, end - begin);
}

template <typename Convert>
bool Compare(uint8_t op, QStringView value, QStringView bound1, QStringView bound2, Convert convert)
{
    const auto x = convert(value);
    const auto low = convert(bound1);
    if (!x || !low)
        return false;
    switch (op) {
    case opEgal:
        return *x == *low;
    case opDifferent:
        return *x != *low;
    case opEntre: {
        const auto high = convert(bound2);
        return high && !(*x < *low) && !(*high < *x);
    }
    case opInferieur:
        return *x < *low;
    case opInferieurOuEgal:
        return !(*low < *x);
    case opSuperieur:
        return *low < *x;
    case opSuperieurOuEgal:
        return !(*x < *low);
    default:
        return false;
    }
}

// Whether value stands to bound1 (and, for "entre", bound2) as comparison operator op
// says, all three read as values of kind tip: integers as numbers, dates as calendar
// days, texts by their character codes one by one, a prefix being the smaller. False
// when a value does not convert or op is not a comparison.
bool MeetsOrder(tDataType tip, uint8_t op, QStringView value, QStringView bound1, QStringView bound2)
{
    switch (tip) {
    case dtInteger:
        return Compare(op, value, bound1, bound2, ValueConversions::TextToInteger);
    case dtDate:
        return Compare(op, value, bound1, bound2, ValueConversions::TextToDay);
    case dtString:
        return Compare(op, value, bound1, bound2, [](QStringView text) { return std::optional<QStringView>(text); });
    case dtUnknown:
    case dtBoolean:
        break;
    }
    return false;
}

void CheckValue(tDataType tip, const QString &value)
{
    switch (tip) {
    case dtUnknown:
        throw EInvalidCondition(QStringLiteral("Type de données non supporté"));
    case dtInteger:
        if (!ValueConversions::TextToInteger(value))
            throw EConvertError(QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(ShownName(value)));
        break;
    case dtString:
        break;
    case dtBoolean:
        if (!QStringLiteral("01FNOTVY").contains(LocaleFormats::UpperCase(value.left(1))))
            throw EInvalidCondition(QStringLiteral("Valeur incorrecte pour un type booléen"));
        break;
    case dtDate:
        if (!ValueConversions::TextToDay(value))
            throw EConvertError(QStringLiteral("'%1' n'est pas une date correcte").arg(ShownName(value)));
        break;
    }
}

} // namespace

tCondition::tCondition(uint8_t op, tDataType tip, const QString &v1, const QString &v2, const QString &tn, bool disp)
    : op(op), tip(tip), v1(LocaleFormats::UpperCase(v1)), v2(LocaleFormats::UpperCase(v2)), tn(tn), disp(disp)
{
    if (!this->v1.isEmpty() && tip == dtBoolean)
        this->v1 = BooleanWord(this->v1.front());
}

bool tCondition::Validate() const
{
    if (op >= OperatorCount)
        throw EInvalidCondition(QStringLiteral("Opérateur %1 inconnu").arg(op));
    const QString name = OperatorName(op);

    if (op <= opNExistePas) {
        if (!v1.isEmpty() || !v2.isEmpty())
            throw EInvalidCondition(QStringLiteral("nombre d'arguments invalide (0 attendu)pour '%1'").arg(name));
    } else if (op == opEntre) {
        if (v1.isEmpty() || v2.isEmpty())
            throw EInvalidCondition(QStringLiteral("nombre d'arguments invalide (2 attendus)pour '%1'").arg(name));
    } else if (v1.isEmpty() || !v2.isEmpty()) {
        throw EInvalidCondition(QStringLiteral("nombre d'arguments invalide (1 attendu)pour '%1'").arg(name));
    }

    if (op > opNExistePas) {
        if (!OperatorAllowed(op, tip))
            throw EInvalidCondition(
                QStringLiteral("Type de données '%1' invalide pour l'opérateur '%2'").arg(DataTypeName(tip), name));
        CheckValue(tip, v1);
        if (op == opEntre) {
            CheckValue(tip, v2);
            if (!MeetsOrder(tip, opInferieurOuEgal, v1, v2, {}))
                throw EInvalidCondition(QStringLiteral("la valeur 1 '%1' doit être <= à la valeur 2 '%2'")
                                            .arg(ShownName(v1), ShownName(v2)));
        }
    }

    if (op == opAucune && !disp)
        throw EInvalidCondition(QStringLiteral("Vous devez afficher une propriété sans conditions!"));
    return true;
}

bool tCondition::Evaluate(const QString &valueText) const
{
    // Kinds past dtDate are read as unknown, as Validate names them.
    if (tip == dtUnknown || tip > dtDate || op == opAucune)
        return true;
    // Whether a value exists does not depend on its letters' case.
    if (op == opExiste)
        return !TrimBlanksAndControls(valueText).isEmpty();
    if (op == opNExistePas)
        return TrimBlanksAndControls(valueText).isEmpty();
    const QString upper = NeedsUpperCase(valueText) ? LocaleFormats::UpperCase(valueText) : valueText;
    const QStringView value = TrimBlanksAndControls(upper);

    switch (tip) {
    case dtString:
        switch (op) {
        case opCommencePar:
            return value.startsWith(v1);
        case opContient:
            return value.contains(v1);
        case opNeContientPas:
            return !value.contains(v1);
        default:
            return MeetsOrder(tip, op, value, v1, v2);
        }
    case dtInteger:
        // Equality is textual, so 007 differs from 7.
        if (op == opEgal)
            return value == v1;
        if (op == opDifferent)
            return value != v1;
        return MeetsOrder(tip, op, value, v1, v2);
    case dtDate:
        return MeetsOrder(tip, op, value, v1, v2);
    case dtBoolean: {
        const bool equal = (v1 == u"TRUE" || v1 == u"FALSE") && value == v1;
        if (op == opEgal)
            return equal;
        if (op == opDifferent)
            return !equal;
        return false;
    }
    case dtUnknown:
        break;
    }
    return true;
}
