// The worksheet functions the evaluator knows, by name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "spreadsheet/calc/eval_value.h"
#include "spreadsheet/calc/function_context.h"

namespace spreadsheet {

// A function's body. `args` holds one value per argument written in the call (an argument left
// out between commas is Empty); parameters of kind Value arrive as scalars, already taken out of
// references by implicit intersection, with arrays spread over calls by the evaluator.
using FunctionBody = EvalValue (*)(std::span<const EvalValue> args, CFunctionContext& context);

// How the evaluator hands an argument to a parameter.
enum class ParamKind : char {
  Value = 'v',      // A scalar.
  Reference = 'r',  // As evaluated: a reference stays a reference, an array an array.
  Array = 'a',      // As Reference, but the argument's expression is evaluated as an array formula.
};

inline constexpr std::uint8_t kVolatile = 1;  // Calculated again on every recalculation.
// Spread over an array where a Value parameter is wanted, the function's other arrays (and
// references) are spread element by element too, not handed whole to each call: IF, CHOOSE.
inline constexpr std::uint8_t kSpreadsEveryArgument = 2;

struct FunctionEntry {
  std::wstring_view name;  // Upper case, without the file's "_xlfn." prefix.
  std::int16_t minArgs = 0;
  std::int16_t maxArgs = 0;  // kManyArgs for Excel's limit.
  // One letter of ParamKind per parameter; the last letter stands for every further one.
  std::string_view params;
  FunctionBody body = nullptr;
  std::uint8_t flags = 0;

  ParamKind KindOf(std::size_t index) const {
    if (params.empty()) return ParamKind::Value;
    return static_cast<ParamKind>(params[std::min(index, params.size() - 1)]);
  }
};

inline constexpr std::int16_t kManyArgs = 255;

// Every function known, in one table built on first use. Names are matched without regard to case.
const FunctionEntry* FindFunction(std::wstring_view upperCaseName);

// Each family adds its functions to the table; the table calls them once.
class CFunctionTable;
void AddFunction(CFunctionTable& table, const FunctionEntry& entry);
void RegisterLogicalFunctions(CFunctionTable& table);
void RegisterInformationFunctions(CFunctionTable& table);
void RegisterMathFunctions(CFunctionTable& table);
void RegisterStatisticalFunctions(CFunctionTable& table);
void RegisterAggregateFunctions(CFunctionTable& table);  // *IF(S), SUMPRODUCT, SUBTOTAL.
void RegisterTextFunctions(CFunctionTable& table);
void RegisterDateFunctions(CFunctionTable& table);
void RegisterFinancialFunctions(CFunctionTable& table);
void RegisterEngineeringFunctions(CFunctionTable& table);  // CONVERT and the base conversions.
void RegisterComplexFunctions(CFunctionTable& table);      // COMPLEX and the IM... functions.
void RegisterLookupFunctions(CFunctionTable& table);

}  // namespace spreadsheet
