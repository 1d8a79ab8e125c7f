// The branch walk and the path write of select and format.
#include "export/format_branch.h"

#include <utility>

#include "excel/cell_range.h"

namespace {

// A range that cannot be had (no cell, corners on two sheets, a sheet gone) is left out, and a
// style the workbook refuses leaves the cells as they were.
void WriteStyle(const ExcelObject& worksheets, const CellPos& first, const CellPos& last,
                const std::wstring& styleName) {
  ExcelObject range;
  if (GetRectangleRange(worksheets, first, last, &range)) range.PutText(L"Style", styleName);
}

}  // namespace

CFormatBranch::CFormatBranch(CDependencyContainer& container, TraceKind kind,
                             std::wstring styleName)
    : container_(container), kind_(kind), styleName_(std::move(styleName)) {}

void CFormatBranch::Format(const CellReference& root) {
  Visit(root);
  while (!work_.empty()) {
    Pending& top = work_.back();
    if (top.children && top.next < top.children->size()) {
      // Visit may grow the work list and move `top`; the shared list keeps the entry alive.
      const SharedReferenceList children = top.children;
      Visit((*children)[top.next++]);
      continue;
    }
    if (top.rectangle) {
      const CellPos cell = top.cursor;
      top.rectangle = Advance(top);
      top.children = ListRelated(container_, cell, kind_);
      top.next = 0;
      continue;
    }
    work_.pop_back();
  }
}

void CFormatBranch::Visit(const CellReference& entry) {
  if (!visited_.insert(entry).second) return;
  if ((entry.flags & RefNameNotRange) != 0) return;
  StyleRange(entry.first, entry.last);
  Pending pending;
  if (entry.IsSingleCell()) {
    pending.children = ListRelated(container_, entry.first, kind_);
    if (!pending.children || pending.children->empty()) return;
  } else {
    pending.first = entry.first;
    pending.last = entry.last;
    pending.cursor = entry.first;
    // Corners as written: a rectangle whose last corner lies before its first has no cells.
    pending.rectangle = entry.first.sheet <= entry.last.sheet &&
                        entry.first.row <= entry.last.row &&
                        entry.first.column <= entry.last.column;
    if (!pending.rectangle) return;
  }
  work_.push_back(std::move(pending));
}

void CFormatBranch::StyleRange(const CellPos& first, const CellPos& last) {
  WriteStyle(container_.Worksheets(), first, last, styleName_);
}

bool CFormatBranch::Advance(Pending& pending) {
  CellPos& cursor = pending.cursor;
  if (++cursor.column <= pending.last.column) return true;
  cursor.column = pending.first.column;
  if (++cursor.row <= pending.last.row) return true;
  cursor.row = pending.first.row;
  return ++cursor.sheet <= pending.last.sheet;
}

void FormatBranch(CDependencyContainer& container, const CellReference& root, TraceKind kind,
                  const std::wstring& styleName) {
  CFormatBranch walk(container, kind, styleName);
  walk.Format(root);
}

void FormatPath(CDependencyContainer& container, const std::vector<CellReference>& path,
                const std::wstring& styleName) {
  if (styleName.empty()) return;
  for (const CellReference& entry : path) {
    WriteStyle(container.Worksheets(), entry.first, entry.last, styleName);
  }
}
