// CAreasObject: Excel's Areas, the rectangles of a range, each a Range of its own.
#pragma once

#include <vector>

#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Invariant: context_.sheet and context_.workbook are set, `areas` is not empty and every area
// lies on the sheet; the areas are those of the range at the time Areas was read.
class CAreasObject final : public CDispatchObject {
 public:
  CAreasObject(ObjectContext context, std::vector<CellRect> areas)
      : context_(std::move(context)), areas_(std::move(areas)) {}

 protected:
  ~CAreasObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
  std::vector<CellRect> areas_;
};

}  // namespace spreadsheet
