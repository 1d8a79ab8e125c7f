// CListColumnObject: Excel's ListColumn, one column of a table: its name, position and ranges.
#pragma once

#include <string>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// Finds its table by name on every call; a table gone, or narrowed past this column, makes
// every member a run-time error.
// Invariant: context_.application, context_.workbook and context_.sheet are set; column_ >= 1.
class CListColumnObject final : public CDispatchObject {
 public:
  CListColumnObject(ObjectContext context, std::wstring table, std::int32_t column)
      : context_(std::move(context)), table_(std::move(table)), column_(column) {}

 protected:
  ~CListColumnObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
  std::wstring table_;
  std::int32_t column_;
};

}  // namespace spreadsheet
