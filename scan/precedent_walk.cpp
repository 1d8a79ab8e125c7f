// The precedent walk, with its own stack of open cells and rectangles so that the depth of the
// call stack never follows the length of a chain of formulas.
#include "scan/precedent_walk.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "container/count_message.h"
#include "container/name_definitions.h"
#include "container/progress_relay.h"
#include "scan/cell_collection.h"
#include "scan/scan_strategies.h"
#include "scan/used_range.h"

namespace {

// How often the walk reports and looks at Stop, in entries of the visited map.
constexpr size_t kReportEvery = 50;

// A formula cell whose references are being walked, or a rectangle whose cells are.
struct OpenVisit {
  bool isRectangle = false;
  CellReference key;
  bool dynamic = false;
  bool anyTrue = false;
  // A formula cell: its origin's references and the next one to walk.
  SharedReferenceList references;
  size_t next = 0;
  // A rectangle: its corners in order, and on the sheet being walked the corners clamped into
  // that sheet's used range and the next cell, column by column.
  CellPos low;
  CellPos high;
  int32_t sheet = 0;
  CellPos first;
  CellPos last;
  CellPos cursor;
  bool sheetOutsideUsedRange = false;  // nothing of the rectangle on this sheet can hold data
};

class CPrecedentWalk {
 public:
  CPrecedentWalk(CDependencyContainer& container, IArgumentListScaner& scanner,
                 CProgressScope& progress)
      : container_(container), scanner_(scanner), progress_(progress) {}

  void Run(const CellPos& start) {
    std::optional<bool> answer = BeginCell(start, false);
    while (!open_.empty() && !stopped_) {
      if (answer) open_.back().anyTrue |= *answer;
      answer = Advance();
    }
  }

 private:
  // Starts the visit of a cell: its answer when known at once, nothing when it was opened.
  std::optional<bool> BeginCell(const CellPos& position, bool dynamic) {
    if (position.IsNoCell()) return false;
    CellReference key = SingleCellEntry(position);
    if (const auto seen = visited_.find(key); seen != visited_.end()) return seen->second;
    visited_.emplace(key, true);
    if (visited_.size() % kReportEvery == 0) {
      progress_.SetMessage(
          FormatCount(L"Processed cells: %ld", static_cast<long>(visited_.size())));
      if (progress_.StopRequested()) {
        stopped_ = true;
        return false;
      }
    }
    CellPos origin = ArrayOriginOf(container_, position);
    EnsureCellCollected(container_, origin);
    // Collecting a cell of an array not yet recorded records it, and with it the real origin.
    origin = ArrayOriginOf(container_, origin);
    const SharedReferenceList* found = container_.Formulas().Find(origin);
    if (found == nullptr) {
      CellReference entry = SingleCellEntry(position);
      if (dynamic) entry.flags = RefDynamic;
      const bool result = scanner_.OnValueCell(entry);
      visited_[key] = result;
      return result;
    }
    OpenVisit visit;
    visit.key = std::move(key);
    visit.dynamic = dynamic;
    // Names whose definition is a formula are walked through to what they refer to.
    visit.references = WithNamesFollowed(container_, *found);
    visit.first = position;
    open_.push_back(std::move(visit));
    return std::nullopt;
  }

  std::optional<bool> BeginReference(const CellReference& entry, bool dynamic) {
    if (entry.externalId != 0 || (entry.nameId != 0 && (entry.flags & RefNameNotRange) != 0) ||
        (entry.flags & RefInvalid) != 0) {
      return false;
    }
    const bool mark = dynamic || (entry.flags & RefDynamic) != 0;
    if (entry.IsSingleCell()) return BeginCell(entry.first, mark);
    if (const auto seen = visited_.find(entry); seen != visited_.end()) return seen->second;
    visited_.emplace(entry, true);
    OpenVisit visit;
    visit.isRectangle = true;
    visit.key = entry;
    visit.dynamic = mark;
    visit.low = {std::min(entry.first.sheet, entry.last.sheet),
                 std::min(entry.first.column, entry.last.column),
                 std::min(entry.first.row, entry.last.row)};
    visit.high = {std::max(entry.first.sheet, entry.last.sheet),
                  std::max(entry.first.column, entry.last.column),
                  std::max(entry.first.row, entry.last.row)};
    StartSheet(visit, visit.low.sheet);
    open_.push_back(std::move(visit));
    return std::nullopt;
  }

  // A 3-D rectangle holds its cells on every sheet from the first to the last, each sheet's
  // part clamped into that sheet's own used range.
  void StartSheet(OpenVisit& visit, int32_t sheet) {
    visit.sheet = sheet;
    visit.first = {sheet, visit.low.column, visit.low.row};
    visit.last = {sheet, visit.high.column, visit.high.row};
    visit.sheetOutsideUsedRange = !ClampRectangle(container_, &visit.first, &visit.last);
    visit.cursor = visit.first;
  }

  // Takes the next step of the innermost open visit; closes it when nothing is left to walk.
  std::optional<bool> Advance() {
    OpenVisit& top = open_.back();
    const bool dynamic = top.dynamic;
    if (!top.isRectangle) {
      if (top.next < top.references->size()) {
        // Copied: opening another visit may move the open ones.
        const SharedReferenceList references = top.references;
        return BeginReference((*references)[top.next++], dynamic);
      }
      return Close(scanner_.OnFormulaCell(top.first, top.anyTrue));
    }
    if (top.sheetOutsideUsedRange || top.cursor.column > top.last.column ||
        top.cursor.row > top.last.row) {
      if (top.sheet >= top.high.sheet) return Close(top.anyTrue);
      StartSheet(top, top.sheet + 1);
      return false;
    }
    const CellPos cell{top.sheet, top.cursor.column, top.cursor.row};
    if (++top.cursor.row > top.last.row) {
      top.cursor.row = top.first.row;
      ++top.cursor.column;
    }
    return BeginCell(cell, dynamic);
  }

  bool Close(bool answer) {
    visited_[open_.back().key] = answer;
    open_.pop_back();
    return answer;
  }

  CDependencyContainer& container_;
  IArgumentListScaner& scanner_;
  CProgressScope& progress_;
  std::map<CellReference, bool> visited_;
  std::vector<OpenVisit> open_;
  bool stopped_ = false;
};

}  // namespace

void WalkPrecedents(CDependencyContainer& container, const CellPos& position,
                    IArgumentListScaner& scanner, const std::wstring& title) {
  CProgressScope progress(container.Progress(), L"Trelvane - " + title, L"", true);
  CPrecedentWalk(container, scanner, progress).Run(position);
}
