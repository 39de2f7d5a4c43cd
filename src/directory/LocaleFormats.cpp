#include "directory/LocaleFormats.h"

#include <optional>

namespace LocaleFormats {

namespace {
std::optional<QLocale> &Pinned()
{
    static std::optional<QLocale> pinned;
    return pinned;
}
} // namespace

QLocale Locale()
{
    if (Pinned())
        return *Pinned();
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C)
        return QLocale(QLocale::French, QLocale::France);
    return system;
}

void SetLocale(const QLocale &locale)
{
    Pinned() = locale;
}

void ResetLocale()
{
    Pinned().reset();
}

QString ShortDateFormat()
{
    return Locale().dateFormat(QLocale::ShortFormat);
}

QString LongTimeFormat()
{
    // Directory times carry no zone: drop the zone field (t, outside quoted text) and
    // the blanks around it.
    const QString format = Locale().timeFormat(QLocale::LongFormat);
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (quoted || c != QLatin1Char('t'))
            kept.append(c);
    }
    return kept.simplified();
}

QString UpperCase(const QString &text)
{
    const QLocale locale = Locale();
    // Conditions upper-case a value of every object: plain ASCII is upper-cased letter by
    // letter, except where the locale's "i" takes a dot.
    if (locale.language() != QLocale::Turkish && locale.language() != QLocale::Azerbaijani) {
        if (std::optional<QString> upper = AsciiUpperCase(text))
            return *std::move(upper);
    }
    return locale.toUpper(text);
}

std::optional<QString> AsciiUpperCase(const QString &text)
{
    bool lower = false;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return std::nullopt;
        lower = lower || (c >= u'a' && c <= u'z');
    }
    if (!lower)
        return text;
    QString upper = text;
    for (QChar &c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return upper;
}

} // namespace LocaleFormats
