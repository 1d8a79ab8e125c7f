// The two value-to-text rules side by side: where they agree and where they part.
#include "excel/value_text.h"

#include <gtest/gtest.h>

namespace {

CVariant Null() {
  CVariant null;
  null.Receive()->vt = VT_NULL;
  return null;
}

CVariant Block() {
  SAFEARRAYBOUND bounds[2] = {{2, 1}, {2, 1}};
  VARIANT array;
  VariantInit(&array);
  array.vt = VT_ARRAY | VT_VARIANT;
  array.parray = SafeArrayCreate(VT_VARIANT, 2, bounds);
  return CVariant::Adopt(&array);
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
      {"null", Null(), true, L"", L"#ERROR!"},
      {"array", Block(), true, L"", L"#ERROR!"},
  };
  for (const TextCase& c : cases) {
    std::wstring text = L"preset";
    EXPECT_EQ(c.propertyReads, PropertyText(c.value, &text)) << c.what;
    EXPECT_EQ(c.property, text) << c.what;
    EXPECT_EQ(c.evaluation, EvaluationText(c.value)) << c.what;
  }
}

}  // namespace
