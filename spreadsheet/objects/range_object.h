// CRangeObject: Excel's Range, a cell or a rectangle of cells on one sheet, answering the
// members of Excel's Range by name.
#pragma once

#include <cstdint>
#include <span>

#include "spreadsheet/objects/range_bound_object.h"

namespace spreadsheet {

// What Count and Item(index) count: cells (row by row), rows or columns. Rows and Columns hand
// out ranges of the same cells counted their way.
enum class RangeShape : std::uint8_t { Cells, Rows, Columns };

// Invariant (beyond the base's): the object never outlives its workbook's sheet, which the
// context's shared workbook keeps alive.
class CRangeObject final : public CRangeBoundObject {
 public:
  CRangeObject(ObjectContext context, const CellRect& range, RangeShape shape = RangeShape::Cells)
      : CRangeBoundObject(std::move(context), range), shape_(shape) {}

  RangeShape Shape() const { return shape_; }

 protected:
  std::span<const Member> Members() const override;
  HRESULT CallMember(const Member& member, bool put, const CArguments& args,
                     CVariant* result) override;

 private:
  // Reports a write and lets the application recalculate what depends on the range.
  HRESULT Written(const CellRect& range, RangeOutcome outcome);
  HRESULT NewRange(const CellRect& range, RangeShape shape, CVariant* result);
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
};

}  // namespace spreadsheet
