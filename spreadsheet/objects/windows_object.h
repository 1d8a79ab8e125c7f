// CWindowsObject: Excel's Windows: every open workbook's window (Application.Windows) or one
// workbook's (Workbook.Windows). Each open workbook has exactly one window here.
#pragma once

#include <memory>
#include <vector>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Invariant: context_.application is set; context_.workbook, when set, limits the windows to
// that workbook's.
class CWindowsObject final : public CDispatchObject {
 public:
  explicit CWindowsObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CWindowsObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  // The workbooks whose windows are listed, in the application's order.
  std::vector<std::shared_ptr<CWorkbook>> Listed() const;

  ObjectContext context_;
};

}  // namespace spreadsheet
