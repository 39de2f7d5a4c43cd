#include "engine/ShownName.h"

QString ShownName(const QString &name)
{
    if (name.size() <= MaxShownName)
        return name;
    return name.left(MaxShownName) + QStringLiteral("...");
}
