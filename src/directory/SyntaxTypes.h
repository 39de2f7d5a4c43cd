#pragma once

#include "directory/tDataType.h"

#include <QString>

#include <cstdint>

// The syntax type names shown in the "Type" column and stored with each condition,
// one row per syntax id 0 to 37 (28 and 29 are the LDAP client's). Syntaxes without a
// condition kind read "inconnu".
inline constexpr int SyntaxTypeCount = 38;
extern const char *const SyntaxTypeNames[SyntaxTypeCount];

// The type name of a syntax id: the row of its low seven bits; "inconnu" past row 37.
QString SyntaxTypeName(uint32_t syntaxId);

// The value kind of a syntax type name, compared without regard to case; names that
// no kind claims ("inconnu" included) give dtUnknown.
tDataType SyntaxNameToDataType(const QString &syntaxName);
