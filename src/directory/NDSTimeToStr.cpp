#include "directory/NDSTimeToStr.h"

#include "directory/LocaleFormats.h"

#include <QDateTime>

#include <limits>

QString NDSTimeToStr(int32_t seconds)
{
    return TimeToStr(seconds);
}

QString TimeToStr(int64_t seconds)
{
    // Directory times carry no zone: read them as UTC so that no offset is applied.
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    const QLocale locale = LocaleFormats::Locale();
    QString text = locale.toString(moment.date(), LocaleFormats::ShortDateFormat());
    if (moment.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(moment.time(), LocaleFormats::LongTimeFormat());
    return text;
}

QString FileTimeToStr(int64_t intervals)
{
    if (intervals == 0 || intervals == std::numeric_limits<int64_t>::max())
        return QStringLiteral("Never");
    // Seconds from 1601-01-01 to 1970-01-01.
    constexpr int64_t EpochOffset = 11644473600;
    constexpr int64_t PerSecond = 10000000;
    const int64_t seconds = intervals / PerSecond - (intervals % PerSecond < 0 ? 1 : 0);
    return TimeToStr(seconds - EpochOffset);
}
