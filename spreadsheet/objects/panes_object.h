// CPanesObject: Excel's Panes, the panes of a workbook window (one, two or four).
#pragma once

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Pane `index` (from 1) of the workbook's window.
CComPtr<IDispatch> CreatePaneObject(const ObjectContext& context, std::int32_t index);

// Invariant: context_.application and context_.workbook are set.
class CPanesObject final : public CDispatchObject {
 public:
  explicit CPanesObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CPanesObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
};

}  // namespace spreadsheet
