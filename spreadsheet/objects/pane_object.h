// CPaneObject: Excel's Pane, one pane of a workbook window: where it is scrolled to and the
// cells it shows.
#pragma once

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Reads the window's state on every call; a pane that a removed split took away makes every
// member a run-time error.
// Invariant: context_.application and context_.workbook are set; index_ >= 1.
class CPaneObject final : public CDispatchObject {
 public:
  CPaneObject(ObjectContext context, std::int32_t index)
      : context_(std::move(context)), index_(index) {}

 protected:
  ~CPaneObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
  std::int32_t index_;
};

}  // namespace spreadsheet
