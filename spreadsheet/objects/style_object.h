// CStyleObject: Excel's Style, one named cell style of a workbook.
#pragma once

#include <string>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Finds its style by name on every call; a style gone makes every member a run-time error.
// Invariant: context_.application and context_.workbook are set.
class CStyleObject final : public CDispatchObject {
 public:
  CStyleObject(ObjectContext context, std::wstring name)
      : context_(std::move(context)), name_(std::move(name)) {}

 protected:
  ~CStyleObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
  std::wstring name_;
};

}  // namespace spreadsheet
