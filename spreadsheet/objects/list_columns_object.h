// CListColumnsObject: Excel's ListColumns, the columns of one table.
#pragma once

#include <string>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// The name of a table's column (from 1): the one the table gives it, or Excel's "Column" and
// its number for a column a damaged file left unnamed.
std::wstring ColumnName(const Table& table, std::int32_t column);

// Finds its table by name on every call, like CListObjectObject.
// Invariant: context_.application, context_.workbook and context_.sheet are set.
class CListColumnsObject final : public CDispatchObject {
 public:
  CListColumnsObject(ObjectContext context, std::wstring table)
      : context_(std::move(context)), table_(std::move(table)) {}

 protected:
  ~CListColumnsObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
  std::wstring table_;
};

}  // namespace spreadsheet
