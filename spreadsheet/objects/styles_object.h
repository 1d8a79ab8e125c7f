// CStylesObject: Excel's Styles, the named cell styles of a workbook, in the workbook's order.
#pragma once

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Excel's limit on the length of a style name.
constexpr std::size_t kMaxStyleNameLength = 255;

// Invariant: context_.application and context_.workbook are set.
class CStylesObject final : public CDispatchObject {
 public:
  explicit CStylesObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CStylesObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  HRESULT Add(const CArguments& args, CVariant* result);

  ObjectContext context_;
};

}  // namespace spreadsheet
