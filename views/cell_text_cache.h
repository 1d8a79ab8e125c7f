// CCellTextCache: the value text and formula text of each cell a trace has shown, read from the
// workbook once per cell for the life of the window.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "formula/cell_pos.h"

struct CellTexts {
  std::wstring value;
  std::wstring formula;
};

// A trace of a large workbook shows hundreds of thousands of cells, so the texts are packed:
// each cell's two texts sit side by side in large blocks, a byte for each character below 128,
// found through an open-addressed table of the cells.
class CCellTextCache {
 public:
  CCellTextCache() = default;
  CCellTextCache(const CCellTextCache&) = delete;
  CCellTextCache& operator=(const CCellTextCache&) = delete;

  // Both texts come from one read; a cell whose Range cannot be made has empty texts.
  CellTexts Get(CDependencyContainer& container, const CellPos& cell);
  // The texts kept for the cell, without reading it; false when it was never read.
  bool Find(const CellPos& cell, CellTexts* texts) const;
  bool Contains(const CellPos& cell) const { return !slots_.empty() && slots_[SlotOf(cell)] != 0; }
  void Put(const CellPos& cell, const CellTexts& texts);
  void Clear();
  size_t Size() const { return entries_.size(); }

 private:
  // The texts sit at `offset` in block `block`: the value's byte count and the formula's, each
  // packed as a character would be, then the value's bytes and the formula's.
  struct Entry {
    CellPos cell;
    uint32_t block = 0;
    uint32_t offset = 0;
  };

  // The slot holding the cell, or the empty slot where it would go.
  size_t SlotOf(const CellPos& cell) const;
  // Room for `size` bytes: its block and offset.
  std::pair<uint32_t, uint32_t> Allocate(size_t size);
  void Grow();

  std::deque<Entry> entries_;
  // Entry index plus one; 0 is an empty slot. The size is a power of two, at most three
  // quarters used.
  std::vector<uint32_t> slots_;
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;
  // The block shared by short texts, and its bytes used.
  size_t sharedBlock_ = 0;
  size_t sharedUsed_ = 0;
  bool hasShared_ = false;
};

// The formula as the user wrote it, with line feeds widened to carriage return and line feed and
// an array formula in braces; empty for a constant.
CellTexts ReadCellTexts(CDependencyContainer& container, const CellPos& cell);
// The same from the cell's Range, for a caller that reads more of the cell; `hasFormula` when
// it has read that already.
// What a caller has read of a cell already (a run's block reads); the rest is read here.
struct KnownCellParts {
  std::optional<bool> hasFormula;
  const std::wstring* formulaLocal = nullptr;  // read only when the cell has a formula
  std::optional<bool> hasArray;
};
CellTexts ReadRangeTexts(const ExcelObject& range, const KnownCellParts& known = {});
