// Parsing on the workbook's structure.
#include "container/workbook_parsers.h"

#include <memory>

CWorkbookParsers::CWorkbookParsers(CWorkbookStructure& structure, IEvalProvider* eval,
                                   const CListObjectContainer* tables)
    : addressParser_(&structure.SheetsByName(), &structure.Names()),
      formulaParser_(eval, &addressParser_, &structure.SheetsByIndex()) {
  formulaParser_.SetTableContainer(tables);
}

SharedReferenceList CWorkbookParsers::Parse(std::wstring_view formula, const CellPos& origin) {
  ++parseCount_;
  if (!formulaParser_.Parse(formula, origin)) return nullptr;
  return std::make_shared<const std::vector<CellReference>>(formulaParser_.GetReferences());
}

void CWorkbookParsers::OnRefresh() {
  externalTable_.Clear();
  formulaParser_.ClearMemo();
}
