// CWorkbookObject: Excel's Workbook over one workbook of the model.
#pragma once

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Invariant: context_.application and context_.workbook are set.
class CWorkbookObject final : public CDispatchObject {
 public:
  explicit CWorkbookObject(ObjectContext context) : context_(std::move(context)) {}
  const ObjectContext& Context() const { return context_; }

 protected:
  ~CWorkbookObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
};

}  // namespace spreadsheet
