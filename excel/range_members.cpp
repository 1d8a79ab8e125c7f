// Intersect, Resize and the external address.
#include "excel/range_members.h"

namespace {

CVariant SizeArgument(LONG size) {
  return size == -1 ? CVariant::Missing() : CVariant(size);
}

}  // namespace

bool IntersectRanges(const ExcelObject& application, const ExcelObject& first,
                     const ExcelObject& second, ExcelObject* common) {
  if (first.IsEmpty() || second.IsEmpty()) return false;
  if (first == second) {
    if (!(*common == first)) *common = first;
    return true;
  }
  return application.CallForObject(L"Intersect", common,
                                   {CVariant(first.Get()), CVariant(second.Get())});
}

bool ResizeRange(const ExcelObject& range, LONG rows, LONG columns, ExcelObject* resized) {
  return range.GetObject(L"Resize", resized, {SizeArgument(rows), SizeArgument(columns)});
}

bool ExternalR1C1Address(const ExcelObject& range, std::wstring* text) {
  return range.GetText(
      L"Address", text,
      {CVariant(true), CVariant(true), CVariant(kReferenceStyleR1C1), CVariant(true)});
}
