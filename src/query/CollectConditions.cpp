#include "query/CollectConditions.h"

#include "engine/EConvertError.h"
#include "engine/EInvalidCondition.h"
#include "engine/Operators.h"
#include "query/TQueryDefinition.h"
#include "query/TQuerySchema.h"

#include <vector>

TQueryStatus CollectConditions(TQueryDefinition &query, TQuerySchema &schema)
{
    std::vector<bool> taken(size_t(query.Filters.Count()), false);
    TConditionList rows;
    for (const QString &property : std::as_const(query.Properties)) {
        if (property.isEmpty())
            continue;
        int stored = -1;
        for (int i = 0; i < query.Filters.Count() && stored < 0; ++i) {
            if (!taken[size_t(i)] && query.Filters.Property(i).compare(property, Qt::CaseInsensitive) == 0)
                stored = i;
        }
        const QString syntaxName = schema.PropertySyntaxName(query.className, property);
        const tDataType kind = schema.SyntaxNameToDataType(syntaxName);
        tCondition condition(opAucune, kind, QString(), QString(), syntaxName, true);
        if (stored >= 0) {
            taken[size_t(stored)] = true;
            const tCondition &row = query.Filters.Condition(stored);
            condition = tCondition(row.op, kind, row.v1, row.v2, row.tn, row.disp);
        }
        try {
            condition.Validate();
        } catch (const EInvalidCondition &error) {
            return TQueryStatus::Error(TQueryStatus::InvalidCondition, error.Message());
        } catch (const EConvertError &error) {
            return TQueryStatus::Error(TQueryStatus::InvalidCondition, error.Message());
        }
        rows.Add(property, condition);
    }
    query.Filters = std::move(rows);
    return {};
}
