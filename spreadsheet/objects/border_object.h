// CBorderObject: Excel's Border, one edge of a range (LineStyle, Weight, Color, ColorIndex).
#pragma once

#include <span>

#include "spreadsheet/objects/border_edge.h"
#include "spreadsheet/objects/range_bound_object.h"

namespace spreadsheet {

// Reads answer for the whole edge: a value all its cells share, or null when they differ.
class CBorderObject final : public CRangeBoundObject {
 public:
  CBorderObject(ObjectContext context, const CellRect& range, BorderIndex index)
      : CRangeBoundObject(std::move(context), range), index_(index) {}

 protected:
  std::span<const Member> Members() const override;
  HRESULT CallMember(const Member& member, bool put, const CArguments& args,
                     CVariant* result) override;

 private:
  BorderIndex index_;
};

// Reads or writes the Border property with the member identifier `member` (LineStyle 1, Weight
// 2, Color 3, ColorIndex 4, shared by Border and Borders) over `parts`; DISP_E_MEMBERNOTFOUND
// for other members.
RangeOutcome CallBorderProperty(CWorksheet& sheet, const std::vector<EdgePart>& parts,
                                DISPID member, bool put, std::int32_t value, CVariant* result);

}  // namespace spreadsheet
