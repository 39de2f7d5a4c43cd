#pragma once

#include <QString>

#include <cstdint>

// The text of a directory time: seconds since 1 January 1970, 00:00, taken as they
// stand (no time-zone adjustment), shown as the locale's short date, a blank and its
// long time; only the date when the time is exactly midnight.
QString NDSTimeToStr(int32_t seconds);
