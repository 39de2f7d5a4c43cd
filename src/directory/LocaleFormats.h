#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// The locale's date and time formats and upper-casing, as the directory values,
// conditions and evaluation use them. The system locale serves, except the C/POSIX
// locale, for which French (fr_FR), the language of the window, stands in.
namespace LocaleFormats {

QLocale Locale();
// Pins the locale (tests use fr_FR and en_US); an unset QLocale goes back to the default.
void SetLocale(const QLocale &locale);
void ResetLocale();

// The short date format ("dd/MM/yyyy" for fr_FR).
QString ShortDateFormat();
// The long time format without any time-zone field ("HH:mm:ss" for fr_FR).
QString LongTimeFormat();
// Upper-casing by the locale's rules, accented letters included.
QString UpperCase(const QString &text);
// Plain ASCII upper-cased letter by letter; nothing when the text is not plain ASCII.
std::optional<QString> AsciiUpperCase(const QString &text);

} // namespace LocaleFormats
