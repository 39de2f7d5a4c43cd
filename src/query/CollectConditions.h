#pragma once

#include "query/TQueryStatus.h"

struct TQueryDefinition;
class TQuerySchema;

// Rebuilds the query's condition rows as leaving the conditions page does: one row per
// chosen property, in the chosen order, taking the next stored row of that name (or
// "aucune", shown, for a property without one), its value kind computed anew from the
// catalogue, and each row checked. On success the new rows replace the old ones; on
// failure the query is left as it was and the status carries InvalidCondition with the
// check's message.
TQueryStatus CollectConditions(TQueryDefinition &query, TQuerySchema &schema);
