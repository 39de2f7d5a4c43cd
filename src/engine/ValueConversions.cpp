#include "engine/ValueConversions.h"

#include "directory/LocaleFormats.h"

#include <QList>
#include <QLocale>
#include <QString>

#include <limits>

namespace ValueConversions {

std::optional<int64_t> TextToInteger(QStringView text)
{
    qsizetype pos = 0;
    const bool negative = !text.isEmpty() && text.front() == u'-';
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+'))
        ++pos;
    if (pos == text.size())
        return std::nullopt;
    // Accumulate unsigned: its range holds the magnitude of INT64_MIN.
    constexpr uint64_t limit = uint64_t(std::numeric_limits<int64_t>::max()) + 1;
    uint64_t magnitude = 0;
    for (; pos < text.size(); ++pos) {
        const char16_t c = text[pos].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const uint64_t digit = c - u'0';
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    if (!negative && magnitude == limit)
        return std::nullopt;
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

namespace {

enum class FieldKind : uint8_t { Literal, Day, Month, Year, Hour, Minute, Second, AmPm, Unsupported };

struct Field {
    FieldKind kind;
    QString literal;

    friend bool operator==(const Field &, const Field &) = default;
};

using Fields = QList<Field>;

// The fields of a QLocale date or time format; the zone field is left out.
Fields ParseFormat(const QString &format)
{
    Fields fields;
    const auto addLiteral = [&fields](QStringView text) {
        if (!fields.isEmpty() && fields.back().kind == FieldKind::Literal)
            fields.back().literal += text;
        else
            fields.append({FieldKind::Literal, text.toString()});
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == QLatin1Char('\'')) {
            if (i + 1 < format.size() && format[i + 1] == QLatin1Char('\'')) {
                addLiteral(u"'");
                i += 2;
                continue;
            }
            const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype end = close < 0 ? format.size() : close;
            addLiteral(QStringView(format).sliced(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == c)
            ++run;
        FieldKind kind = FieldKind::Literal;
        switch (c.unicode()) {
        case u'd':
            kind = run <= 2 ? FieldKind::Day : FieldKind::Unsupported;
            break;
        case u'M':
            kind = run <= 2 ? FieldKind::Month : FieldKind::Unsupported;
            break;
        case u'y':
            kind = FieldKind::Year;
            break;
        case u'h':
        case u'H':
            kind = FieldKind::Hour;
            break;
        case u'm':
            kind = FieldKind::Minute;
            break;
        case u's':
            kind = FieldKind::Second;
            break;
        case u'a':
        case u'A':
            kind = FieldKind::AmPm;
            if (i + run < format.size() && (format[i + run] == QLatin1Char('p') || format[i + run] == QLatin1Char('P')))
                ++run;
            break;
        case u'z':
        case u'g':
            kind = FieldKind::Unsupported;
            break;
        case u't':
            i += run;
            continue;
        default:
            break;
        }
        if (kind == FieldKind::Literal)
            addLiteral(QStringView(format).sliced(i, run));
        else
            fields.append({kind, QString()});
        i += run;
    }
    return fields;
}

bool Contains(const Fields &fields, FieldKind kind)
{
    for (const Field &f : fields) {
        if (f.kind == kind)
            return true;
    }
    return false;
}

// The fields without the one of the given kind and the literal that joins it to the
// others (the one before it, or after it when it comes first).
Fields Without(Fields fields, FieldKind kind)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (fields[i].kind != kind)
            continue;
        fields.removeAt(i);
        if (i > 0 && fields[i - 1].kind == FieldKind::Literal)
            fields.removeAt(i - 1);
        else if (i < fields.size() && fields[i].kind == FieldKind::Literal)
            fields.removeAt(i);
        break;
    }
    return fields;
}

// How the current locale writes dates and times, read once per locale.
struct Layout {
    QLocale locale;
    Fields date;
    // The forms a time of day may take: as the format has it, and without seconds
    // and/or the AM/PM marker.
    QList<Fields> times;
    QString am;
    QString pm;
    int century = 0;
};

Layout MakeLayout(const QLocale &locale)
{
    Layout layout;
    layout.locale = locale;
    layout.am = locale.amText();
    layout.pm = locale.pmText();
    layout.century = QDate::currentDate().year() / 100 * 100;

    layout.date = ParseFormat(LocaleFormats::ShortDateFormat());
    const bool dateUsable = Contains(layout.date, FieldKind::Day) && Contains(layout.date, FieldKind::Month) &&
                            Contains(layout.date, FieldKind::Year) && !Contains(layout.date, FieldKind::Unsupported);
    if (!dateUsable)
        layout.date.clear();

    const Fields time = ParseFormat(LocaleFormats::LongTimeFormat());
    if (Contains(time, FieldKind::Hour) && Contains(time, FieldKind::Minute) &&
        !Contains(time, FieldKind::Unsupported)) {
        const auto add = [&layout](const Fields &form) {
            if (!layout.times.contains(form))
                layout.times.append(form);
        };
        add(time);
        add(Without(time, FieldKind::Second));
        add(Without(time, FieldKind::AmPm));
        add(Without(Without(time, FieldKind::Second), FieldKind::AmPm));
    }
    return layout;
}

const Layout &CurrentLayout()
{
    thread_local std::optional<Layout> cached;
    const QLocale locale = LocaleFormats::Locale();
    if (!cached || cached->locale != locale)
        cached = MakeLayout(locale);
    return *cached;
}

struct Reading {
    int day = -1;
    int month = -1;
    int year = -1;
    int yearDigits = 0;
    int hour = -1;
    int minute = -1;
    int second = 0;
    bool marker = false;
};

// Reads up to maxDigits ASCII digits at pos; -1 when there is none.
int ReadNumber(QStringView text, qsizetype &pos, int maxDigits, int &digits)
{
    int value = 0;
    digits = 0;
    while (digits < maxDigits && pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
        value = value * 10 + (text[pos].unicode() - u'0');
        ++pos;
        ++digits;
    }
    return digits > 0 ? value : -1;
}

bool ReadLiteral(QStringView text, qsizetype &pos, const QString &literal)
{
    if (text.size() - pos < literal.size())
        return false;
    for (qsizetype i = 0; i < literal.size(); ++i) {
        const QChar want = literal[i];
        const QChar got = text[pos + i];
        if (want != got && (want.isSpace() ? !got.isSpace() : want.toCaseFolded() != got.toCaseFolded()))
            return false;
    }
    pos += literal.size();
    return true;
}

bool StartsWithAt(QStringView text, qsizetype pos, const QString &word)
{
    return !word.isEmpty() && text.sliced(pos).startsWith(word, Qt::CaseInsensitive);
}

bool ReadFields(QStringView text, qsizetype &pos, const Fields &fields, const Layout &layout, Reading &r)
{
    for (const Field &f : fields) {
        int digits = 0;
        switch (f.kind) {
        case FieldKind::Literal:
            if (!ReadLiteral(text, pos, f.literal))
                return false;
            continue;
        case FieldKind::Day:
            r.day = ReadNumber(text, pos, 2, digits);
            break;
        case FieldKind::Month:
            r.month = ReadNumber(text, pos, 2, digits);
            break;
        case FieldKind::Year:
            r.year = ReadNumber(text, pos, 4, r.yearDigits);
            digits = r.yearDigits == 2 || r.yearDigits == 4 ? 1 : 0;
            break;
        case FieldKind::Hour:
            r.hour = ReadNumber(text, pos, 2, digits);
            break;
        case FieldKind::Minute:
            r.minute = ReadNumber(text, pos, 2, digits);
            break;
        case FieldKind::Second:
            r.second = ReadNumber(text, pos, 2, digits);
            break;
        case FieldKind::AmPm:
            r.marker = true;
            if (StartsWithAt(text, pos, layout.am)) {
                pos += layout.am.size();
            } else if (StartsWithAt(text, pos, layout.pm)) {
                pos += layout.pm.size();
            } else {
                return false;
            }
            continue;
        case FieldKind::Unsupported:
            return false;
        }
        // Only digit fields get here.
        if (digits == 0)
            return false;
    }
    return true;
}

bool ReadTime(QStringView text, qsizetype pos, const Layout &layout)
{
    for (const Fields &form : layout.times) {
        Reading r;
        qsizetype at = pos;
        if (!ReadFields(text, at, form, layout, r) || at != text.size())
            continue;
        const bool hourValid = r.marker ? r.hour >= 1 && r.hour <= 12 : r.hour <= 23;
        if (hourValid && r.minute <= 59 && r.second <= 59)
            return true;
    }
    return false;
}

} // namespace

std::optional<QDate> TextToDay(QStringView text)
{
    const Layout &layout = CurrentLayout();
    if (layout.date.isEmpty())
        return std::nullopt;
    Reading r;
    qsizetype pos = 0;
    if (!ReadFields(text, pos, layout.date, layout, r))
        return std::nullopt;
    if (pos < text.size()) {
        const qsizetype dateEnd = pos;
        while (pos < text.size() && text[pos].isSpace())
            ++pos;
        if (pos == dateEnd || !ReadTime(text, pos, layout))
            return std::nullopt;
    }
    const int year = r.yearDigits == 2 ? layout.century + r.year : r.year;
    if (year < 1 || !QDate::isValid(year, r.month, r.day))
        return std::nullopt;
    const QDate day(year, r.month, r.day);
    return year >= 2071 ? day.addYears(-100) : day;
}

} // namespace ValueConversions
