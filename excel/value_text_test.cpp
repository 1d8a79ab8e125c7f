// The two value-to-text rules side by side: where they agree and where they part.
#include "excel/value_text.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/value_object.h"

namespace {

using test_support::NullVariant;

// An array of `rows` by `columns` (one dimension when `rows` is 0), filled row by row.
CVariant Block(ULONG rows, ULONG columns, std::vector<CVariant> elements = {},
               VARTYPE type = VT_VARIANT) {
  SAFEARRAYBOUND bounds[2] = {{rows, 1}, {columns, 1}};
  VARIANT array;
  VariantInit(&array);
  array.vt = VT_ARRAY | type;
  array.parray =
      rows == 0 ? SafeArrayCreateVector(type, 1, columns) : SafeArrayCreate(type, 2, bounds);
  CVariant owned = CVariant::Adopt(&array);
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const LONG row = static_cast<LONG>(i / columns) + 1;
    const LONG column = static_cast<LONG>(i % columns) + 1;
    LONG indices[2] = {row, column};
    EXPECT_EQ(S_OK, SafeArrayPutElement(owned.Get()->parray, rows == 0 ? &indices[1] : indices,
                                        elements[i].GetMutable()));
  }
  return owned;
}

struct TextCase {
  const char* what;
  CVariant value;
  bool propertyReads;
  const wchar_t* property;  // From a preset of "preset".
  const wchar_t* evaluation;
};

TEST(ValueText, PropertyReadsAndEvaluationResults) {
  const TextCase cases[] = {
      {"division by zero", CVariant::Error(static_cast<SCODE>(0x800A07D7u)), true, L"#ERROR!",
       L"#ERROR!"},
      {"not available", CVariant::Error(static_cast<SCODE>(0x800A07FAu)), true, L"#ERROR!",
       L"#ERROR!"},
      {"TRUE", CVariant(true), true, L"-1", L"TRUE"},  // The platform's numeric Booleans.
      {"FALSE", CVariant(false), true, L"0", L"FALSE"},
      {"text", CVariant(L"a b"), true, L"a b", L"a b"},
      {"number", CVariant(2.5), true, L"2.5", L"2.5"},
      {"integer", CVariant(LONG{-7}), true, L"-7", L"-7"},
      {"empty", CVariant(), true, L"", L""},
      {"null", NullVariant(), true, L"", L"#ERROR!"},
      {"array", Block(2, 2), true, L"", L"{,;,}"},
      {"values",
       Block(2, 3,
             {CVariant(1.0), CVariant(L"say \"hi\""), CVariant(-2.5), CVariant(true),
              CVariant::Error(static_cast<SCODE>(0x800A07FAu)), CVariant(L"")}),
       true, L"", L"{1,\"say \"\"hi\"\"\",-2.5;TRUE,#ERROR!,\"\"}"},
      {"one row", Block(0, 3, {CVariant(1.0), CVariant(2.0), CVariant(false)}), true, L"",
       L"{1,2,FALSE}"},
      {"numbers only", Block(2, 2, {}, VT_R8), true, L"", L"#ERROR!"},
  };
  for (const TextCase& c : cases) {
    std::wstring text = L"preset";
    EXPECT_EQ(c.propertyReads, PropertyText(c.value, &text)) << c.what;
    EXPECT_EQ(c.property, text) << c.what;
    EXPECT_EQ(c.evaluation, EvaluationText(c.value)) << c.what;
  }
}

TEST(ValueText, LongArraysAreCutShort) {
  const std::vector<CVariant> elements(20000, CVariant(1.0));
  const std::wstring text = EvaluationText(Block(0, 20000, elements));
  EXPECT_LE(text.size(), 32767u + 8u);
  EXPECT_EQ(L"{1,1,", text.substr(0, 5));
  EXPECT_EQ(L",...}", text.substr(text.size() - 5));
}

}  // namespace
