#pragma once

#include "query/TConditionList.h"

#include <QString>
#include <QStringList>

// The one record that describes a query. Fields carry the names of the query file's
// keys and start with the window's start-up values; the window sets className ("User"
// when the schema has it) and context (the connection's current context) itself.
struct TQueryDefinition {
    QString className; // key "class"
    QString separator = QStringLiteral("Tab");
    QString valseparator = QStringLiteral("Space");
    QString delimiter = QStringLiteral("\"");
    QString filter = QStringLiteral("*");
    QString context;
    bool fieldsonfirstline = true;
    bool usedelimiter = true;
    bool recursive = false;
    bool sortbycn = true;
    bool cleancontext = true;
    bool addcontainer = false;
    bool sqltop = false;
    // How the results file is written: one of ResultsEncoding::Names().
    QString encoding = QStringLiteral("UTF-8");
    // Fields that a spreadsheet would take for a formula get a leading apostrophe.
    bool formulaguard = false;
    // Selected property names in output column order.
    QStringList Properties;
    // One condition row per property that went through the conditions page.
    TConditionList Filters;
};
