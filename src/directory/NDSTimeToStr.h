#pragma once

#include <QString>

#include <cstdint>

// The text of a directory time: seconds since 1 January 1970, 00:00, taken as they
// stand (no time-zone adjustment), shown as the locale's short date, a blank and its
// long time; only the date when the time is exactly midnight.
QString NDSTimeToStr(int32_t seconds);

// The same for any 64-bit count of seconds since 1970 (years past 2038, up to 9999).
QString TimeToStr(int64_t seconds);

// The text of a time counted in 100-nanosecond intervals since 1 January 1601, UTC, as
// Active Directory keeps them (accountExpires, pwdLastSet, ...): the time as above, to the
// second below; 0 and the largest value, which stand for no time at all, read "Never".
QString FileTimeToStr(int64_t intervals);
