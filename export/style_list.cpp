// Reading style names.
#include "export/style_list.h"

namespace {

std::wstring NameOfItem(const ExcelObject& styles, int32_t index) {
  std::wstring name;
  ExcelObject style;
  if (styles.GetObject(L"Item", &style, {CVariant(static_cast<LONG>(index))})) {
    style.GetText(L"Name", &name);
  }
  return name;
}

}  // namespace

std::vector<std::wstring> ReadStyleNames(const ExcelObject& workbook) {
  std::vector<std::wstring> names;
  ExcelObject styles;
  if (!workbook.GetObject(L"Styles", &styles)) return names;
  LONG count = 0;
  if (!styles.GetLong(L"Count", &count) || count < 1) return names;
  names.reserve(static_cast<size_t>(count));
  for (int32_t index = 1; index <= count; ++index) names.push_back(NameOfItem(styles, index));
  return names;
}

std::wstring StyleNameAt(const ExcelObject& workbook, int32_t index) {
  ExcelObject styles;
  if (!workbook.GetObject(L"Styles", &styles)) return std::wstring();
  return NameOfItem(styles, index);
}
