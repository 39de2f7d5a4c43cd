#pragma once

#include "query/TQueryDefinition.h"

#include <QStringList>

// One line per condition row, "property|op|tip|v1|v2|tn|disp", so that tests compare
// rows as text and a failure shows the difference.
inline QString DescribeRows(const TConditionList &rows)
{
    QStringList lines;
    for (const TConditionList::Row &row : rows) {
        const tCondition &c = *row.condition;
        lines << QStringList{row.property,
                             QString::number(c.op),
                             QString::number(c.tip),
                             c.v1,
                             c.v2,
                             c.tn,
                             c.disp ? QStringLiteral("oui") : QStringLiteral("non")}
                     .join(QLatin1Char('|'));
    }
    return lines.join(QLatin1Char('\n'));
}

inline QString DescribeQuery(const TQueryDefinition &q)
{
    const auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    return QStringList{q.className,
                       q.separator,
                       q.valseparator,
                       q.delimiter,
                       q.filter,
                       q.context,
                       flag(q.fieldsonfirstline),
                       flag(q.usedelimiter),
                       flag(q.recursive),
                       flag(q.sortbycn),
                       flag(q.cleancontext),
                       flag(q.addcontainer),
                       flag(q.sqltop),
                       q.Properties.join(QLatin1Char(','))}
               .join(QLatin1Char(';')) +
           QLatin1Char('\n') + DescribeRows(q.Filters);
}
