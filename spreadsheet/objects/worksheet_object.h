// CWorksheetObject: Excel's Worksheet over one sheet of the model: its identity and visibility,
// its ranges, names and tables, evaluation in its context, activation and protection.
#pragma once

#include <string>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Worksheet.Evaluate on context.sheet: the application's evaluator first, when it has one;
// otherwise address text and defined names that refer to ranges become Range objects, literal
// constants (numbers, text in quotes, TRUE, FALSE, error values) and names holding them their
// value; anything else the error value Excel gives for it (#NAME? for an unknown name,
// #VALUE! otherwise).
CVariant EvaluateOnSheet(const ObjectContext& context, const std::wstring& expression);

// Invariant: context_.application, context_.workbook and context_.sheet are set, and the sheet
// belongs to the workbook.
class CWorksheetObject final : public CDispatchObject {
 public:
  explicit CWorksheetObject(ObjectContext context) : context_(std::move(context)) {}
  const ObjectContext& Context() const { return context_; }

 protected:
  ~CWorksheetObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  std::int32_t Index() const { return context_.workbook->IndexOf(*context_.sheet); }
  HRESULT PutVisible(const CArguments& args);
  HRESULT Range(const CArguments& args, CVariant* result);
  HRESULT Activate();
  HRESULT Protect(const CArguments& args);

  ObjectContext context_;
};

}  // namespace spreadsheet
