// CCellTextCache: the value text and formula text of each cell a trace has shown, read from the
// workbook once per cell for the life of the window.
#pragma once

#include <map>
#include <string>

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

struct CellTexts {
  std::wstring value;
  std::wstring formula;
};

class CCellTextCache {
 public:
  // Both texts come from one read; a cell whose Range cannot be made has empty texts.
  const CellTexts& Get(CDependencyContainer& container, const CellPos& cell);
  void Clear() { cache_.clear(); }
  size_t Size() const { return cache_.size(); }

 private:
  std::map<CellPos, CellTexts, CellPosOrder> cache_;
};

// The formula as the user wrote it, with line feeds widened to carriage return and line feed and
// an array formula in braces; empty for a constant.
CellTexts ReadCellTexts(CDependencyContainer& container, const CellPos& cell);
