// ListColumn: a table column's name, position, whole range and data body.
#include "spreadsheet/objects/list_column_object.h"

#include <array>

#include "spreadsheet/objects/list_columns_object.h"
#include "spreadsheet/objects/list_object_object.h"
#include "spreadsheet/objects/object_arguments.h"

namespace spreadsheet {
namespace {

enum Id : DISPID { kApplication = 1, kParent, kName, kIndex, kRange, kDataBodyRange };

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Name", kName, MemberKind::ReadOnlyProperty},
    Member{L"Index", kIndex, MemberKind::ReadOnlyProperty},
    Member{L"Range", kRange, MemberKind::ReadOnlyProperty},
    Member{L"DataBodyRange", kDataBodyRange, MemberKind::ReadOnlyProperty},
};

}  // namespace

std::span<const Member> CListColumnObject::Members() const {
  return kMembers;
}

HRESULT CListColumnObject::Call(const Member& member, bool, const CArguments& args,
                                CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) {
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const Table* table = FindTable(context_, table_);
  if (table == nullptr || !IsOnSheet(table->range) || column_ > table->range.Columns()) {
    return RuntimeError(L"The column no longer exists in table '" + table_ + L"'.");
  }
  const std::int32_t sheetColumn = table->range.first.column + column_ - 1;
  switch (member.id) {
    case kParent:
      *result = ObjectValue(NewObject<CListObjectObject>(context_, table->name));
      return S_OK;
    case kName:
      *result = CVariant(std::wstring_view(ColumnName(*table, column_)));
      return S_OK;
    case kIndex:
      *result = CVariant(LONG{column_});
      return S_OK;
    case kRange:
      *result = ObjectValue(CreateRangeObject(
          context_, {{table->range.first.row, sheetColumn}, {table->range.last.row, sheetColumn}}));
      return S_OK;
    case kDataBodyRange: {
      const auto body = DataBodyOf(*table);
      *result = ObjectValue(body ? CreateRangeObject(context_, {{body->first.row, sheetColumn},
                                                                {body->last.row, sheetColumn}})
                                 : nullptr);
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
