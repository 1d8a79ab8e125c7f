// Items of an object-model collection found by name.
#include "excel/collection_items.h"

#include <string>

#include "formula/text_compare.h"

bool FindItemByName(const ExcelObject& collection, std::wstring_view name, ExcelObject* item) {
  LONG count = 0;
  if (!collection.GetLong(L"Count", &count)) return false;
  for (LONG i = 1; i <= count; ++i) {
    ExcelObject each;
    std::wstring eachName;
    if (collection.GetObject(L"Item", &each, {CVariant(i)}) && each.GetText(L"Name", &eachName) &&
        EqualsNoCase(eachName, name)) {
      *item = each;
      return true;
    }
  }
  return false;
}
