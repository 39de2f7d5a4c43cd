#include "directory/NDSTimeToStr.h"

#include "directory/LocaleFormats.h"

#include <QDateTime>

QString NDSTimeToStr(int32_t seconds)
{
    // Directory times carry no zone: read them as UTC so that no offset is applied.
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    const QLocale locale = LocaleFormats::Locale();
    QString text = locale.toString(moment.date(), LocaleFormats::ShortDateFormat());
    if (moment.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(moment.time(), LocaleFormats::LongTimeFormat());
    return text;
}
