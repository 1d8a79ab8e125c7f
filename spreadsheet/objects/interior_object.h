// CInteriorObject: Excel's Interior, the fill of a range's cells (Color, ColorIndex, Pattern).
#pragma once

#include <span>

#include "spreadsheet/objects/range_bound_object.h"

namespace spreadsheet {

// Reads answer for all the range's cells at once: a value they share, or null when they differ.
class CInteriorObject final : public CRangeBoundObject {
 public:
  CInteriorObject(ObjectContext context, const CellRect& range)
      : CRangeBoundObject(std::move(context), range) {}

 protected:
  std::span<const Member> Members() const override;
  HRESULT CallMember(const Member& member, bool put, const CArguments& args,
                     CVariant* result) override;
};

}  // namespace spreadsheet
