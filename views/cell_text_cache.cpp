// Reading a cell's shown value and its formula.
#include "views/cell_text_cache.h"

#include "excel/cell_range.h"
#include "excel/value_text.h"

namespace {

std::wstring WidenLineFeeds(const std::wstring& text) {
  std::wstring widened;
  widened.reserve(text.size());
  for (const wchar_t c : text) {
    if (c == L'\n') widened += L'\r';
    widened += c;
  }
  return widened;
}

std::wstring Trimmed(const std::wstring& text) {
  constexpr const wchar_t* kSpace = L" \t\r\n\v\f";
  const size_t begin = text.find_first_not_of(kSpace);
  if (begin == std::wstring::npos) return {};
  return text.substr(begin, text.find_last_not_of(kSpace) - begin + 1);
}

}  // namespace

CellTexts ReadCellTexts(CDependencyContainer& container, const CellPos& cell) {
  CellTexts texts;
  ExcelObject range;
  if (!GetCellRange(container.Worksheets(), cell, &range)) return texts;
  if (range.IsTrue(L"HasFormula")) {
    std::wstring formula;
    if (range.GetText(L"FormulaLocal", &formula)) texts.formula = WidenLineFeeds(formula);
  }
  if (range.IsTrue(L"HasArray")) texts.formula = L"{" + texts.formula + L"}";
  std::wstring value;
  range.GetText(L"Text", &value);
  if (value.empty()) {
    CVariant raw;
    if (range.GetValue(L"Value", &raw)) PropertyText(raw, &value);
  }
  texts.value = Trimmed(value);
  return texts;
}

const CellTexts& CCellTextCache::Get(CDependencyContainer& container, const CellPos& cell) {
  const auto found = cache_.find(cell);
  if (found != cache_.end()) return found->second;
  return cache_.emplace(cell, OnExcelThread(container.ExcelThread(), [&] {
                  return ReadCellTexts(container, cell);
                })).first->second;
}
