#include "engine/DataTypeNames.h"

const std::array<QString, 5> DataTypeNames = {
    QStringLiteral("inconnu"), QStringLiteral("entier"), QStringLiteral("chaine"),
    QStringLiteral("booleen"), QStringLiteral("date"),
};

QString DataTypeName(uint8_t tip)
{
    return tip < DataTypeNames.size() ? DataTypeNames[tip] : DataTypeNames[dtUnknown];
}
