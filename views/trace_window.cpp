// The trace window's rules, and the search for a cell along a chain of the tree's relation.
#include "views/trace_window.h"

#include <algorithm>
#include <limits>

#include "container/name_definitions.h"
#include "engine/cell_paths.h"
#include "formula/address_parser.h"
#include "views/cell_text_cache.h"
#include "views/item_fields.h"
#include "views/window_commands.h"

namespace {

// `format` with each "%s" replaced in turn; a format is never handed to printf.
std::wstring FillTexts(const std::wstring& format, const std::wstring& first,
                       const std::wstring& second) {
  std::wstring result;
  const std::wstring* texts[] = {&first, &second};
  size_t used = 0;
  size_t from = 0;
  for (size_t at = format.find(L"%s"); at != std::wstring::npos && used < 2;
       at = format.find(L"%s", from)) {
    result += format.substr(from, at - from) + *texts[used++];
    from = at + 2;
  }
  return result + format.substr(from);
}

bool IsNameConstant(const CDependencyContainer& container, const CellReference& reference) {
  if ((reference.flags & RefNameNotRange) != 0) return true;
  const NameRecord* record =
      reference.nameId > 0 ? container.Structure().FindName(reference.nameId) : nullptr;
  return record != nullptr && record->notRange == 1;
}

// A corner of the reference, or a cell inside its rectangle.
bool CoversCell(const CellReference& reference, const CellPos& cell) {
  return reference.first == cell || reference.last == cell || reference.Contains(cell);
}

size_t CountItems(const ITreeStructure& tree) {
  size_t count = 0;
  std::vector<TreeItem> pending{tree.Root()};
  while (!pending.empty()) {
    const TreeItem item = pending.back();
    pending.pop_back();
    for (TreeItem child = tree.FirstChild(item); child != kNoItem;
         child = tree.NextSibling(child)) {
      ++count;
      pending.push_back(child);
    }
  }
  return count;
}

}  // namespace

std::wstring TraceKindWord(TraceKind kind) {
  switch (kind) {
    case TraceKind::kDependents:
      return L"dependents";
    case TraceKind::kPrecedents:
      return L"precedents";
    case TraceKind::kInputs:
      return L"inputs";
    case TraceKind::kTraceError:
      return L"trace error";
    case TraceKind::kErrorCells:
    case TraceKind::kEvaluateFormula:
    case TraceKind::kFillColor:
    case TraceKind::kFontColor:
    case TraceKind::kCalculationChain:
      return {};
  }
  // Any other number arrives from automation and is traced as precedents.
  return L"precedents";
}

std::wstring TraceWindowTitle(const CDependencyContainer& container, const CellReference& root,
                              TraceKind kind) {
  switch (kind) {
    case TraceKind::kErrorCells:
      return L"Cells with error value";
    case TraceKind::kFillColor:
      return L"Filter cells by background color";
    case TraceKind::kFontColor:
      return L"Filter cells by text color";
    case TraceKind::kCalculationChain:
      return L"Calculation Chain";
    default:
      break;
  }
  std::wstring text;
  if (root.nameId != 0) {
    const NameRecord* record = container.Structure().FindName(root.nameId);
    text = record != nullptr ? record->name : root.text;
  } else {
    text = CAddressParser::FormatAddress(root.first, root.last,
                                         container.Structure().SheetNameOf(root.first.sheet));
  }
  return text + L" - " + TraceKindWord(kind);
}

bool TraceCommandEnabled(int32_t command, const CellReference* selected) {
  switch (RuleCommandOf(command)) {
    case kCmdFilterHighlighted:
    case kCmdShowTracingArrows:
    case kCmdHelp:
    case kCmdAutoActivate:
    case kCmdExpandAll:
    case kCmdShowFindToolbar:
    case kCmdHighlightErrors:
      return true;
    case kCmdShowPrecedents:
    case kCmdShowDependents:
    case kCmdSelectInExcel:
    case kCmdShowInputs:
    case kCmdTraceError:
    case kCmdSaveBranchOnSheet:
    case kCmdSavePathOnSheet:
    case kCmdFormatBranchFirst:
      return selected != nullptr;
    case kCmdEvaluateFormula:
      return selected != nullptr && selected->externalId == 0 &&
             (selected->flags & RefNameNotRange) == 0;
    default:
      return false;
  }
}

int32_t FormulaBoxHeight(const std::wstring& formula, int32_t lineHeight, int32_t boxBorder) {
  const auto lineFeeds = std::count(formula.begin(), formula.end(), L'\n');
  return boxBorder + static_cast<int32_t>(lineFeeds + 1) * lineHeight;
}

bool SelectionAddressText(const ExcelObject& application, std::wstring* text) {
  ExcelObject selection;
  std::wstring address;
  if (!application.GetObject(L"Selection", &selection) || selection.IsEmpty() ||
      !selection.GetText(L"Address", &address) || address.empty()) {
    return false;
  }
  ExcelObject sheet;
  std::wstring name;
  if (selection.GetObject(L"Parent", &sheet) && sheet.GetText(L"Name", &name) && !name.empty()) {
    std::wstring quoted;
    for (const wchar_t c : name) {
      quoted += c;
      if (c == L'\'') quoted += c;  // read back as an address, one quote would end the name
    }
    address = L"'" + quoted + L"'!" + address;
  }
  *text = address;
  return true;
}

CTraceWindowLogic::CTraceWindowLogic(CDependencyContainer& container, ITreeStructure& tree,
                                     CTraceFiller& filler)
    : container_(container), tree_(tree), filler_(filler) {}

void CTraceWindowLogic::SetRoot(const CellReference& root, TraceKind kind, int32_t colorIndex) {
  root_ = root;
  kind_ = kind;
  filler_.SetRoot(root, kind, colorIndex);
  title_ = TraceWindowTitle(container_, root_, kind_);
}

void CTraceWindowLogic::Fill() {
  filler_.Fill();
  SetBoxesToRoot();
  title_ = TraceWindowTitle(container_, root_, kind_);
  if (kind_ == TraceKind::kErrorCells) {
    title_ = FormatCount(L"Cells with error value (%ld)", static_cast<long>(CountItems(tree_)));
  }
}

void CTraceWindowLogic::Refresh() {
  filler_.Refresh();
  SetBoxesToRoot();
  title_ = TraceWindowTitle(container_, root_, kind_);
  if (kind_ == TraceKind::kErrorCells) {
    title_ = FormatCount(L"Cells with error value (%ld)", static_cast<long>(CountItems(tree_)));
  }
}

void CTraceWindowLogic::SetBoxesToRoot() {
  boxes_ = BoxTexts{};
  if (IsFlatListKind(kind_)) return;
  if (root_.nameId != 0) {
    if (const NameRecord* record = container_.Structure().FindName(root_.nameId)) {
      boxes_.value = record->refersTo;
    }
  } else if (root_.IsSingleCell() && root_.externalId == 0) {
    const CellTexts texts = OnExcelThread(container_.ExcelThread(),
                                          [&] { return ReadCellTexts(container_, root_.first); });
    boxes_.value = texts.value;
    boxes_.formula = texts.formula;
  }
}

void CTraceWindowLogic::ShowItemInBoxes(TreeItem item) {
  const std::wstring text = filler_.ItemText(item, std::numeric_limits<size_t>::max());
  boxes_.value = ItemField(text, 2);
  boxes_.formula = ItemField(text, 3);
}

bool CTraceWindowLogic::IsCommandEnabled(int32_t command) const {
  return TraceCommandEnabled(command, filler_.ReferenceOf(tree_.Selected()));
}

void CTraceWindowLogic::ToggleHighlightErrors() {
  filler_.Switches().highlightErrors = !filler_.Switches().highlightErrors;
}

void CTraceWindowLogic::ToggleFilterHighlighted() {
  filler_.Switches().filterHighlighted = !filler_.Switches().filterHighlighted;
  Refresh();
}

void CTraceWindowLogic::Show(const std::wstring& message) {
  if (messages_ != nullptr) messages_->ShowMessage(message);
}

FindResult CTraceWindowLogic::FindText(const std::wstring& text) {
  if (text.empty()) return {};
  const TreeItem selected = tree_.Selected();
  if (filler_.ReferenceOf(selected) == nullptr) return {};
  CAddressParser& parser = container_.AddressParser();
  parser.SetCurrentCell(root_.first);
  if (!parser.Parse(text) || parser.IsExternal()) {
    Show(kInvalidFindAddressMessage);
    return {FindOutcome::kInvalidAddress, kNoItem, kInvalidFindAddressMessage};
  }
  CellReference target;
  target.first = parser.First();
  target.last = parser.Last();
  return FindInBranch(selected, target);
}

FindResult CTraceWindowLogic::FindInBranch(TreeItem from, const CellReference& target) {
  const CellReference* found = filler_.ReferenceOf(from);
  if (found == nullptr) return {};
  const CellReference start = *found;
  if (target.IsIdenticalTo(start)) return {};
  if (target.IsSingleCell() && start.externalId == 0 && !IsNameConstant(container_, start) &&
      CoversCell(start, target.first)) {
    return {};
  }

  std::vector<CellReference> path;
  OnExcelThread(container_.ExcelThread(),
                [&] { FindPath(container_, start, target, kind_, &path); });
  if (path.empty()) {
    FindResult result{
        FindOutcome::kNoPath, kNoItem,
        FillTexts(kNoPathMessageFormat, CAddressParser::FormatAddress(start.first, start.last, L""),
                  CAddressParser::FormatAddress(target.first, target.last, L""))};
    Show(result.message);
    return result;
  }

  // A tree control reports the expansion too; the second fill finds no placeholder.
  filler_.ExpandOnDemand(from);
  tree_.Expand(from);
  walking_ = true;
  IOperationProgress& progress = container_.Progress();
  progress.Begin(kFindProgressTitle, kFindProgressMessage, true);
  TraceSwitches& switches = filler_.Switches();
  switches.expansionEnabled = false;

  const TreeItem reached = WalkPath(from, path);

  switches.expansionEnabled = true;
  walking_ = false;
  findToolbarVisible_ = false;
  progress.End();
  return {reached != kNoItem ? FindOutcome::kReached : FindOutcome::kNotReached, reached, {}};
}

void CTraceWindowLogic::FillItem(TreeItem item) {
  TraceSwitches& switches = filler_.Switches();
  const bool enabled = switches.expansionEnabled;
  switches.expansionEnabled = true;
  filler_.ExpandOnDemand(item);
  switches.expansionEnabled = enabled;
}

TreeItem CTraceWindowLogic::WalkPath(TreeItem from, const std::vector<CellReference>& path) {
  // Each frame is an item being walked: its next child to try and the path position the
  // children are matched against. The path is as long as the chain the workbook holds, so the
  // walk keeps its frames on the heap.
  struct Frame {
    TreeItem nextChild;
    size_t position;
    bool matched;  // the item is the path element before `position`
  };
  std::vector<Frame> frames;
  TreeItem reached = kNoItem;

  const auto visit = [&](TreeItem item, size_t position) {
    if (position >= path.size() || container_.Progress().StopRequested()) return;
    const CellReference* found = filler_.ReferenceOf(item);
    if (found == nullptr) return;
    const CellReference reference = *found;
    const CellReference& element = path[position];
    // The path holds plain cells; a name of one cell stands for that cell in the tree.
    const bool namedCell = reference.nameId != 0 && reference.externalId == 0 &&
                           !IsNameConstant(container_, reference) && reference.IsSingleCell() &&
                           element.IsSingleCell() && reference.first == element.first;
    if (reference.IsIdenticalTo(element) || namedCell) {
      FillItem(item);
      tree_.Expand(item);
      tree_.Select(item);
      const bool last = position + 1 == path.size();
      if (last) reached = item;
      frames.push_back({last ? kNoItem : tree_.FirstChild(item), position + 1, true});
      return;
    }
    if (reference.externalId != 0) return;
    // A name whose definition is a formula holds the cells that definition leads to.
    if (IsNameConstant(container_, reference) ? !NameLeadsTo(container_, reference, element.first)
                                              : !CoversCell(reference, element.first)) {
      return;
    }
    // A range holding the path's next cell: open it, without selecting it, and look inside.
    FillItem(item);
    tree_.Expand(item);
    frames.push_back({tree_.FirstChild(item), position, false});
  };

  visit(from, 0);
  while (!frames.empty()) {
    Frame& top = frames.back();
    if (top.nextChild == kNoItem) {
      // A matched item ends the walk once its children are tried: it reports found upwards.
      if (top.matched) break;
      frames.pop_back();
      continue;
    }
    const TreeItem child = top.nextChild;
    top.nextChild = tree_.NextSibling(child);
    visit(child, top.position);
  }
  return reached;
}
