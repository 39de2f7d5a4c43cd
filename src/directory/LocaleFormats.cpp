#include "LocaleFormats.h"

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
    QString format = Locale().timeFormat(QLocale::LongFormat);
    // Directory times carry no zone: drop the zone field and the blanks before it.
    const qsizetype zone = format.indexOf(QLatin1Char('t'));
    if (zone >= 0) {
        qsizetype end = zone;
        while (end < format.size() && format.at(end) == QLatin1Char('t'))
            ++end;
        format.remove(zone, end - zone);
    }
    return format.trimmed();
}

QString UpperCase(const QString &text)
{
    return Locale().toUpper(text);
}

} // namespace LocaleFormats
