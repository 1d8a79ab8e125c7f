// Evaluate filling: a cell's formula as a tree of sub-expressions, each valued by the workbook.
#include "views/evaluate_filler.h"

#include <algorithm>
#include <set>
#include <utility>

#include "container/path_walk.h"
#include "excel/cell_range.h"
#include "formula/address_parser.h"
#include "scan/used_range.h"
#include "views/item_fields.h"
#include "views/trace_filler.h"
#include "views/window_commands.h"

namespace {

constexpr int32_t kOriginBit0 = 0x1;
constexpr int32_t kOriginBit1 = 0x2;
constexpr int32_t kOriginBit2 = 0x4;

}  // namespace

int32_t EvaluateReferenceImage(const CellReference& reference, int32_t origin) {
  const bool range = !reference.IsSingleCell();
  if ((origin & kOriginBit0) != 0) return kEvaluateImageEvaluated;
  if ((origin & kOriginBit2) != 0) return kEvaluateImageOriginOther;
  if ((origin & kOriginBit1) != 0)
    return range ? kEvaluateImageOriginRange : kEvaluateImageOriginCell;
  if (reference.nameId >= 1) return kEvaluateImageName;
  return range ? kEvaluateImageRange : kEvaluateImageCell;
}

std::wstring EvaluateWindowTitle(const CDependencyContainer& container, const CellReference& root) {
  return CAddressParser::FormatAddress(root.first, root.last,
                                       container.Structure().SheetNameOf(root.first.sheet)) +
         L" - evaluate formula";
}

bool EvaluateCommandEnabled(int32_t command, const CellReference* selected) {
  switch (RuleCommandOf(command)) {
    case kCmdShowTracingArrows:
    case kCmdHelp:
    case kCmdAutoActivate:
    case kCmdExpandAll:
    case kCmdFind:
      return true;
    case kCmdShowPrecedents:
    case kCmdShowDependents:
    case kCmdSelectInExcel:
    case kCmdShowInputs:
    case kCmdTraceError:
    case kCmdSaveBranchOnSheet:
    case kCmdSaveBranchInFile:
      return selected != nullptr;
    case kCmdEvaluateFormula:
      return selected != nullptr && selected->nameId == 0 && selected->externalId == 0;
    default:
      return false;
  }
}

CEvaluateFiller::CEvaluateFiller(CDependencyContainer& container, ITreeStructure& tree)
    : container_(container),
      tree_(tree),
      parser_(std::make_unique<CFormulaParser>(container.FormulaParser())) {
  progress_.SetTitle(L"Trelvane - expanding tree");
  progress_.SetFormat(L"Nodes processed: %ld");
}

void CEvaluateFiller::Fill() {
  selectInExcel_ = false;
  tree_.SetRedraw(false);
  const TreeItem top = InsertReference(tree_.Root(), root_, OriginParsed);
  if (top != kNoItem) {
    // A tree control reports the expansion too; the second fill finds no placeholder.
    ExpandOnDemand(top);
    tree_.Expand(top);
  }
  tree_.SetRedraw(true);
  selectInExcel_ = true;
}

void CEvaluateFiller::Refresh() {
  for (TreeItem top = tree_.FirstChild(tree_.Root()); top != kNoItem;
       top = tree_.FirstChild(tree_.Root())) {
    tree_.DeleteItem(top);
  }
  nodeMap_.clear();
  // Parsed trees carry the values of their dynamic calls; those may have changed.
  parser_ = std::make_unique<CFormulaParser>(container_.FormulaParser());
  Fill();
}

TreeItem CEvaluateFiller::InsertItem(TreeItem parent, int32_t image, std::wstring text) {
  const TreeItem item = tree_.InsertChild(parent, image, std::move(text));
  if (item != kNoItem) progress_.Tick();
  return item;
}

TreeItem CEvaluateFiller::InsertReference(TreeItem parent, const CellReference& reference,
                                          int32_t origin) {
  std::wstring value;
  bool placeholder = false;
  if ((reference.flags & RefNameNotRange) != 0) {
    const NameRecord* record = container_.Structure().FindName(reference.nameId);
    if (record != nullptr) value = record->refersTo;
  } else if (reference.IsSingleCell()) {
    if (reference.externalId == 0) {
      OnExcelThread(container_.ExcelThread(), [&] {
        ExcelObject range;
        if (!GetCellRange(container_.Worksheets(), reference.first, &range)) return;
        range.GetText(L"Text", &value);
        CVariant raw;
        if (range.GetValue(L"Value", &raw) && raw.Kind() == VT_BSTR) value = L"'" + value + L"'";
        if (range.IsTrue(L"HasFormula")) {
          if (value.empty()) value = L"''";
          std::wstring formula;
          range.GetText(L"Formula", &formula);
          value += formula;
          placeholder = true;
        }
      });
    }
  } else {
    placeholder = reference.externalId == 0;
  }
  const TreeItem item = InsertItem(parent, EvaluateReferenceImage(reference, origin),
                                   ReferenceText(container_, reference) + L'\t' + value);
  if (item == kNoItem) return item;
  if (placeholder) tree_.InsertChild(item, -1, std::wstring(kNotReadyText));
  nodeMap_.insert_or_assign(item, reference);
  return item;
}

CellPos CEvaluateFiller::ContextCell(TreeItem item) const {
  for (TreeItem at = item; at != kNoItem; at = tree_.Parent(at)) {
    const auto found = nodeMap_.find(at);
    if (found != nodeMap_.end()) return found->second.first;
  }
  return CellPos{};
}

void CEvaluateFiller::InsertSyntaxTree(TreeItem parent, const ISyntaxNode& top) {
  struct Pending {
    const ISyntaxNode* node;
    TreeItem parent;
    CellPos context;  // the cell whose sheet evaluates the node's expression
  };
  std::vector<Pending> stack{{&top, parent, ContextCell(parent)}};
  while (!stack.empty()) {
    const Pending at = stack.back();
    stack.pop_back();
    const ISyntaxNode& node = *at.node;
    const int32_t origin = node.GetOrigin();
    const int32_t type = node.GetNodeType();
    TreeItem item = kNoItem;
    CellPos context = at.context;
    if (type == NodeReference) {
      CellReference reference;
      node.GetReference(reference);
      if (reference.externalId < 1) {
        item = InsertReference(at.parent, reference, origin);
        if (item != kNoItem) context = reference.first;
      } else {
        item = InsertItem(
            at.parent,
            (origin & kOriginBit2) != 0 ? kEvaluateImageOriginOther : kEvaluateImageExternal,
            node.GetText() + L'\t');
      }
    } else {
      int32_t image = type == NodeOperatorToken ? kEvaluateImageOperator : kEvaluateImageExpression;
      if ((origin & kOriginBit2) != 0) image = kEvaluateImageOriginOther;
      std::wstring value;
      if (type == NodeExpression) {
        value = OnExcelThread(container_.ExcelThread(), [&] {
          return container_.EvaluateToText(node.GetText(), context.sheet);
        });
      }
      item = InsertItem(at.parent, image, node.GetText() + L'\t' + value);
    }
    if (item == kNoItem) continue;
    // Pushed backwards so that children come out in order, the resolved node after them.
    if (const ISyntaxNode* resolved = node.GetResolvedNode()) {
      stack.push_back({resolved, item, context});
    }
    for (int32_t i = node.GetChildCount() - 1; i >= 0; --i) {
      if (const ISyntaxNode* child = node.GetChild(i)) stack.push_back({child, item, context});
    }
  }
}

void CEvaluateFiller::FillFormula(TreeItem item, const CellPos& cell) {
  // Held here: the memo may drop the tree on a later parse.
  std::shared_ptr<const ISyntaxNode> root;
  OnExcelThread(container_.ExcelThread(), [&] {
    ExcelObject range;
    std::wstring formula;
    if (!GetCellRange(container_.Worksheets(), cell, &range) || !range.IsTrue(L"HasFormula") ||
        !range.GetText(L"Formula", &formula) || formula.empty()) {
      return;  // an empty text would leave the previous parse in place
    }
    // Resolving OFFSET and INDIRECT reads the workbook, so the parse runs on Excel's thread.
    if (parser_->Parse(formula, cell)) root = parser_->GetRoot();
  });
  if (root) InsertSyntaxTree(item, *root);
}

void CEvaluateFiller::FillRange(TreeItem item, const CellReference& range) {
  // The cells are read first: the tree is not touched while Excel's thread runs the read.
  std::vector<CellPos> cells;
  OnExcelThread(container_.ExcelThread(), [&] {
    ForEachUsedCell(container_, range.first, range.last,
                    [&cells](const CellPos& position) { cells.push_back(position); });
  });
  for (const CellPos& position : cells) {
    CellReference cell;
    cell.first = position;
    cell.last = position;
    InsertReference(item, cell, OriginParsed);
  }
}

bool CEvaluateFiller::IsPlaceholder(TreeItem item) const {
  if (item == kNoItem || nodeMap_.contains(item)) return false;
  const std::optional<std::wstring> text = tree_.Text(item);
  return text && *text == kNotReadyText;
}

void CEvaluateFiller::ExpandOnDemand(TreeItem item) {
  const TreeItem first = tree_.FirstChild(item);
  if (!IsPlaceholder(first)) return;
  tree_.DeleteItem(first);
  const auto found = nodeMap_.find(item);
  if (found == nodeMap_.end()) return;
  const CellReference reference = found->second;
  if (reference.IsSingleCell()) {
    FillFormula(item, reference.first);
  } else {
    FillRange(item, reference);
  }
}

void CEvaluateFiller::ExpandAll() {
  const TreeItem top = tree_.FirstChild(tree_.Root());
  if (top == kNoItem) return;
  if (tree_.Selected() == kNoItem) tree_.Select(top);
  progress_.Begin(container_.Progress());

  CPathWalk<TreeItem, CellPos, CellPosOrder> walk;
  walk.Push(top);
  while (progress_.MayContinue()) {
    const std::optional<TreeItem> item = walk.Next();
    if (!item) break;
    const CellReference* reference = ReferenceOf(*item);
    const bool cell = reference != nullptr && reference->IsSingleCell();
    if (cell && walk.OnPath(reference->first)) continue;
    if (tree_.FirstChild(*item) == kNoItem) continue;
    ExpandOnDemand(*item);
    tree_.Expand(*item);
    if (cell) walk.Enter(reference->first);
    std::vector<TreeItem> children;
    for (TreeItem child = tree_.FirstChild(*item); child != kNoItem;
         child = tree_.NextSibling(child)) {
      children.push_back(child);
    }
    walk.PushInOrder(children);
  }
  progress_.End();
}

std::wstring CEvaluateFiller::ItemText(TreeItem item, size_t bufferSize) const {
  if (bufferSize == 0) return {};
  std::wstring text = tree_.Text(item).value_or(std::wstring());
  if (text.size() > bufferSize - 1) text.resize(bufferSize - 1);
  return text;
}

std::wstring CEvaluateFiller::ColumnText(TreeItem item, EvaluateColumn column) const {
  return ItemField(tree_.Text(item).value_or(std::wstring()), static_cast<size_t>(column));
}

const CellReference* CEvaluateFiller::ReferenceOf(TreeItem item) const {
  const auto found = nodeMap_.find(item);
  return found == nodeMap_.end() ? nullptr : &found->second;
}

std::vector<CellReference> CEvaluateFiller::PathFromRoot(TreeItem item) const {
  std::vector<CellReference> path;
  for (TreeItem at = item; at != kNoItem; at = tree_.Parent(at)) {
    const auto found = nodeMap_.find(at);
    if (found != nodeMap_.end()) path.push_back(found->second);
  }
  std::reverse(path.begin(), path.end());
  return path;
}
