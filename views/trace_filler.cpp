// Trace filling: lazy levels behind "not ready" placeholders, and expand all on a work list.
#include "views/trace_filler.h"

#include <algorithm>
#include <utility>

#include "container/count_message.h"
#include "container/name_definitions.h"
#include "container/progress_relay.h"
#include "formula/address_parser.h"
#include "scan/error_test.h"
#include "scan/used_range.h"

namespace {

// What marks an item's place on its path in expand all: its cell, or a formula name's id.
CellReference PathKey(const CellReference& reference) {
  CellReference key;
  if (reference.nameId != 0 && (reference.flags & RefNameNotRange) != 0) {
    key.nameId = reference.nameId;
  } else {
    key.first = reference.first;
    key.last = reference.first;
  }
  return key;
}

}  // namespace

bool IsFlatListKind(TraceKind kind) {
  return kind == TraceKind::kErrorCells || kind == TraceKind::kFillColor ||
         kind == TraceKind::kFontColor || kind == TraceKind::kCalculationChain;
}

int32_t ReferenceImage(const CellReference& reference) {
  const bool range = !reference.IsSingleCell();
  if ((reference.flags & RefDynamic) != 0) return range ? kImageDynamicRange : kImageDynamicCell;
  if (reference.nameId > 0) return kImageName;
  return range ? kImageRange : kImageCell;
}

CTraceFiller::CTraceFiller(CDependencyContainer& container, ITreeStructure& tree)
    : container_(container), tree_(tree) {}

void CTraceFiller::SetRoot(const CellReference& root, TraceKind kind, int32_t colorIndex) {
  root_ = root;
  kind_ = kind;
  colorIndex_ = colorIndex;
  if (kind == TraceKind::kTraceError) {
    switches_.highlightErrors = true;
    switches_.filterHighlighted = true;
  }
}

void CTraceFiller::Fill() {
  // Selections made while filling must not move Excel's selection.
  selectInExcel_ = false;
  tree_.SetRedraw(false);
  if (IsFlatListKind(kind_)) {
    FillFlatList();
  } else {
    InsertReference(tree_.Root(), root_, false, nullptr);
    const TreeItem top = tree_.FirstChild(tree_.Root());
    if (top != kNoItem && kind_ == TraceKind::kTraceError) {
      if (!expandAllInProgress_) {
        tree_.Select(top);
        ExpandAll();
      }
    } else if (top != kNoItem) {
      // A tree control reports the expansion too; the second fill finds no placeholder.
      ExpandOnDemand(top);
      tree_.Expand(top);
    }
  }
  tree_.SetRedraw(true);
  selectInExcel_ = true;
}

void CTraceFiller::Refresh() {
  texts_.Clear();
  DeleteChildren(tree_.Root());
  nodeMap_.Clear();
  Fill();
}

bool CTraceFiller::PassesFilter(const CellPos& first, const CellPos& last) {
  if (!switches_.filterHighlighted) return true;
  return switches_.highlightErrors &&
         OnExcel([&] { return RangeHasError(container_, first, last); });
}

TreeItem CTraceFiller::InsertItem(TreeItem parent, const CellReference& reference, int32_t image) {
  const TreeItem item = tree_.InsertChild(parent, image, std::nullopt);
  if (item == kNoItem) return item;
  nodeMap_.Set(item, reference);
  progress_.Tick();
  return item;
}

void CTraceFiller::AddPlaceholder(TreeItem item) {
  tree_.InsertChild(item, -1, std::wstring(kNotReadyText));
}

void CTraceFiller::ApplyPlaceholderRule(TreeItem item, const CellReference& reference) {
  if (IsFlatListKind(kind_)) return;
  if ((reference.flags & RefNameNotRange) != 0) {
    // A name whose definition is a formula opens into what the definition refers to.
    if (IsFormulaName(container_, reference)) AddPlaceholder(item);
    return;
  }
  if (!reference.IsSingleCell() ||
      OnExcel([&] { return HasRelated(container_, reference.first, kind_); })) {
    AddPlaceholder(item);
  }
}

void CTraceFiller::InsertReference(TreeItem parent, const CellReference& reference, bool recursive,
                                   std::vector<Task>* tasks) {
  if (reference.externalId != 0) {
    if (container_.ExternalText(reference.externalId).empty()) return;
    CellReference external;
    external.externalId = reference.externalId;
    InsertItem(parent, external, kImageExternal);
    return;
  }
  if (!reference.IsSingleCell()) {
    if (!PassesFilter(reference.first, reference.last)) return;
    const TreeItem item = InsertItem(parent, reference, ReferenceImage(reference));
    if (item == kNoItem) return;
    if (recursive) {
      ExpandRange(item, reference, true, tasks);
    } else {
      ApplyPlaceholderRule(item, reference);
    }
    return;
  }
  if (reference.nameId == 0) {
    InsertCell(parent, reference, recursive, tasks);
    return;
  }
  if (IsFormulaName(container_, reference)) {
    if (!NamePassesFilter(reference)) return;
    InsertName(parent, reference, recursive, tasks);
    return;
  }
  if ((reference.flags & RefNameNotRange) != 0) {
    // A constant holds no cells, so no error cell either.
    if (switches_.filterHighlighted) return;
  } else if (!PassesFilter(reference.first, reference.last)) {
    return;
  }
  InsertItem(parent, reference, kImageName);
}

bool CTraceFiller::NamePassesFilter(const CellReference& name) {
  if (!switches_.filterHighlighted) return true;
  if (!switches_.highlightErrors) return false;
  // Kept when something it leads to would be kept under it: a cell or range holding an error.
  for (const CellReference& target : *NameTargetsOf(container_, name.nameId)) {
    if (target.externalId != 0 || (target.flags & RefNameNotRange) != 0) continue;
    if (OnExcel([&] { return RangeHasError(container_, target.first, target.last); })) return true;
  }
  return false;
}

void CTraceFiller::InsertName(TreeItem parent, const CellReference& reference, bool recursive,
                              std::vector<Task>* tasks) {
  const TreeItem item = InsertItem(parent, reference, kImageName);
  if (item == kNoItem) return;
  if (recursive && progress_.MayContinue()) {
    tasks->push_back(Task{item, PathKey(reference), false});
  } else {
    AddPlaceholder(item);
  }
}

void CTraceFiller::InsertCell(TreeItem parent, const CellReference& reference, bool recursive,
                              std::vector<Task>* tasks) {
  if (!PassesFilter(reference.first, reference.first)) return;
  const TreeItem item = InsertItem(parent, reference, ReferenceImage(reference));
  if (item == kNoItem) return;
  if (recursive && progress_.MayContinue()) {
    tasks->push_back(Task{item, PathKey(reference), false});
  } else {
    ApplyPlaceholderRule(item, reference);
  }
}

void CTraceFiller::ExpandRange(TreeItem item, const CellReference& range, bool recursive,
                               std::vector<Task>* tasks) {
  // The cells are read first: the tree is not touched while Excel's thread runs the read.
  std::vector<CellPos> cells;
  OnExcel([&] {
    ForEachUsedCell(container_, range.first, range.last,
                    [&cells](const CellPos& position) { cells.push_back(position); });
  });
  for (const CellPos& position : cells) {
    CellReference cell;
    cell.first = position;
    cell.last = position;
    if (recursive) {
      InsertCell(item, cell, true, tasks);
      continue;
    }
    if (!PassesFilter(cell.first, cell.last)) continue;
    const TreeItem child = InsertItem(item, cell, kImageCell);
    if (child != kNoItem && !IsFlatListKind(kind_) &&
        OnExcel([&] { return HasRelated(container_, cell.first, kind_); })) {
      AddPlaceholder(child);
    }
  }
}

void CTraceFiller::FillChildren(TreeItem item, const CellReference& key, bool recursive,
                                std::vector<Task>* tasks) {
  const SharedReferenceList list = OnExcel([&] {
    return key.nameId != 0 ? NameReferencesOf(container_, key.nameId)
                           : ListRelated(container_, key.first, kind_);
  });
  if (!list) return;
  for (const CellReference& reference : *list) InsertReference(item, reference, recursive, tasks);
}

bool CTraceFiller::IsPlaceholder(TreeItem item) const {
  if (item == kNoItem || nodeMap_.Contains(item)) return false;
  const std::optional<std::wstring> text = tree_.Text(item);
  return text && *text == kNotReadyText;
}

void CTraceFiller::ExpandOnDemand(TreeItem item) {
  if (!switches_.expansionEnabled || expandAllInProgress_) return;
  const CellReference* found = nodeMap_.Find(item);
  if (found == nullptr) return;
  const TreeItem first = tree_.FirstChild(item);
  if (!IsPlaceholder(first)) return;
  tree_.DeleteItem(first);
  const CellReference reference = *found;
  if (reference.IsSingleCell()) {
    FillChildren(item, PathKey(reference), false, nullptr);
  } else {
    ExpandRange(item, reference, false, nullptr);
  }
}

void CTraceFiller::DeleteChildren(TreeItem item) {
  std::vector<TreeItem> pending;
  for (TreeItem child = tree_.FirstChild(item); child != kNoItem;
       child = tree_.NextSibling(child)) {
    pending.push_back(child);
  }
  const std::vector<TreeItem> top = pending;
  while (!pending.empty()) {
    const TreeItem current = pending.back();
    pending.pop_back();
    nodeMap_.Erase(current);
    for (TreeItem child = tree_.FirstChild(current); child != kNoItem;
         child = tree_.NextSibling(child)) {
      pending.push_back(child);
    }
  }
  for (const TreeItem child : top) tree_.DeleteItem(child);
}

void CTraceFiller::RunTasks(TaskWalk& walk) {
  // Chains and cycles in the workbook decide how deep the branch gets. A cell or name already on
  // its own path is not filled again; it keeps a placeholder, so a cycle (of cells or of names)
  // stays finite and can still be opened a level at a time.
  while (const std::optional<Task> task = walk.Next()) {
    const CellReference* found = nodeMap_.Find(task->item);
    if (found == nullptr) continue;
    if (walk.OnPath(task->key) || (!task->forced && !progress_.MayContinue())) {
      const CellReference reference = *found;
      ApplyPlaceholderRule(task->item, reference);
      continue;
    }
    walk.Enter(task->key);
    std::vector<Task> children;
    FillChildren(task->item, task->key, true, &children);
    walk.PushInOrder(children);
  }
}

void CTraceFiller::ExpandAll() {
  const TreeItem selected = tree_.Selected();
  if (selected == kNoItem) return;
  const CellReference* found = nodeMap_.Find(selected);
  if (found == nullptr) return;
  const CellReference reference = *found;

  progress_.SetTitle(L"Trelvane - expanding tree");
  progress_.Begin(container_.Progress());
  expandAllInProgress_ = true;
  DeleteChildren(selected);

  TaskWalk walk;
  for (TreeItem up = tree_.Parent(selected); up != kNoItem; up = tree_.Parent(up)) {
    const CellReference* entry = nodeMap_.Find(up);
    if (entry != nullptr && entry->IsSingleCell()) walk.AddToPath(PathKey(*entry));
  }
  if (reference.IsSingleCell()) {
    if (reference.externalId == 0 &&
        ((reference.flags & RefNameNotRange) == 0 || IsFormulaName(container_, reference))) {
      walk.Push(Task{selected, PathKey(reference), true});
    }
  } else {
    std::vector<Task> cells;
    ExpandRange(selected, reference, true, &cells);
    walk.PushInOrder(cells);
  }
  RunTasks(walk);

  progress_.SetMessage(L"Expanding nodes (press Stop button to interrupt) ...");
  progress_.ResetStop();
  ExpandVisually(selected);
  expandAllInProgress_ = false;
  progress_.End();
}

void CTraceFiller::ExpandVisually(TreeItem top) {
  std::vector<TreeItem> pending{top};
  while (!pending.empty() && !progress_.StopRequested()) {
    const TreeItem item = pending.back();
    pending.pop_back();
    const TreeItem first = tree_.FirstChild(item);
    if (first == kNoItem || IsPlaceholder(first)) continue;
    tree_.Expand(item);
    std::vector<TreeItem> children;
    for (TreeItem child = first; child != kNoItem; child = tree_.NextSibling(child)) {
      children.push_back(child);
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
}

void CTraceFiller::FillFlatList() {
  const CellPos query{
      kind_ == TraceKind::kFillColor || kind_ == TraceKind::kFontColor ? colorIndex_ : 0, 0, 0};
  const SharedReferenceList list = OnExcel([&] { return ListRelated(container_, query, kind_); });
  if (!list || list->empty()) return;
  {
    CProgressScope progress(container_.Progress(), L"Trelvane - processing cells", L"", true);
    for (size_t i = 0; i < list->size(); ++i) {
      InsertReference(tree_.Root(), (*list)[i], false, nullptr);
      if (i % 10 != 0) continue;
      progress.SetMessage(FormatCount(L"Added %ld cells", static_cast<long>(i)));
      if (progress.StopRequested()) break;
    }
  }
  const TreeItem first = tree_.FirstChild(tree_.Root());
  if (first != kNoItem) tree_.Select(first);
}

std::wstring ReferenceText(const CDependencyContainer& container, const CellReference& reference) {
  if (reference.externalId != 0) {
    return std::wstring(container.ExternalText(reference.externalId));
  }
  const NameRecord* record =
      reference.nameId > 0 ? container.Structure().FindName(reference.nameId) : nullptr;
  if (record != nullptr && record->notRange == 1) return record->name;
  const std::wstring text = record != nullptr ? record->name : reference.text;
  const std::wstring address = CAddressParser::FormatAddress(reference.first, reference.last, L"");
  return text.empty() ? address : text + L" (" + address + L")";
}

std::wstring SheetText(const CDependencyContainer& container, const CellReference& reference) {
  std::wstring text(container.Structure().SheetNameOf(reference.first.sheet));
  if (reference.last.sheet != reference.first.sheet) {
    // A 3-D reference names its span of sheets, as a formula writes it.
    text += L':';
    text += container.Structure().SheetNameOf(reference.last.sheet);
  }
  return text;
}

std::wstring CTraceFiller::ComputeText(const CellReference& reference) {
  if (reference.externalId != 0) {
    return std::wstring(container_.ExternalText(reference.externalId));
  }
  const NameRecord* record =
      reference.nameId > 0 ? container_.Structure().FindName(reference.nameId) : nullptr;
  const bool nameConstant = record != nullptr && record->notRange == 1;
  const std::wstring cell = ReferenceText(container_, reference);
  std::wstring sheet;
  std::wstring value;
  std::wstring formula;
  if (nameConstant) {
    value = record->refersTo;
  } else {
    sheet = SheetText(container_, reference);
    if (reference.IsSingleCell()) {
      CellTexts texts = texts_.Get(container_, reference.first);  // read on Excel's thread
      value = std::move(texts.value);
      formula = std::move(texts.formula);
    } else if ((reference.flags & RefArrayRange) != 0) {
      formula = texts_.Get(container_, reference.first).formula;
    }
  }
  return cell + L'\t' + sheet + L'\t' + value + L'\t' + formula;
}

std::wstring CTraceFiller::ItemText(TreeItem item, size_t bufferSize) {
  std::optional<std::wstring> text = tree_.Text(item);
  if (!text) {
    const CellReference* found = nodeMap_.Find(item);
    text = found == nullptr ? std::wstring() : ComputeText(*found);
    tree_.SetText(item, *text);
  }
  if (bufferSize == 0) return {};
  if (text->size() > bufferSize - 1) text->resize(bufferSize - 1);
  return *text;
}

TraceItemStyle CTraceFiller::ItemStyle(TreeItem item, bool highlighted) {
  TraceItemStyle style;
  const CellReference* reference = ReferenceOf(item);
  if (reference == nullptr || reference->nameId != 0 || reference->externalId != 0) return style;
  const bool error = switches_.highlightErrors && OnExcel([&] {
    return RangeHasError(container_, reference->first, reference->last);
  });
  if (!highlighted) {
    if (error) {
      style.textColor = kErrorTextColor;
    } else if ((reference->flags & RefDynamic) != 0) {
      style.textColor = kDynamicTextColor;
    }
  }
  style.bold = error;
  return style;
}

std::vector<CellReference> CTraceFiller::PathFromRoot(TreeItem item) const {
  std::vector<CellReference> path;
  for (TreeItem at = item; at != kNoItem; at = tree_.Parent(at)) {
    if (const CellReference* found = nodeMap_.Find(at)) path.push_back(*found);
  }
  std::reverse(path.begin(), path.end());
  return path;
}

const CellReference* CTraceFiller::ReferenceOf(TreeItem item) const {
  return nodeMap_.Find(item);
}
