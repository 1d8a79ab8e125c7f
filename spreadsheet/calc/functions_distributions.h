// The statistical distributions' worksheet functions (NORM.DIST, T.INV, BINOM.DIST, T.TEST ...),
// registered with the statistical family.
#pragma once

namespace spreadsheet {

class CFunctionTable;
void RegisterDistributionFunctions(CFunctionTable& table);

}  // namespace spreadsheet
