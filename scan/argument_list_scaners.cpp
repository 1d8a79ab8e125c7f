// The input and error-source scanners of the precedent walk.
#include "scan/argument_list_scaners.h"

#include "scan/error_test.h"
#include "scan/scan_strategies.h"

bool CInputCellScaner::OnValueCell(const CellReference& entry) {
  if (listed_.insert(entry).second) result_->push_back(entry);
  return true;
}

bool CInputCellScaner::OnFormulaCell(const CellPos&, bool) {
  return true;
}

bool CErrorListScaner::OnValueCell(const CellReference&) {
  return false;
}

bool CErrorListScaner::OnFormulaCell(const CellPos& position, bool anyTrue) {
  if (position == start_) return false;
  if (anyTrue) return true;
  if (!IsErrorCell(*container_, position)) return false;
  result_->push_back(SingleCellEntry(position));
  // A source's own trace has nothing below it; asking for it later needs no walk.
  container_->Answers().ErrorSources().Store(position, CDependencyContainer::EmptyList());
  return true;
}
