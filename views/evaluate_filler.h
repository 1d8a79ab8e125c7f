// CEvaluateFiller: fills an evaluate tree, a formula broken into its sub-expressions with the
// value of each, references opening into their own formulas and ranges into their cells.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "formula/cell_reference.h"
#include "formula/formula_parser.h"
#include "formula/syntax_node_interface.h"
#include "views/population_tree_progress.h"
#include "views/tree_structure.h"

// Images of the trace image strip as the evaluate tree uses them.
enum EvaluateImage : int32_t {
  kEvaluateImageCell = 0,
  kEvaluateImageRange = 1,
  kEvaluateImageExternal = 2,
  kEvaluateImageExpression = 4,
  kEvaluateImageOperator = 5,  // blank
  kEvaluateImageOriginCell = 6,
  kEvaluateImageOriginRange = 7,
  kEvaluateImageEvaluated = 8,  // the target of an OFFSET or INDIRECT call
  kEvaluateImageOriginOther = 9,
  kEvaluateImageName = 10,
};

enum class EvaluateColumn : int32_t { kFormula = 0, kValue = 1 };
inline constexpr const wchar_t* kEvaluateColumnNames[] = {L"Formula", L"Value"};

// The image of a reference inserted with `origin`.
int32_t EvaluateReferenceImage(const CellReference& reference, int32_t origin);
// The evaluate window's title: the root's sheet-qualified address and " - evaluate formula".
std::wstring EvaluateWindowTitle(const CDependencyContainer& container, const CellReference& root);
// The evaluate window's enabling rule for a command; `selected` is the selected item's
// node-map entry, null when none.
bool EvaluateCommandEnabled(int32_t command, const CellReference* selected);

// Invariants: every reference item, and only those, has a node-map entry; an item whose
// children are not computed has exactly one child, the "not ready" placeholder. Item texts are
// fixed at insertion: Formula and Value joined by a tab.
//
// Formulas, chains of cells and cycles come from the workbook, so nothing here recurses over
// them: syntax trees are inserted and expand all runs on explicit work lists.
class CEvaluateFiller {
 public:
  CEvaluateFiller(CDependencyContainer& container, ITreeStructure& tree);

  void SetRoot(const CellReference& root) { root_ = root; }
  const CellReference& Root() const { return root_; }

  // Inserts the root and opens its first level.
  void Fill();
  // Starts over: every item and node-map entry goes, values are read again.
  void Refresh();
  // The tree reports that the item is about to open: a placeholder becomes the children.
  void ExpandOnDemand(TreeItem item);
  // Opens everything under the tree's first item under a progress window with Stop. A cell
  // that already stands on its own path from that item is shown but not opened again, so a
  // circular chain ends; it keeps its placeholder.
  void ExpandAll();

  // The item's text (Formula, tab, Value) cut to `bufferSize` less one character.
  std::wstring ItemText(TreeItem item, size_t bufferSize) const;
  std::wstring ColumnText(TreeItem item, EvaluateColumn column) const;
  const CellReference* ReferenceOf(TreeItem item) const;
  // The references from the root down to the item.
  std::vector<CellReference> PathFromRoot(TreeItem item) const;
  bool IsPlaceholder(TreeItem item) const;

  bool SelectInExcelEnabled() const { return selectInExcel_; }
  // Counts every inserted item; exposed so that tests can watch it.
  CPopulationTreeProgress& Progress() { return progress_; }

 private:
  TreeItem InsertReference(TreeItem parent, const CellReference& reference, int32_t origin);
  // Inserts the node and everything under it, the resolved node last under its call.
  void InsertSyntaxTree(TreeItem parent, const ISyntaxNode& top);
  TreeItem InsertItem(TreeItem parent, int32_t image, std::wstring text);
  void FillFormula(TreeItem item, const CellPos& cell);
  void FillRange(TreeItem item, const CellReference& range);
  // The cell of the nearest item from `item` up that has a node-map entry; all zero if none.
  CellPos ContextCell(TreeItem item) const;

  CDependencyContainer& container_;
  ITreeStructure& tree_;
  // Its own memo, so that the trees it hands out are not replayed by the container's parses.
  std::unique_ptr<CFormulaParser> parser_;
  CellReference root_;
  bool selectInExcel_ = true;
  std::map<TreeItem, CellReference> nodeMap_;
  CPopulationTreeProgress progress_;
};
