// Writing a path from the root.
#include "export/path_writer.h"

#include "export/branch_cell_line.h"

void SavePath(CBranchStorage& storage, CDependencyContainer& container,
              const std::vector<CellReference>& path) {
  if (!storage.Open()) return;
  for (const CellReference& entry : path) {
    if (IsNameEntry(entry)) {
      WriteNameLine(storage, container, entry.nameId, 0, false);
    } else if (entry.IsSingleCell()) {
      WriteCellLine(storage, container, entry.first, 0, false);
    } else {
      storage.WriteRange(entry.first, entry.last, RectangleName(container, entry.first, entry.last),
                         0, false);
    }
  }
  storage.Close();
}
