// CWorkbooksObject: Excel's Workbooks, the open workbooks of the application: walking them,
// opening a file through the application's opener, and adding a new workbook.
#pragma once

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Invariant: context_.application is set.
class CWorkbooksObject final : public CDispatchObject {
 public:
  explicit CWorkbooksObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CWorkbooksObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  HRESULT Open(const CArguments& args, CVariant* result);
  HRESULT Add(const CArguments& args, CVariant* result);

  ObjectContext context_;
};

}  // namespace spreadsheet
