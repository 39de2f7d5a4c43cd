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
    return Locale().toUpper(text);
}

} // namespace LocaleFormats
