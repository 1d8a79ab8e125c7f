// CListObjectsObject: Excel's ListObjects, the tables of one sheet.
#pragma once

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Invariant: context_.application, context_.workbook and context_.sheet are set.
class CListObjectsObject final : public CDispatchObject {
 public:
  explicit CListObjectsObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CListObjectsObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
};

}  // namespace spreadsheet
