// CApplicationObject: Excel's Application over the embedded spreadsheet's application state.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"
#include "spreadsheet/objects/spreadsheet_application.h"

namespace spreadsheet {

// The name this spreadsheet gives itself where Excel answers "Microsoft Excel".
inline constexpr std::wstring_view kApplicationName = L"Trelvane spreadsheet";

// Invariant: application_ is set.
class CApplicationObject final : public CDispatchObject {
 public:
  explicit CApplicationObject(std::shared_ptr<CSpreadsheetApplication> application)
      : application_(std::move(application)) {}

 protected:
  ~CApplicationObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  // The ranges given to Intersect or Union, every area of each: two to thirty, on one sheet.
  HRESULT ReadRanges(const CArguments& args, std::wstring_view method, ObjectContext* common,
                     std::vector<std::vector<CellRect>>* ranges);
  HRESULT Intersect(const CArguments& args, CVariant* result);
  // The areas of every range in order, those that make one rectangle joined (JoinAreas).
  HRESULT Union(const CArguments& args, CVariant* result);

  std::shared_ptr<CSpreadsheetApplication> application_;
};

}  // namespace spreadsheet
