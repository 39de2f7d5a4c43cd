#pragma once

#include "engine/TExportJob.h"

struct TQueryDefinition;

// The export job of a query: its layout choices resolved into the texts written on a
// line, its SQL text split into lines when it goes first, and its condition rows. The
// job refers to the query's conditions, so the query must outlive it.
TExportJob ExportJobOf(const TQueryDefinition &query);
