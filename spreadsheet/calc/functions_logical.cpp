// Worksheet functions: logical. The evaluator may skip the branches IF, IFERROR and IFNA do not
// take; these bodies are the general path and must agree with it when given every argument.
#include <cstddef>
#include <optional>
#include <span>

#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {
namespace {

// A branch written empty ("IF(A1,,2)") gives 0, as Excel shows it.
EvalValue BranchValue(const EvalValue& branch) {
  return branch.IsEmpty() ? EvalValue::Number(0.0) : branch;
}

EvalValue True(std::span<const EvalValue>, CFunctionContext&) {
  return EvalValue::Boolean(true);
}
EvalValue False(std::span<const EvalValue>, CFunctionContext&) {
  return EvalValue::Boolean(false);
}

EvalValue Not(std::span<const EvalValue> args, CFunctionContext&) {
  bool truth = false;
  if (auto error = GetBoolean(args[0], truth)) return *error;
  return EvalValue::Boolean(!truth);
}

struct TruthCount {
  std::size_t values = 0;
  std::size_t trues = 0;
};

// The truth values AND, OR and XOR combine: typed arguments convert (text only as "TRUE" or
// "FALSE"); in references and arrays only Booleans and numbers count and text is passed over.
// Errors anywhere win, even after the answer is known.
std::optional<EvalValue> CountTruths(std::span<const EvalValue> args, CFunctionContext& context,
                                     TruthCount& count) {
  std::optional<EvalValue> error;
  for (const EvalValue& arg : args) {
    ForEachValue(arg, context, [&](const EvalValue& value, ValueSource source) {
      if (value.IsError()) {
        error = value;
        return false;
      }
      bool truth = false;
      if (source == ValueSource::Direct) {
        if (auto bad = GetBoolean(value, truth)) {
          error = *bad;
          return false;
        }
      } else if (value.IsNumber() || value.IsBoolean()) {
        truth = value.AsNumber() != 0.0;
      } else {
        return true;
      }
      ++count.values;
      if (truth) ++count.trues;
      return true;
    });
    if (error) return error;
  }
  if (count.values == 0) return EvalValue::Error(ErrorCode::Value);
  return std::nullopt;
}

EvalValue And(std::span<const EvalValue> args, CFunctionContext& context) {
  TruthCount count;
  if (auto error = CountTruths(args, context, count)) return *error;
  return EvalValue::Boolean(count.trues == count.values);
}

EvalValue Or(std::span<const EvalValue> args, CFunctionContext& context) {
  TruthCount count;
  if (auto error = CountTruths(args, context, count)) return *error;
  return EvalValue::Boolean(count.trues > 0);
}

EvalValue Xor(std::span<const EvalValue> args, CFunctionContext& context) {
  TruthCount count;
  if (auto error = CountTruths(args, context, count)) return *error;
  return EvalValue::Boolean(count.trues % 2 == 1);
}

// The branches arrive as written, so IF can give a reference (for OFFSET, SUM and the like).
EvalValue If(std::span<const EvalValue> args, CFunctionContext&) {
  bool truth = false;
  if (auto error = GetBoolean(args[0], truth)) return *error;
  if (truth) return BranchValue(args[1]);
  if (args.size() < 3) return EvalValue::Boolean(false);
  return BranchValue(args[2]);
}

EvalValue IfError(std::span<const EvalValue> args, CFunctionContext&) {
  if (args[0].IsError()) return BranchValue(args[1]);
  return BranchValue(args[0]);
}

EvalValue IfNa(std::span<const EvalValue> args, CFunctionContext&) {
  if (args[0].IsError() && args[0].AsError() == ErrorCode::NA) return BranchValue(args[1]);
  return BranchValue(args[0]);
}

EvalValue Ifs(std::span<const EvalValue> args, CFunctionContext&) {
  if (args.size() % 2 != 0) return EvalValue::Error(ErrorCode::NA);
  for (std::size_t i = 0; i < args.size(); i += 2) {
    bool truth = false;
    if (auto error = GetBoolean(args[i], truth)) return *error;
    if (truth) return BranchValue(args[i + 1]);
  }
  return EvalValue::Error(ErrorCode::NA);
}

// SWITCH compares like "=" without its conversions: a blank is the number 0, so it matches 0
// but neither FALSE nor empty text, and TRUE does not match 1. Text ignores case.
bool SwitchMatches(const EvalValue& a, const EvalValue& b) {
  const EvalValue x = a.IsEmpty() ? EvalValue::Number(0.0) : a;
  const EvalValue y = b.IsEmpty() ? EvalValue::Number(0.0) : b;
  if (x.GetKind() != y.GetKind()) return false;
  if (x.IsText()) return CompareTextIgnoringCase(x.AsText(), y.AsText()) == 0;
  return x.AsNumber() == y.AsNumber();
}

EvalValue Switch(std::span<const EvalValue> args, CFunctionContext&) {
  const EvalValue& value = args[0];
  if (value.IsError()) return value;
  const std::size_t pairs = (args.size() - 1) / 2;
  for (std::size_t i = 0; i < pairs; ++i) {
    const EvalValue& candidate = args[1 + 2 * i];
    if (candidate.IsError()) return candidate;
    if (SwitchMatches(value, candidate)) return BranchValue(args[2 + 2 * i]);
  }
  if ((args.size() - 1) % 2 == 1) return BranchValue(args.back());
  return EvalValue::Error(ErrorCode::NA);
}

}  // namespace

void RegisterLogicalFunctions(CFunctionTable& table) {
  AddFunction(table, {L"TRUE", 0, 0, "v", True});
  AddFunction(table, {L"FALSE", 0, 0, "v", False});
  AddFunction(table, {L"NOT", 1, 1, "v", Not});
  AddFunction(table, {L"AND", 1, kManyArgs, "r", And});
  AddFunction(table, {L"OR", 1, kManyArgs, "r", Or});
  AddFunction(table, {L"XOR", 1, kManyArgs, "r", Xor});
  AddFunction(table, {L"IF", 2, 3, "vrr", If, kSpreadsEveryArgument});
  AddFunction(table, {L"IFERROR", 2, 2, "v", IfError});
  AddFunction(table, {L"IFNA", 2, 2, "v", IfNa});
  AddFunction(table, {L"IFS", 2, 254, "v", Ifs});
  AddFunction(table, {L"SWITCH", 3, 254, "v", Switch});
}

}  // namespace spreadsheet
