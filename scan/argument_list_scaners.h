// The two things a precedent walk collects: the input cells of a formula, and the cells where
// the error value it shows first arises.
#pragma once

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "container/dependency_container.h"
#include "scan/precedent_walk.h"

// Every cell without a formula reached, once each (the first entry for a cell wins).
class CInputCellScaner final : public IArgumentListScaner {
 public:
  explicit CInputCellScaner(std::vector<CellReference>* result) : result_(result) {}
  bool OnValueCell(const CellReference& entry) override;
  bool OnFormulaCell(const CellPos& position, bool anyTrue) override;

 private:
  // The identity of an entry: ids, corners and text, never the flags.
  struct IdentityLess {
    bool operator()(const CellReference& a, const CellReference& b) const {
      return std::tie(a.nameId, a.externalId, a.first.sheet, a.first.column, a.first.row,
                      a.last.sheet, a.last.column, a.last.row, a.text) <
             std::tie(b.nameId, b.externalId, b.first.sheet, b.first.column, b.first.row,
                      b.last.sheet, b.last.column, b.last.row, b.text);
    }
  };
  std::vector<CellReference>* result_;
  std::set<CellReference, IdentityLess> listed_;
};

// The formula cells that show an error value none of their precedents shows. A formula whose
// precedents already carry an error passes it on without being recorded; constants never count.
class CErrorListScaner final : public IArgumentListScaner {
 public:
  CErrorListScaner(const CellPos& start, std::vector<CellReference>* result,
                   CDependencyContainer* container)
      : start_(start), result_(result), container_(container) {}
  bool OnValueCell(const CellReference& entry) override;
  bool OnFormulaCell(const CellPos& position, bool anyTrue) override;

 private:
  CellPos start_;
  std::vector<CellReference>* result_;
  CDependencyContainer* container_;
};
