// CRecordingEvalProvider: an IEvalProvider that answers evaluations from a table and records
// every call, for tests of the code that evaluates reference-returning calls.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "formula/eval_provider.h"

namespace test_support {

class CRecordingEvalProvider final : public IEvalProvider {
 public:
  struct Call {
    std::wstring expression;
    int32_t sheet;
  };

  // The answer to an expression on a sheet (sheet 0: on any sheet).
  void Answer(std::wstring_view expression, std::wstring_view result, int32_t sheet = 0) {
    answers_[{std::wstring(expression), sheet}] = std::wstring(result);
  }
  void SetSheetName(int32_t sheet, std::wstring_view name) { sheetNames_[sheet] = name; }
  const std::vector<Call>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

  // Unknown expressions evaluate to an error, as Excel's errors all read.
  std::wstring EvaluateToText(std::wstring_view expression, int32_t sheet) override {
    calls_.push_back({std::wstring(expression), sheet});
    for (const int32_t key : {sheet, 0}) {
      const auto found = answers_.find({std::wstring(expression), key});
      if (found != answers_.end()) return found->second;
    }
    return L"#ERROR!";
  }
  CVariant EvaluateOnSheet(std::wstring_view expression, int32_t sheet) override {
    return CVariant(std::wstring_view(EvaluateToText(expression, sheet)));
  }
  bool CellValue(int32_t, int32_t, int32_t, CVariant&) override { return false; }
  std::wstring SheetName(int32_t sheet) override { return sheetNames_[sheet]; }

 private:
  std::map<std::pair<std::wstring, int32_t>, std::wstring> answers_;
  std::map<int32_t, std::wstring> sheetNames_;
  std::vector<Call> calls_;
};

}  // namespace test_support
