// ListColumns: Count and Item over a table's columns.
#include "spreadsheet/objects/list_columns_object.h"

#include <array>

#include "spreadsheet/objects/list_column_object.h"
#include "spreadsheet/objects/list_object_object.h"
#include "spreadsheet/objects/object_arguments.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kItem = DISPID_VALUE, kApplication = 1, kParent, kCount };

constexpr std::array kMembers = {
    Member{L"Item", kItem, MemberKind::ReadOnlyProperty},
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Count", kCount, MemberKind::ReadOnlyProperty},
};

}  // namespace

std::wstring ColumnName(const Table& table, std::int32_t column) {
  const auto index = static_cast<std::size_t>(column - 1);
  if (column >= 1 && index < table.columns.size()) return table.columns[index];
  return L"Column" + std::to_wstring(column);
}

std::span<const Member> CListColumnsObject::Members() const {
  return kMembers;
}

HRESULT CListColumnsObject::Call(const Member& member, bool, const CArguments& args,
                                 CVariant* result) {
  if (member.id == kApplication) {
    if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const Table* table = FindTable(context_, table_);
  if (table == nullptr || !IsOnSheet(table->range)) {
    return RuntimeError(L"The table '" + table_ + L"' no longer exists.");
  }
  const std::int32_t count = table->range.Columns();
  switch (member.id) {
    case kParent:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = ObjectValue(NewObject<CListObjectObject>(context_, table->name));
      return S_OK;
    case kCount:
      if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
      *result = CVariant(LONG{count});
      return S_OK;
    case kItem: {
      if (const HRESULT hr = CheckArguments(args, 1, 1); FAILED(hr)) return hr;
      std::int32_t position = 0;
      const HRESULT hr = ReadItemPosition(
          args, 0, count,
          [&](std::wstring_view name) -> std::optional<std::int32_t> {
            for (std::int32_t column = 1; column <= count; ++column) {
              if (SameIdentifier(ColumnName(*table, column), name)) return column;
            }
            return std::nullopt;
          },
          &position);
      if (FAILED(hr)) return hr;
      *result = ObjectValue(NewObject<CListColumnObject>(context_, table->name, position));
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
