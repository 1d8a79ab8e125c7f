// CWorksheetsObject: Excel's Worksheets (and Sheets) of one workbook: counting, finding by
// position or name, and adding sheets.
#pragma once

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Excel's limit is memory; this one keeps a caller's Count from exhausting it.
constexpr std::int32_t kMaxSheets = 4096;

// The name Excel gives a new sheet: "Sheet" and the number after the highest one in use.
std::wstring NewSheetName(const CWorkbook& workbook);

// Invariant: context_.application and context_.workbook are set.
class CWorksheetsObject final : public CDispatchObject {
 public:
  explicit CWorksheetsObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CWorksheetsObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  HRESULT Add(const CArguments& args, CVariant* result);

  ObjectContext context_;
};

}  // namespace spreadsheet
