// Test helpers for the calculation: evaluating formula text in a workbook built by the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/model/workbook.h"

namespace spreadsheet::testing {

// A workbook with one sheet, "Sheet1".
std::unique_ptr<CWorkbook> NewWorkbook();

// Calculates the workbook's formula cells that need it, then evaluates `formula` (without its
// "=") as if it stood in cell `at` of sheet `sheet`; `array` evaluates it as an array formula.
EvalValue Evaluate(CWorkbook& workbook, std::wstring_view formula, std::int32_t sheet = 1,
                   CellCoord at = {1, 1}, bool array = false);
// The same in a fresh empty workbook.
EvalValue Evaluate(std::wstring_view formula);

// A readable form of a value for failure messages: 3.5, "text", TRUE, #N/A, {1,2;3,4},
// Sheet1!A1:B2.
std::string Describe(const EvalValue& value);

// Number within a relative tolerance (absolute near zero).
::testing::AssertionResult IsNumber(const EvalValue& value, double expected,
                                    double tolerance = 1e-9);
::testing::AssertionResult IsText(const EvalValue& value, std::wstring_view expected);
::testing::AssertionResult IsBoolean(const EvalValue& value, bool expected);
::testing::AssertionResult IsError(const EvalValue& value, ErrorCode expected);

}  // namespace spreadsheet::testing
