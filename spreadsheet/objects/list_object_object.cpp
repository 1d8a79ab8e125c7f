// ListObject: a table's name, ranges and columns.
#include "spreadsheet/objects/list_object_object.h"

#include <array>

#include "spreadsheet/objects/list_columns_object.h"
#include "spreadsheet/objects/object_arguments.h"

namespace spreadsheet {
namespace {

enum Id : DISPID {
  kApplication = 1,
  kParent,
  kName,
  kDisplayName,
  kRange,
  kHeaderRowRange,
  kDataBodyRange,
  kTotalsRowRange,
  kListColumns,
  kShowTotals,
  kShowHeaders,
};

constexpr std::array kMembers = {
    Member{L"Application", kApplication, MemberKind::ReadOnlyProperty},
    Member{L"Parent", kParent, MemberKind::ReadOnlyProperty},
    Member{L"Name", kName, MemberKind::ReadOnlyProperty},
    Member{L"DisplayName", kDisplayName, MemberKind::ReadOnlyProperty},
    Member{L"Range", kRange, MemberKind::ReadOnlyProperty},
    Member{L"HeaderRowRange", kHeaderRowRange, MemberKind::ReadOnlyProperty},
    Member{L"DataBodyRange", kDataBodyRange, MemberKind::ReadOnlyProperty},
    Member{L"TotalsRowRange", kTotalsRowRange, MemberKind::ReadOnlyProperty},
    Member{L"ListColumns", kListColumns, MemberKind::ReadOnlyProperty},
    Member{L"ShowTotals", kShowTotals, MemberKind::ReadOnlyProperty},
    Member{L"ShowHeaders", kShowHeaders, MemberKind::ReadOnlyProperty},
};

}  // namespace

std::optional<CellRect> HeaderRowOf(const Table& table) {
  if (!table.hasHeaderRow) return std::nullopt;
  return CellRect{table.range.first, {table.range.first.row, table.range.last.column}};
}

std::optional<CellRect> DataBodyOf(const Table& table) {
  const std::int32_t first = table.range.first.row + (table.hasHeaderRow ? 1 : 0);
  const std::int32_t last = table.range.last.row - (table.hasTotalsRow ? 1 : 0);
  if (first > last) return std::nullopt;
  return CellRect{{first, table.range.first.column}, {last, table.range.last.column}};
}

std::optional<CellRect> TotalsRowOf(const Table& table) {
  if (!table.hasTotalsRow) return std::nullopt;
  return CellRect{{table.range.last.row, table.range.first.column}, table.range.last};
}

const Table* FindTable(const ObjectContext& context, std::wstring_view name) {
  for (const Table& table : context.sheet->Tables()) {
    if (SameIdentifier(table.name, name)) return &table;
  }
  return nullptr;
}

std::span<const Member> CListObjectObject::Members() const {
  return kMembers;
}

HRESULT CListObjectObject::Call(const Member& member, bool, const CArguments& args,
                                CVariant* result) {
  if (const HRESULT hr = CheckArguments(args, 0, 0); FAILED(hr)) return hr;
  if (member.id == kApplication) {
    *result = ObjectValue(CreateApplicationObject(context_.application));
    return S_OK;
  }
  const Table* table = FindTable(context_, name_);
  if (table == nullptr || !IsOnSheet(table->range)) {
    return RuntimeError(L"The table '" + name_ + L"' no longer exists.");
  }
  // A part the table lacks is Nothing, as in Excel; GetObject reads that as a failure.
  const auto part = [&](const std::optional<CellRect>& range) {
    *result = ObjectValue(range ? CreateRangeObject(context_, *range) : nullptr);
    return S_OK;
  };
  switch (member.id) {
    case kParent:
      *result = ObjectValue(CreateWorksheetObject(context_));
      return S_OK;
    case kName:
    case kDisplayName:
      *result = CVariant(std::wstring_view(table->name));
      return S_OK;
    case kRange:
      return part(table->range);
    case kHeaderRowRange:
      return part(HeaderRowOf(*table));
    case kDataBodyRange:
      return part(DataBodyOf(*table));
    case kTotalsRowRange:
      return part(TotalsRowOf(*table));
    case kListColumns:
      *result = ObjectValue(NewObject<CListColumnsObject>(context_, table->name));
      return S_OK;
    case kShowTotals:
      *result = CVariant(table->hasTotalsRow);
      return S_OK;
    case kShowHeaders:
      *result = CVariant(table->hasHeaderRow);
      return S_OK;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace spreadsheet
