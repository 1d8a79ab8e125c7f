// CBordersObject: Excel's Borders collection of a range: Item(edge) hands out one Border, and
// LineStyle, Weight, Color and ColorIndex on the collection apply to every side of every cell.
#pragma once

#include <span>

#include "spreadsheet/objects/range_bound_object.h"

namespace spreadsheet {

class CBordersObject final : public CRangeBoundObject {
 public:
  CBordersObject(ObjectContext context, const CellRect& range)
      : CRangeBoundObject(std::move(context), range) {}

  // The Border for the edge named by argument `index` (xlEdgeLeft 7 ... xlInsideHorizontal 12):
  // what Borders.Item and Range.Borders(edge) answer.
  static RangeOutcome EdgeObject(const ObjectContext& context, const CellRect& range,
                                 const CArguments& args, std::size_t index,
                                 CComPtr<IDispatch>* border);

 protected:
  std::span<const Member> Members() const override;
  HRESULT CallMember(const Member& member, bool put, const CArguments& args,
                     CVariant* result) override;
};

}  // namespace spreadsheet
