// CRangeObject: Excel's Range, a cell or a rectangle of cells on one sheet, answering the
// members of Excel's Range by name.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "spreadsheet/objects/range_bound_object.h"

namespace spreadsheet {

// What Count and Item(index) count: cells (row by row), rows or columns. Rows and Columns hand
// out ranges of the same cells counted their way.
enum class RangeShape : std::uint8_t { Cells, Rows, Columns };

// A union (Worksheet.Evaluate of "(A1:A2,B1:C1)", Range("A1,B2"), Application.Union) holds
// several areas; Range() is the first. As in Excel, Address, Areas, Count, Cells and the writes
// of values, formulas and clearing cover every area; every other member reads the first area
// (Value of a union is its first area's), and the ranges derived from one (Rows, Item, Offset,
// Resize, End) start from it.
//
// Invariant (beyond the base's): the object never outlives its workbook's sheet, which the
// context's shared workbook keeps alive; every other area lies on the same sheet, and a range
// counted by rows or columns has one area.
class CRangeObject final : public CRangeBoundObject {
 public:
  CRangeObject(ObjectContext context, const CellRect& range, RangeShape shape = RangeShape::Cells,
               std::vector<CellRect> otherAreas = {})
      : CRangeBoundObject(std::move(context), range),
        shape_(shape),
        otherAreas_(std::move(otherAreas)) {}

  RangeShape Shape() const { return shape_; }
  // Every area, the first first.
  std::vector<CellRect> Areas() const;

 protected:
  std::span<const Member> Members() const override;
  HRESULT CallMember(const Member& member, bool put, const CArguments& args,
                     CVariant* result) override;

 private:
  // Reports a write and lets the application recalculate what depends on the range.
  HRESULT Written(const CellRect& range, RangeOutcome outcome);
  HRESULT NewRange(const CellRect& range, RangeShape shape, CVariant* result);
  // Applies a write to every area in turn, stopping at the first that fails.
  template <class Write>
  HRESULT WriteEachArea(Write write);
  HRESULT WriteValues(const VARIANT& value);
  // The range Item(...) or Cells(...) names, counting from this range's top-left cell.
  // `countedAs` says what a single index counts: cells row by row, rows or columns.
  HRESULT ResolveItem(const CArguments& args, RangeShape countedAs, CellRect* item,
                      RangeShape* shape);
  HRESULT Item(const CArguments& args, bool put, RangeShape countedAs, CVariant* result);
  HRESULT Count(CVariant* result);
  HRESULT Address(const CArguments& args, CVariant* result);
  HRESULT Resize(const CArguments& args, CVariant* result);
  HRESULT Offset(const CArguments& args, CVariant* result);
  HRESULT End(const CArguments& args, CVariant* result);
  HRESULT Select(bool activate);
  HRESULT Text(CVariant* result);
  HRESULT Style(bool put, const CArguments& args, CVariant* result);
  HRESULT NumberFormat(bool put, const CArguments& args, CVariant* result);
  HRESULT Locked(bool put, const CArguments& args, CVariant* result);
  HRESULT ColumnWidth(bool put, const CArguments& args, CVariant* result);
  HRESULT RowHeight(bool put, const CArguments& args, CVariant* result);

  RangeShape shape_;
  std::vector<CellRect> otherAreas_;  // after the first, of a union; empty for one rectangle
};

}  // namespace spreadsheet
