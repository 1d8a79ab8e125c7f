// The calculation chain: every formula of the workbook in an order in which it can be calculated.
#pragma once

#include <cstdint>
#include <cstddef>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "container/dependency_container.h"
#include "formula/cell_pos.h"

// Levels of formula cells, computed on demand and kept: a cell's level is 0 when it refers to no
// formula, else one more than the highest level among the formulas it refers to. Defined names
// are followed to their range, or through their definition when it is a formula; a rectangle is
// followed on every sheet it spans; a cell of an array formula leads to the array's own cell.
// External references are not followed. An edge back to a cell whose level is still being
// computed closes a circle and is ignored, so which edge of a circle is dropped depends on the
// order of the questions. The walk keeps its own work list, so chains of any depth are followed.
class CCalculationLevels {
 public:
  // A cell that holds no formula.
  static constexpr int32_t kNoFormula = -1;

  // Reading a name's definition may parse it, hence the container is not const.
  explicit CCalculationLevels(CDependencyContainer& container) : container_(container) {}

  // The cell's level, or kNoFormula when the formula index does not hold the cell.
  int32_t CalculationLevel(const CellPos& cell);
  // Room for this many levels, so that the table is not rebuilt as it grows.
  void Reserve(size_t cells) { levels_.reserve(cells); }

  using LevelTable = std::unordered_map<CellPos, int32_t>;

  // Every level computed so far, by cell, in no particular order: a workbook's half a million
  // formulas are looked up here several times each.
  const LevelTable& Levels() const { return levels_; }

 private:
  struct Frame;

  // The formula cells a reference leads to, in the order the walk takes them: row by row, and
  // column by column within a row.
  void FormulaCellsOf(const CellReference& reference, std::vector<CellPos>* cells) const;
  bool StartFrame(const CellPos& cell, std::vector<Frame>* frames);

  CDependencyContainer& container_;
  LevelTable levels_;
  std::unordered_set<CellPos> onPath_;
};

// Empties and fills the container's calculation chain: all formulas, collected first unless done
// since the last refresh, by increasing level and within a level by sheet, column and row. Every
// cell of an array formula is listed, at its array's level. Answers the new list, which is empty
// for a workbook without formulas.
SharedReferenceList BuildCalculationChain(CDependencyContainer& container);
