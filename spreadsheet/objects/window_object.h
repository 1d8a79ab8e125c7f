// CWindowObject: Excel's Window, the one window of an open workbook: its panes and the cells
// they show, the selection, split and frozen panes, scrolling, zoom and display settings.
#pragma once

#include <optional>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// What a workbook window shows: its state, the workbook's active sheet and the selection on it
// (A1 when the application's selection is elsewhere).
struct WindowView {
  WindowState* state = nullptr;
  CWorksheet* sheet = nullptr;
  std::int32_t sheetIndex = 0;
  CellRect selection;
};

// Nothing when the workbook is no longer open or has no sheet to show.
std::optional<WindowView> ViewWindow(const ObjectContext& context);

// Invariant: context_.application and context_.workbook are set.
class CWindowObject final : public CDispatchObject {
 public:
  explicit CWindowObject(ObjectContext context) : context_(std::move(context)) {}

 protected:
  ~CWindowObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  HRESULT Put(const Member& member, const CArguments& args, const WindowView& view);

  ObjectContext context_;
};

}  // namespace spreadsheet
