// CBranchStorageSheet: a saved branch on a new worksheet after the last one, one row per entry,
// the entry's text in the column of its depth (depth 0 in column C).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "container/dependency_container.h"
#include "excel/excel_object.h"
#include "excel/scope_guards.h"
#include "export/branch_storage.h"

// The report is gathered in memory and written to the sheet in one assignment on Close. From
// SetContainer until the storage goes, screen updating and automatic recalculation are paused.
// The container is borrowed and must outlive the storage.
class CBranchStorageSheet final : public CBranchStorage {
 public:
  // The first line goes to sheet row 3 (grid row 2).
  static constexpr std::size_t kFirstRow = 2;

  CBranchStorageSheet() = default;
  CBranchStorageSheet(const CBranchStorageSheet&) = delete;
  CBranchStorageSheet& operator=(const CBranchStorageSheet&) = delete;

  void SetContainer(CDependencyContainer* container);

  // Adds the worksheet; fails when it cannot be added.
  bool Open() override;
  // Writes the grid, activates the new sheet and hides the active window's gridlines.
  void Close() override;

  void WriteRange(const CellPos& first, const CellPos& last, const std::wstring& name,
                  std::uint32_t depth, bool expandedAbove) override;
  void WriteCell(const CellPos& position, const std::wstring& name, const std::wstring& formula,
                 const std::wstring& value, std::uint32_t depth, bool expandedAbove) override;
  void WriteExpression(const std::wstring& text, const std::wstring& value,
                       std::uint32_t depth) override;
  void WriteText(const std::wstring& text, std::uint32_t depth) override;
  void WriteName(const std::wstring& name, const std::wstring& refersTo, std::uint32_t depth,
                 bool expandedAbove) override;

  // The sheet added by Open, empty before.
  const ExcelObject& Sheet() const { return sheet_; }

 private:
  // Grid rows and columns from 0; unset cells are empty.
  void Put(std::size_t row, std::size_t column, std::wstring text);
  // The label in the depth's column, then the formula without its "=" and the value, or the
  // value alone; one row.
  void PutCellLine(std::wstring label, const std::wstring& formula, const std::wstring& value,
                   std::uint32_t depth);
  static std::size_t Column(std::uint32_t depth, std::size_t offset) {
    return static_cast<std::size_t>(depth) + offset;
  }

  CDependencyContainer* container_ = nullptr;  // Borrowed.
  std::optional<RecalcPauseGuard> pause_;
  ExcelObject sheet_;
  std::vector<std::vector<std::wstring>> grid_;
  std::size_t row_ = kFirstRow;
};
