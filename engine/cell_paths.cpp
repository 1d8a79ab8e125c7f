// A depth-first search over an explicit work list; the cells on the work list are the path.
#include "engine/cell_paths.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "container/count_message.h"
#include "container/name_definitions.h"
#include "container/progress_relay.h"

namespace {

constexpr long kReportEvery = 50;

bool LeadsNowhere(const CellReference& reference) {
  return reference.externalId != 0 ||
         (reference.nameId != 0 && (reference.flags & RefNameNotRange) != 0) ||
         (reference.flags & RefInvalid) != 0 || reference.first.IsNoCell() ||
         reference.last.IsNoCell();
}

// The cells of a reference sheet by sheet, row by row, and column by column within a row.
class CCellWalk {
 public:
  CCellWalk() = default;
  explicit CCellWalk(const CellReference& reference) {
    if (LeadsNowhere(reference)) return;
    low_ = {std::min(reference.first.sheet, reference.last.sheet),
            std::min(reference.first.column, reference.last.column),
            std::min(reference.first.row, reference.last.row)};
    high_ = {std::max(reference.first.sheet, reference.last.sheet),
             std::max(reference.first.column, reference.last.column),
             std::max(reference.first.row, reference.last.row)};
    next_ = low_;
    done_ = false;
  }

  std::optional<CellPos> Next() {
    if (done_) return std::nullopt;
    const CellPos cell = next_;
    if (next_.column < high_.column) {
      ++next_.column;
    } else if (next_.row < high_.row) {
      next_.column = low_.column;
      ++next_.row;
    } else if (next_.sheet < high_.sheet) {
      next_.column = low_.column;
      next_.row = low_.row;
      ++next_.sheet;
    } else {
      done_ = true;
    }
    return cell;
  }

 private:
  CellPos low_;
  CellPos high_;
  CellPos next_;
  bool done_ = true;
};

// The first cell of `reference`, in walking order, that the target contains.
std::optional<CellPos> FirstCellInTarget(const CellReference& reference,
                                         const CellReference& target) {
  if (LeadsNowhere(reference) || LeadsNowhere(target)) return std::nullopt;
  if (reference.IsSingleCell()) {
    if (target.Contains(reference.first)) return reference.first;
    return std::nullopt;
  }
  const bool ordered = target.first.sheet <= target.last.sheet &&
                       target.first.column <= target.last.column &&
                       target.first.row <= target.last.row;
  if (!ordered) {
    // Only the corners of a target written backwards contain cells; rare enough to walk.
    CCellWalk walk(reference);
    while (const auto cell = walk.Next()) {
      if (target.Contains(*cell)) return cell;
    }
    return std::nullopt;
  }
  // Two boxes meet in a box, whose first cell in walking order is its low corner.
  const CellPos low{
      std::max(std::min(reference.first.sheet, reference.last.sheet), target.first.sheet),
      std::max(std::min(reference.first.column, reference.last.column), target.first.column),
      std::max(std::min(reference.first.row, reference.last.row), target.first.row)};
  const CellPos high{
      std::min(std::max(reference.first.sheet, reference.last.sheet), target.last.sheet),
      std::min(std::max(reference.first.column, reference.last.column), target.last.column),
      std::min(std::max(reference.first.row, reference.last.row), target.last.row)};
  if (low.sheet > high.sheet || low.column > high.column || low.row > high.row) {
    return std::nullopt;
  }
  return low;
}

CellReference SingleCell(const CellPos& cell) {
  CellReference reference;
  reference.first = cell;
  reference.last = cell;
  return reference;
}

// A cell being searched: its related references and where the search stands in them.
struct SearchFrame {
  CellPos cell;
  SharedReferenceList related;
  size_t nextReference = 0;
  CCellWalk walk;
};

class CPathSearch {
 public:
  CPathSearch(CDependencyContainer& container, TraceKind kind, CProgressScope& progress)
      : container_(container), kind_(kind), progress_(progress) {}

  bool Search(const CellReference& start, const CellReference& target,
              std::vector<CellReference>* path) {
    CCellWalk startWalk(start);
    std::vector<SearchFrame> frames;
    for (;;) {
      const std::optional<CellPos> candidate = NextCandidate(&startWalk, &frames);
      if (!candidate) return false;
      if (progress_.StopRequested()) return false;
      const CellPos cell = *candidate;
      if (!visited_.insert(cell).second) continue;
      if (static_cast<long>(visited_.size()) % kReportEvery == 0) {
        progress_.SetMessage(FormatCount(L"Cells processed: %ld", Processed()));
      }
      // A path through a formula name runs on to the cells its definition refers to.
      SharedReferenceList related = WithNamesFollowed(container_, ListRelated(container_, cell, kind_));
      if (!related || related->empty()) continue;
      for (const CellReference& reference : *related) {
        if (const auto reached = FirstCellInTarget(reference, target)) {
          for (const SearchFrame& frame : frames) path->push_back(SingleCell(frame.cell));
          path->push_back(SingleCell(cell));
          path->push_back(SingleCell(*reached));
          return true;
        }
      }
      frames.push_back(SearchFrame{cell, std::move(related), 0, {}});
    }
  }

  long Processed() const { return static_cast<long>(visited_.size()); }

 private:
  // The next cell to search: the next one under the innermost cell still searched, or of the
  // start when none is. Cells whose references are used up leave the work list.
  static std::optional<CellPos> NextCandidate(CCellWalk* startWalk,
                                              std::vector<SearchFrame>* frames) {
    while (!frames->empty()) {
      SearchFrame& top = frames->back();
      if (const auto cell = top.walk.Next()) return cell;
      if (top.nextReference < top.related->size()) {
        top.walk = CCellWalk((*top.related)[top.nextReference++]);
        continue;
      }
      frames->pop_back();
    }
    return startWalk->Next();
  }

  CDependencyContainer& container_;
  TraceKind kind_;
  CProgressScope& progress_;
  std::set<CellPos, CellPosOrder> visited_;
};

}  // namespace

bool FindPath(CDependencyContainer& container, const CellReference& from, const CellReference& to,
              TraceKind kind, std::vector<CellReference>* path, long* cellsProcessed) {
  path->clear();
  const bool backwards = kind == TraceKind::kDependents;
  bool found = false;
  long processed = 0;
  {
    CProgressScope progress(container.Progress(), L"Trelvane - searching ...",
                            L"Cells processed: 0", true);
    CPathSearch search(container, backwards ? TraceKind::kPrecedents : kind, progress);
    found = backwards ? search.Search(to, from, path) : search.Search(from, to, path);
    processed = search.Processed();
  }
  if (!found) {
    path->clear();
  } else if (backwards) {
    std::reverse(path->begin(), path->end());
  }
  if (cellsProcessed != nullptr) *cellsProcessed = processed;
  return found;
}
