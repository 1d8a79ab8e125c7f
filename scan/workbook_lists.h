// The three whole-workbook walks, each run at most once until the container is refreshed. A
// walk cut short by Stop counts as run: what it found is kept and it is not repeated.
#pragma once

#include "container/dependency_container.h"

// Every formula of the workbook into the formula index.
void CollectAllFormulas(CDependencyContainer& container);
// The fill-colour and font-colour tables.
void AnalyzeColorsOnce(CDependencyContainer& container);
// The error-cell list, emptied first and sorted without duplicates afterwards.
void BuildErrorList(CDependencyContainer& container);
