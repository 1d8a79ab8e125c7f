// RangeOutcome: how an operation on a range's cells reports back to the object that called it.
#pragma once

#include <string>
#include <utility>

#include "platform/automation.h"

namespace spreadsheet {

// Either a plain HRESULT (S_OK, DISP_E_TYPEMISMATCH, ...) or a run-time error as Excel raises
// it, carrying the description Excel would show.
struct RangeOutcome {
  HRESULT hr = S_OK;
  std::wstring runtimeError;

  static RangeOutcome Ok() { return {}; }
  static RangeOutcome Failed(HRESULT code) { return {code, {}}; }
  static RangeOutcome Runtime(std::wstring description) {
    return {DISP_E_EXCEPTION, std::move(description)};
  }
  bool Succeeded() const { return SUCCEEDED(hr); }
};

// The descriptions of the run-time errors the range objects raise, in Excel's words.
inline constexpr wchar_t kProtectedSheetError[] =
    L"The cell or chart you're trying to change is on a protected sheet.";
inline constexpr wchar_t kPartOfArrayError[] = L"You can't change part of an array.";
inline constexpr wchar_t kPartOfMergedCellError[] = L"Cannot change part of a merged cell.";
inline constexpr wchar_t kApplicationDefinedError[] =
    L"Application-defined or object-defined error";

}  // namespace spreadsheet
