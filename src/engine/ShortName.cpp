#include "engine/ShortName.h"

namespace {
const QString kMarker = QStringLiteral("NDS:\\\\");
}

QString ShortName(const QString &value, const QString &typeName)
{
    if (!value.contains(kMarker))
        return value;
    if (typeName != QLatin1String("NWPath"))
        return value.mid(value.lastIndexOf(QLatin1Char('\\')) + 1);
    const qsizetype comma = value.indexOf(QLatin1Char(','));
    if (comma < 0)
        return value;
    return ShortName(value.left(comma), QString()) + value.mid(comma);
}
