#include "engine/ShortName.h"

namespace {
const QString kMarker = QStringLiteral("NDS:\\\\");
}

QString ShortName(const QString &value, const QString &typeName)
{
    // Nearly no value holds the marker: a colon is looked for first, which is quick.
    if (!value.contains(QLatin1Char(':')) || !value.contains(kMarker))
        return value;
    if (typeName != QLatin1String("NWPath"))
        return value.mid(value.lastIndexOf(QLatin1Char('\\')) + 1);
    const qsizetype comma = value.indexOf(QLatin1Char(','));
    if (comma < 0)
        return value;
    return ShortName(value.left(comma), QString()) + value.mid(comma);
}
