// What worksheet functions share: taking arguments as numbers, text and truth values the way
// Excel converts them, walking the values of references and arrays, and Excel's ordering of
// values.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/calc/function_context.h"

namespace spreadsheet {

// An error value, as the functions write it where they give up.
inline EvalValue Error(ErrorCode code) {
  return EvalValue::Error(code);
}

// Conversions of a scalar argument. Each gives nothing on success, or the error value the
// function should return: the argument's own error, or #VALUE! for what does not convert.
// Numbers: Booleans are 1 and 0, blanks 0, text is read as typed into a cell ("1,000", "50%",
// "$3", "1/2/2020", "10:30") or is #VALUE!.
std::optional<EvalValue> GetNumber(const EvalValue& value, double& out);
// Numbers truncated toward zero, as Excel takes counts and positions; #NUM! beyond an int32.
std::optional<EvalValue> GetInteger(const EvalValue& value, std::int64_t& out);
// Text: numbers as NumberToText writes them, Booleans "TRUE" and "FALSE", blanks "".
std::optional<EvalValue> GetText(const EvalValue& value, std::wstring& out);
// Truth: numbers other than 0, text "TRUE" or "FALSE" (any case), blanks FALSE.
std::optional<EvalValue> GetBoolean(const EvalValue& value, bool& out);

// A number as it becomes text in a formula ("&", text functions): up to 15 significant digits,
// scientific from 1E+15 up and below 1E-09 ("1E+15", "1.5E-10").
std::wstring NumberToText(double value);
// A number for a cell: NaN and infinities become #NUM!, -0 becomes 0.
EvalValue NumberResult(double value);

// The first error among arguments, if any (most functions answer their first argument error).
const EvalValue* FirstError(std::span<const EvalValue> args);

// A reference's value where one value is wanted: a single cell gives its value; more cells give
// an array in array mode and otherwise the one cell in the formula's row (a column of cells) or
// column (a row of cells), or #VALUE!. Other values are returned as they are.
EvalValue Dereference(const EvalValue& value, CFunctionContext& context);
// A reference's values as an array (one area only; #VALUE! for several); an array as it is; a
// scalar as a one-by-one array. Cells past the used range are read as Empty without being visited.
// #NUM! for a reference past kMaxArrayCells or past what the evaluation has left to build.
std::optional<EvalValue> GetArray(const EvalValue& value, CFunctionContext& context,
                                  ValueArray& out);

// Where a value in a walk came from: typed into the call, or out of a reference or an array.
enum class ValueSource : std::uint8_t { Direct, Reference, Array };

// Calls visit(value, source) for a scalar argument, each element of an array, and each non-blank
// cell of every area of a reference, in row-major order; visit returns false to stop. Returns
// false when stopped.
template <class Visit>
bool ForEachValue(const EvalValue& arg, CFunctionContext& context, Visit&& visit);

// The numbers of arguments as SUM, AVERAGE, MIN, MAX and the statistics functions take them:
// typed numbers, Booleans and numeric text count (other text is #VALUE!); in references and
// arrays only numbers count. `alsoLogicalAndText` is the "A" rule (AVERAGEA, MAXA, COUNTA's
// kin): text and Booleans in references count as 0 and 1/0. Gives the first error met, if any.
std::optional<EvalValue> CollectNumbers(std::span<const EvalValue> args, CFunctionContext& context,
                                        std::vector<double>& out, bool alsoLogicalAndText = false);

// Excel's order of values: numbers (and blanks as 0) before text (compared without case) before
// FALSE before TRUE. Negative, zero or positive. Errors are not compared here.
int CompareValues(const EvalValue& a, const EvalValue& b);
// Text compared as Excel compares it: without regard to case.
int CompareTextIgnoringCase(std::wstring_view a, std::wstring_view b);
std::wstring ToUpper(std::wstring_view text);

// ---------------------------------------------------------------------------------------------

template <class Visit>
bool ForEachValue(const EvalValue& arg, CFunctionContext& context, Visit&& visit) {
  switch (arg.GetKind()) {
    case EvalValue::Kind::Array:
      for (const EvalValue& element : arg.AsArray().cells) {
        if (!visit(element, ValueSource::Array)) return false;
      }
      return true;
    case EvalValue::Kind::Reference:
      for (const Area& area : arg.AsAreas()) {
        const std::optional<CellRect> used = context.UsedPart(area);
        if (!used) continue;
        for (std::int32_t row = used->first.row; row <= used->last.row; ++row) {
          for (std::int32_t column = used->first.column; column <= used->last.column; ++column) {
            const EvalValue cell = context.CellValueAt(area, {row, column});
            if (cell.IsEmpty()) continue;
            if (!visit(cell, ValueSource::Reference)) return false;
          }
        }
      }
      return true;
    default:
      return visit(arg, ValueSource::Direct);
  }
}

}  // namespace spreadsheet
