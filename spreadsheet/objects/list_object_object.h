// CListObjectObject: Excel's ListObject, one table of a sheet: its name, its ranges (whole,
// header row, data body, totals row) and its columns.
#pragma once

#include <optional>
#include <string>

#include "spreadsheet/objects/dispatch_object.h"
#include "spreadsheet/objects/object_factory.h"

namespace spreadsheet {

// The parts of a table's rectangle. A part the table does not have is nothing: no header row,
// no totals row, or no data rows between them.
std::optional<CellRect> HeaderRowOf(const Table& table);
std::optional<CellRect> DataBodyOf(const Table& table);
std::optional<CellRect> TotalsRowOf(const Table& table);

// Finds its table by name on every call, so it sees the table as it is now; a table gone from
// the sheet makes every member a run-time error.
// Invariant: context_.application, context_.workbook and context_.sheet are set.
class CListObjectObject final : public CDispatchObject {
 public:
  CListObjectObject(ObjectContext context, std::wstring name)
      : context_(std::move(context)), name_(std::move(name)) {}

 protected:
  ~CListObjectObject() override = default;
  std::span<const Member> Members() const override;
  HRESULT Call(const Member& member, bool put, const CArguments& args, CVariant* result) override;

 private:
  ObjectContext context_;
  std::wstring name_;
};

// The table of `context.sheet` named `name`; nullptr when there is none.
const Table* FindTable(const ObjectContext& context, std::wstring_view name);

}  // namespace spreadsheet
