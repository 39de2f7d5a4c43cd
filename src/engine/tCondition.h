#pragma once

#include "tDataType.h"

#include <QString>

#include <cstdint>

// One condition row: an operator on one property, up to two values, whether the
// property is written, and the property's syntax type name. The property name is the
// key under which the query's condition list holds the row.
class tCondition
{
public:
    // Stores op, tip and tn unchanged and the values upper-cased by the locale; a
    // boolean Valeur 1 becomes "TRUE", "FALSE" or empty by its first character.
    tCondition(uint8_t op, tDataType tip, const QString &v1, const QString &v2, const QString &tn, bool disp);

    // Runs the checks in order; the first that fails throws EInvalidCondition (or
    // EConvertError for a value that is not an integer or a date) with its message.
    bool Validate() const;

    // Whether an object's value text meets the condition; never throws.
    bool Evaluate(const QString &valueText) const;

    uint8_t op;
    tDataType tip;
    QString v1;
    QString v2;
    QString tn;
    bool disp;
    bool matched = false;
};
