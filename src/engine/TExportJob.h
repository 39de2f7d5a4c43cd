#pragma once

#include "engine/tCondition.h"

#include <QString>
#include <QStringList>

#include <vector>

// What one export run needs of its query, with the layout choices already resolved
// into the texts written on a line.
struct TExportJob {
    struct Row {
        QString property;
        const tCondition *condition; // owned by the query, which outlives the run
    };

    QString context;   // start context
    QString className; // only objects of this class, as the directory spells it
    QString filter;    // name filter; every "*" is removed from it
    bool recursive = false;
    bool sortbycn = true;
    bool cleancontext = true;
    bool addcontainer = false;
    bool fieldsonfirstline = true;
    QString fieldSeparator = QStringLiteral("\t");
    QString valueSeparator = QStringLiteral(" ");
    QString delimiter; // empty: values are not enclosed
    // A field starting with =, +, -, @, a tab or a carriage return gets a leading
    // apostrophe, so that a spreadsheet takes it for text and never for a formula.
    bool formulaGuard = false;
    // The lines of the query's SQL text, written first; empty when not asked for.
    QStringList sqlText;
    // One row per chosen property, in output order.
    std::vector<Row> rows;
};
