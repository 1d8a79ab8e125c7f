// CFontObject: Excel's Font, the font of a range's cells (Name, Size, Bold, Italic, Underline,
// Strikethrough, Color, ColorIndex).
#pragma once

#include <span>

#include "spreadsheet/objects/range_bound_object.h"

namespace spreadsheet {

// Reads answer for all the range's cells at once: a value they share, or null when they differ.
class CFontObject final : public CRangeBoundObject {
 public:
  CFontObject(ObjectContext context, const CellRect& range)
      : CRangeBoundObject(std::move(context), range) {}

 protected:
  std::span<const Member> Members() const override;
  HRESULT CallMember(const Member& member, bool put, const CArguments& args,
                     CVariant* result) override;

 private:
  HRESULT Read(const Member& member, CVariant* result);
  HRESULT Write(const Member& member, const CArguments& args);
};

}  // namespace spreadsheet
