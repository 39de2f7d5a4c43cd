#include "query/ExportJobOf.h"

#include "query/QueryLayout.h"
#include "query/SqlText.h"
#include "query/TQueryDefinition.h"

TExportJob ExportJobOf(const TQueryDefinition &query)
{
    TExportJob job;
    job.context = query.context;
    job.className = query.className;
    job.filter = query.filter;
    job.recursive = query.recursive;
    job.sortbycn = query.sortbycn;
    job.cleancontext = query.cleancontext;
    job.addcontainer = query.addcontainer;
    job.fieldsonfirstline = query.fieldsonfirstline;
    job.fieldSeparator = QueryLayout::SeparatorChars(query.separator);
    job.valueSeparator = QueryLayout::ValSeparatorChars(query.valseparator);
    job.delimiter = QueryLayout::DelimiterChars(query.usedelimiter, query.delimiter);
    job.formulaGuard = query.formulaguard;
    if (query.sqltop) {
        job.sqlText = BuildSqlText(query.Filters, query.className, query.sortbycn).split(QStringLiteral("\r\n"));
        if (!job.sqlText.isEmpty() && job.sqlText.constLast().isEmpty())
            job.sqlText.removeLast();
    }
    for (const TConditionList::Row &row : query.Filters)
        job.rows.push_back({row.property, row.condition.get()});
    return job;
}
