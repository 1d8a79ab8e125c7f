// CScannedLists: what the whole-workbook walks list for the workbook as a whole: the cells that
// show an error value, and the cells of each fill and font colour index.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "formula/cell_reference.h"

// The cells of each colour index in the order met, and the RGB colour first seen for each index.
class CColorTable {
 public:
  using Cells = std::map<int32_t, std::vector<CellReference>>;

  void AddCell(int32_t index, const CellReference& cell) { cells_[index].push_back(cell); }
  // Whether the index has its colour recorded; only the first cell's colour is kept.
  bool HasColor(int32_t index) const { return colors_.contains(index); }
  void SetColor(int32_t index, int32_t rgb) { colors_.emplace(index, rgb); }
  // The recorded colour, 0 when there is none.
  int32_t ColorOf(int32_t index) const;
  // In ascending index order.
  const Cells& AllCells() const { return cells_; }
  // The index's cells, or null when it has none.
  const std::vector<CellReference>* CellsOf(int32_t index) const;
  void Clear();

 private:
  Cells cells_;
  std::map<int32_t, int32_t> colors_;
};

class CScannedLists {
 public:
  // The error-cell list is filled by a walk, then sorted; it is published only once built.
  const std::vector<CellReference>& ErrorCells() const { return errorCells_; }
  void StartErrorList() { errorCells_.clear(); }
  void AddErrorCell(const CellReference& cell) { errorCells_.push_back(cell); }
  // The walk's list as it ends, sorted without duplicates; the list counts as built.
  void FinishErrorList(std::vector<CellReference> sorted);
  bool ErrorListBuilt() const { return errorListBuilt_; }
  // After Excel recalculates, the next request for the list walks the workbook again.
  void MarkErrorListStale() { errorListBuilt_ = false; }

  CColorTable& FillColors() { return fillColors_; }
  CColorTable& FontColors() { return fontColors_; }
  const CColorTable& FillColors() const { return fillColors_; }
  const CColorTable& FontColors() const { return fontColors_; }
  bool ColorsAnalyzed() const { return colorsAnalyzed_; }
  void MarkColorsAnalyzed() { colorsAnalyzed_ = true; }

  // A refresh empties the colour tables and makes both walks run again on the next request. The
  // error-cell list stays until that walk replaces it.
  void OnRefresh();

 private:
  std::vector<CellReference> errorCells_;
  bool errorListBuilt_ = false;
  CColorTable fillColors_;
  CColorTable fontColors_;
  bool colorsAnalyzed_ = false;
};
