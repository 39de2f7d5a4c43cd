#pragma once

#include "directory/tDataType.h"

#include <QString>
#include <QStringList>

// What reading a query file or an SQL text asks of the directory schema. The window
// answers from its class list and the schema catalogue; veltrane-cli from the
// catalogue of the tree it is connected to; tests from a fixed table.
class TQuerySchema
{
public:
    virtual ~TQuerySchema() = default;

    // The listed class equal to name without regard to case, spelled as listed; empty
    // when no listed class is.
    virtual QString FindClass(const QString &name) = 0;
    // The property names of a listed class, those it inherits included; empty when
    // they cannot be read (the directory has reported why).
    virtual QStringList ClassProperties(const QString &className) = 0;
    // The syntax type name of a property of the class, "inconnu" when the catalogue
    // does not hold the property (PropertySyntaxName).
    virtual QString PropertySyntaxName(const QString &className, const QString &property) = 0;
    // The value kind of a syntax type name (SyntaxNameToDataType).
    virtual tDataType SyntaxNameToDataType(const QString &syntaxName) = 0;
};
