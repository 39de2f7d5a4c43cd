#pragma once

#include <QDate>
#include <QStringView>

#include <cstdint>
#include <optional>

// The integer and date readings of condition values and object value texts. The checks
// of a condition and its evaluation both use these, so a value that passes the checks
// is read the same way when objects are tested.
namespace ValueConversions {

// A 64-bit signed integer written in decimal: an optional "+" or "-" then one or more
// ASCII digits (leading zeros allowed), nothing else — no blanks, no other bases
// ("$1F", "0x1F"). Nothing when the text is not such a number or is out of range.
// 64 bits, so that the large integers of LDAP servers (Active Directory's uSNChanged)
// compare as numbers; the directory's own integers are 32-bit and read the same.
std::optional<int64_t> TextToInteger(QStringView text);

// The calendar day of a date text in the locale's short date format, optionally
// followed by blanks and a time of day in its long time format (hours and minutes,
// seconds optional, the locale's AM/PM marker optional). Day, month and year are read
// in the order the short date format gives them, with its separators: day and month of
// one or two digits, years of two digits (in the current century) or four. Letters
// compare without regard to case and any blank of the format matches any blank.
// Impossible dates and times (31/02, 24:00) give nothing. A year of 2071 or later
// counts 100 years earlier (a 29 February becoming the 28th when needed), so that
// two-digit years 71 to 99 fall in the 1900s. The time of day is checked and dropped.
std::optional<QDate> TextToDay(QStringView text);

} // namespace ValueConversions
