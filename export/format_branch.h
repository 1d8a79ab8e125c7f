// Applying a workbook cell style to the cells of a trace branch, or to the nodes on the path from
// a tree's root down to one node.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "engine/related.h"
#include "formula/cell_reference.h"
#include "views/population_tree_progress.h"

// One branch walk. Every entry reachable from the root along the kind's relation is styled once:
// the visited set, ordered as reference entries are (external id, then name id, then corners), is
// what ends circles and keeps shared precedents from being written twice. The walk keeps its own
// work list, so chains of any length leave the call stack alone. It shows no progress window
// and cannot be stopped; failed reads and writes are skipped without a word.
class CFormatBranch : public CPopulationTreeProgress {
 public:
  CFormatBranch(CDependencyContainer& container, TraceKind kind, std::wstring styleName);

  void Format(const CellReference& root);

  // Entries seen so far, styled or skipped.
  size_t VisitedCount() const { return visited_.size(); }

 private:
  // The children still to format of one cell, or of the cells of a rectangle in turn.
  struct Pending {
    SharedReferenceList children;
    size_t next = 0;
    // Rectangles only: true while cells are left, `cursor` being the one whose children come next.
    bool rectangle = false;
    CellPos first;
    CellPos last;
    CellPos cursor;
  };

  // Styles the entry when it is new and queues what lies below it.
  void Visit(const CellReference& entry);
  void StyleRange(const CellPos& first, const CellPos& last);
  // Moves the rectangle's cursor on (rows outer, columns inner, sheets outermost); false past
  // its last cell.
  static bool Advance(Pending& pending);

  CDependencyContainer& container_;
  TraceKind kind_;
  std::wstring styleName_;
  std::set<CellReference> visited_;
  std::vector<Pending> work_;
};

// The branch below `root` for the tree's kind, the root included.
void FormatBranch(CDependencyContainer& container, const CellReference& root, TraceKind kind,
                  const std::wstring& styleName);

// The entries from the root down to the selected node, each styled as a whole; nothing below
// them. An empty style name changes nothing.
void FormatPath(CDependencyContainer& container, const std::vector<CellReference>& path,
                const std::wstring& styleName);
