// Tables of formulas and what each evaluates to in an empty workbook (a number, a text or an
// error), checked case by case with the formula named in every failure. For the worksheet
// function suites; link trelvane_spreadsheet_calc_testing.
#pragma once

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "platform/text_encoding.h"
#include "spreadsheet/calc/calc_test_support.h"
#include "spreadsheet/model/error_code.h"

namespace test_support {

struct NumberCase {
  std::wstring_view formula;
  double expected;  // Within the relative tolerance of spreadsheet::testing::IsNumber.
};

struct TextCase {
  std::wstring_view formula;
  std::wstring_view expected;
};

struct ErrorCase {
  std::wstring_view formula;
  spreadsheet::ErrorCode expected;
};

// `tolerance` is relative, as IsNumber takes it; wider for constants quoted to fewer digits.
inline void ExpectNumbers(const std::vector<NumberCase>& cases, double tolerance = 1e-9) {
  for (const NumberCase& c : cases) {
    EXPECT_TRUE(spreadsheet::testing::IsNumber(spreadsheet::testing::Evaluate(c.formula),
                                               c.expected, tolerance))
        << WideToUtf8(c.formula);
  }
}

inline void ExpectTexts(const std::vector<TextCase>& cases) {
  for (const TextCase& c : cases) {
    EXPECT_TRUE(
        spreadsheet::testing::IsText(spreadsheet::testing::Evaluate(c.formula), c.expected))
        << WideToUtf8(c.formula);
  }
}

inline void ExpectErrors(const std::vector<ErrorCase>& cases) {
  for (const ErrorCase& c : cases) {
    EXPECT_TRUE(
        spreadsheet::testing::IsError(spreadsheet::testing::Evaluate(c.formula), c.expected))
        << WideToUtf8(c.formula);
  }
}

}  // namespace test_support
