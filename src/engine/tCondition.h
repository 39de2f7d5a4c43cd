#pragma once

#include "directory/tDataType.h"
#include "engine/DataTypeNames.h"
#include "engine/EConvertError.h"
#include "engine/EInvalidCondition.h"
#include "engine/Operators.h"

#include <QString>

#include <cstdint>

// One condition row: an operator on one property, up to two values, whether the
// property is written, and the property's syntax type name. The property name is the
// key under which the query's condition list holds the row.
class tCondition
{
public:
    // Stores op, tip and tn unchanged and the values upper-cased by the locale (accented
    // letters included). For dtBoolean a non-empty Valeur 1 becomes "TRUE" when its
    // first character is 1, O, T, V or Y, "FALSE" for 0, F or N, and empty otherwise.
    tCondition(uint8_t op, tDataType tip, const QString &v1, const QString &v2, const QString &tn, bool disp);

    // Runs the checks in order and returns true; the first that fails throws
    // EConvertError for a Valeur that is not an integer or a date of the value kind,
    // EInvalidCondition for any other fault. Checks: the operator code is known; the
    // number of values suits the operator; above "n'existe pas", the operator suits the
    // value kind, the values convert to it, and the bounds of "entre" are in order;
    // "aucune" is displayed. Value kinds past dtDate count as unknown.
    bool Validate() const;

    // Whether an object meets the condition, given the property's value text (all its
    // values joined; empty when the object lacks the property). The text is trimmed of
    // blanks and control characters and upper-cased before it is compared. Never throws:
    // a value that does not convert gives false. Unknown value kinds are always met.
    bool Evaluate(const QString &valueText) const;

    uint8_t op;
    tDataType tip;
    QString v1;
    QString v2;
    QString tn;
    bool disp;
    bool matched = false;
};
