// The branch walk: an explicit work list, depth first in list order, as a recursive walk would go.
#include "export/branch_saving_manager.h"

#include <algorithm>
#include <utility>

#include "container/name_definitions.h"
#include "excel/cell_range.h"
#include "excel/evaluation.h"
#include "export/branch_cell_line.h"
#include "formula/address_parser.h"
#include "formula/formula_parser.h"
#include "scan/used_range.h"

// GCC 12 at -O3 takes the work list's variant moves for reads of an unset string, a known
// false positive of this warning with std::variant.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace {

CellReference CellKey(const CellPos& cell) {
  CellReference key;
  key.first = cell;
  key.last = cell;
  return key;
}

CellReference NameKey(int32_t nameId) {
  CellReference key;
  key.nameId = nameId;
  return key;
}

}  // namespace

CBranchSavingManager::CBranchSavingManager() {
  SetTitle(L"Trelvane - saving data");
  SetFormat(L"Items saved: %ld");
}

void CBranchSavingManager::Save() {
  if (container_ == nullptr || storage_ == nullptr || !kind_) return;
  if (!storage_->Open()) return;
  Begin(container_->Progress());
  walk_ = {};
  written_.clear();
  if (skipRoot_ && root_.IsSingleCell()) {
    // The flat lists: the query entry itself stands for no cell; only its list is written.
    Run(CellTask{root_.first, 0, false});
  } else {
    Run(EntryTask{root_, 0});
  }
  while (MayContinue()) {
    std::optional<Task> task = walk_.Next();
    if (!task) break;
    std::visit([this](auto& step) { Run(step); }, *task);
  }
  const bool stopped = !MayContinue();
  walk_ = {};
  written_.clear();
  storage_->Close();
  if (stopped) ResetStop();
  End();
}

void CBranchSavingManager::Descend(const CellReference& key, SharedReferenceList list,
                                   std::uint32_t depth) {
  written_.insert(key);
  walk_.Enter(key);
  walk_.Push(ChildrenTask{std::move(list), 0, depth + 1});
}

bool CBranchSavingManager::ClampSheet(RectangleCellsTask& task, int32_t sheet) {
  // Whole columns and rows stand for the cells that can hold data, as in the trace tree; a sheet
  // whose used range the rectangle misses has none of its cells.
  for (int64_t next = sheet; next <= task.high.sheet; ++next) {
    task.from = {static_cast<int32_t>(next), task.low.column, task.low.row};
    task.to = {static_cast<int32_t>(next), task.high.column, task.high.row};
    if (ClampRectangle(*container_, &task.from, &task.to)) {
      task.next = task.from;
      return true;
    }
  }
  return false;
}

void CBranchSavingManager::PushRectangle(const CellPos& first, const CellPos& last,
                                         std::uint32_t depth) {
  RectangleCellsTask cells;
  cells.low = {std::min(first.sheet, last.sheet), std::min(first.column, last.column),
               std::min(first.row, last.row)};
  cells.high = {std::max(first.sheet, last.sheet), std::max(first.column, last.column),
                std::max(first.row, last.row)};
  CellReference key;
  key.first = cells.low;
  key.last = cells.high;
  const bool above = written_.contains(key);
  storage_->WriteRange(first, last, RectangleName(*container_, first, last), depth, above);
  Tick();
  if (above) return;
  written_.insert(key);
  if (!ClampSheet(cells, cells.low.sheet)) return;
  cells.depth = depth + 1;
  walk_.Push(std::move(cells));
}

void CBranchSavingManager::WriteName(int32_t nameId, std::uint32_t depth) {
  const CellReference key = NameKey(nameId);
  const bool onPath = walk_.OnPath(key);
  const bool above = WrittenAbove(key);
  if (!WriteNameLine(*storage_, *container_, nameId, depth, above)) return;
  Tick();
  if (onPath || above) return;
  // A constant reads nothing; a formula opens into what its definition reads.
  SharedReferenceList list = NameReferencesOf(*container_, nameId);
  if (!list || list->empty()) return;
  Descend(key, std::move(list), depth);
}

void CBranchSavingManager::Run(const EntryTask& task) {
  const CellReference& entry = task.entry;
  if (IsNameEntry(entry)) {
    WriteName(entry.nameId, task.depth);
  } else if (!entry.IsSingleCell()) {
    PushRectangle(entry.first, entry.last, task.depth);
  } else if (Evaluating()) {
    Run(EvaluatedCellTask{entry.first, task.depth});
  } else {
    Run(CellTask{entry.first, task.depth, true});
  }
}

void CBranchSavingManager::Run(const CellTask& task) {
  const CellReference key = CellKey(task.cell);
  const bool onPath = walk_.OnPath(key);
  const bool above = WrittenAbove(key);
  if (task.writeSelf) {
    WriteCellLine(*storage_, *container_, task.cell, task.depth, above);
    Tick();
    // An external reference or a name that is no range: nothing stands behind it.
    if (task.cell.IsNoCell()) return;
  }
  if (onPath || above) return;
  SharedReferenceList list = ListRelated(*container_, task.cell, *kind_);
  if (!list || list->empty()) return;
  Descend(key, std::move(list), task.depth);
}

void CBranchSavingManager::Run(ChildrenTask& task) {
  if (task.next >= task.list->size()) return;
  EntryTask child{(*task.list)[task.next], task.depth};
  ++task.next;
  walk_.Push(std::move(task));
  Run(child);
}

void CBranchSavingManager::Run(RectangleCellsTask& task) {
  const CellPos cell = task.next;
  // Row by row on each sheet, and column by column within a row; equality tests, so a corner at
  // the largest index cannot wrap.
  bool done = false;
  if (task.next.column != task.to.column) {
    ++task.next.column;
  } else {
    task.next.column = task.from.column;
    if (task.next.row != task.to.row) {
      ++task.next.row;
    } else {
      done = task.next.sheet == task.high.sheet || !ClampSheet(task, task.next.sheet + 1);
    }
  }
  const std::uint32_t depth = task.depth;
  if (!done) walk_.Push(std::move(task));
  if (Evaluating()) {
    Run(EvaluatedCellTask{cell, depth});
  } else {
    Run(CellTask{cell, depth, true});
  }
}

void CBranchSavingManager::Run(const EvaluatedCellTask& task) {
  ExcelObject range;
  if (!GetCellRange(container_->Worksheets(), task.cell, &range)) return;
  bool hasFormula = false;
  range.GetBool(L"HasFormula", &hasFormula);
  if (!hasFormula) {
    WriteCellLine(*storage_, *container_, range, task.cell, task.depth, false);
    Tick();
    return;
  }
  std::wstring formula;
  range.GetText(L"Formula", &formula);
  if (formula.empty()) return;
  const CellReference key = CellKey(task.cell);
  const bool onPath = walk_.OnPath(key);
  const bool above = WrittenAbove(key);
  WriteCellLine(*storage_, *container_, range, task.cell, task.depth, above);
  Tick();
  if (onPath || above) return;
  // A parser of its own: the container's memo shares one tree between cells with equal text,
  // and this tree must describe this cell while it is written.
  CFormulaParser parser(container_->FormulaParser());
  parser.Parse(formula, task.cell);
  std::shared_ptr<const ISyntaxNode> tree = parser.GetRoot();
  if (!tree) return;
  written_.insert(key);
  walk_.Enter(key);
  const ISyntaxNode* root = tree.get();
  walk_.Push(NodeTask{std::move(tree), root, task.cell, task.depth + 1});
}

void CBranchSavingManager::Run(const NodeTask& task) {
  const ISyntaxNode& node = *task.node;
  // Pushed first, so that the children follow this node's line and, for a reference, the whole
  // branch of the cell it names.
  if (node.GetChildCount() > 0) {
    walk_.Push(NodeChildrenTask{task.tree, task.node, 0, task.formulaCell, task.depth + 1});
  }
  switch (node.GetNodeType()) {
    case NodeReference: {
      CAddressParser& parser = container_->AddressParser();
      parser.SetCurrentCell(task.formulaCell);
      if (!parser.Parse(node.GetText()) || parser.IsExternal()) return;
      const CellPos first = parser.First();
      const CellPos last = parser.Last();
      if (first == last) {
        Run(EvaluatedCellTask{first, task.depth});
      } else {
        PushRectangle(first, last, task.depth);
      }
      return;
    }
    case NodeExpression: {
      const std::wstring value = excel::EvaluateInCell(
          container_->Application(), container_->Worksheets(), node.GetText(), task.formulaCell);
      storage_->WriteExpression(node.GetText(), value, task.depth);
      return;
    }
    default:
      storage_->WriteText(node.GetText(), task.depth);
      return;
  }
}

void CBranchSavingManager::Run(NodeChildrenTask& task) {
  if (task.next >= task.node->GetChildCount()) return;
  const ISyntaxNode* child = task.node->GetChild(task.next);
  ++task.next;
  NodeTask step{task.tree, child, task.formulaCell, task.depth};
  walk_.Push(std::move(task));
  // A missing operand is skipped.
  if (child != nullptr) Run(step);
}
