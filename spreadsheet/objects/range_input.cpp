// Automation values as cell contents.
#include "spreadsheet/objects/range_input.h"

#include <cmath>

#include "platform/variant.h"
#include "spreadsheet/model/error_code.h"
#include "spreadsheet/objects/range_content.h"
#include "spreadsheet/calc/cell_entry.h"

namespace spreadsheet {
namespace {

constexpr std::uint32_t kFormatDate = 14;
constexpr std::uint32_t kFormatTime12Seconds = 19;
constexpr std::uint32_t kFormatDateTime = 22;

// Automation dates count from 30 December 1899; Excel's 1900 serials agree from 1 March 1900
// (61) on and are one lower before it, where Excel counts its 29 February 1900. 1904 serials
// count from 1 January 1904, automation day 1462.
constexpr double kFirstAgreeingSerial = 61.0;
constexpr double kAutomationDayOf1904 = 1462.0;

std::optional<double> SerialOfAutomationDate(double date, bool date1904) {
  if (!std::isfinite(date)) return std::nullopt;
  double serial = date;
  if (date1904) {
    serial = date - kAutomationDayOf1904;
  } else if (date < kFirstAgreeingSerial) {
    serial = date - 1.0;
  }
  if (serial < 0.0) return std::nullopt;
  return serial;
}

}  // namespace

RangeOutcome ConvertCellInput(const VARIANT& value, bool textFormatted, bool date1904,
                              std::int32_t currentYear, CellInput* input) {
  *input = CellInput{};
  switch (value.vt) {
    case VT_EMPTY:
    case VT_NULL:
      input->kind = CellInput::Kind::Clear;
      return RangeOutcome::Ok();
    case VT_BOOL:
      input->kind = CellInput::Kind::Value;
      input->value = CellValue::Boolean(value.boolVal != VARIANT_FALSE);
      return RangeOutcome::Ok();
    case VT_ERROR: {
      const auto code = ErrorFromScode(value.scode);
      if (!code) return RangeOutcome::Failed(DISP_E_TYPEMISMATCH);
      input->kind = CellInput::Kind::Value;
      input->value = CellValue::Error(*code);
      return RangeOutcome::Ok();
    }
    case VT_DATE: {
      const auto serial = SerialOfAutomationDate(value.date, date1904);
      input->kind = CellInput::Kind::Value;
      if (!serial) {
        // Before the first day of the date system: Excel keeps such a date as its text.
        CVariant text;
        if (FAILED(CVariant(value).ChangeType(VT_BSTR, &text))) {
          return RangeOutcome::Failed(DISP_E_TYPEMISMATCH);
        }
        const BSTR chars = text.Get()->bstrVal;
        input->value =
            CellValue::Text(std::wstring(chars == nullptr ? L"" : chars, SysStringLen(chars)));
        return RangeOutcome::Ok();
      }
      input->value = CellValue::Number(*serial);
      const double day = std::floor(*serial);
      input->numberFormat = *serial == day ? kFormatDate
                            : day == 0.0   ? kFormatTime12Seconds
                                           : kFormatDateTime;
      return RangeOutcome::Ok();
    }
    case VT_BSTR: {
      const std::wstring_view text(value.bstrVal == nullptr ? L"" : value.bstrVal,
                                   SysStringLen(value.bstrVal));
      if (text.size() > kMaxCellTextLength) {
        return RangeOutcome::Runtime(L"Text values are limited to 32,767 characters per cell.");
      }
      if (textFormatted) {
        input->kind = text.empty() ? CellInput::Kind::Clear : CellInput::Kind::Value;
        input->value = CellValue::Text(std::wstring(text));
        return RangeOutcome::Ok();
      }
      CellEntry entry = ParseCellEntry(text, date1904, currentYear);
      switch (entry.kind) {
        case CellEntry::Kind::Invalid:
          return RangeOutcome::Runtime(L"There's a problem with this formula.");
        case CellEntry::Kind::Formula:
          if (entry.formula.size() > kMaxFormulaLength) {
            return RangeOutcome::Runtime(L"The formula is too long.");
          }
          input->kind = CellInput::Kind::Formula;
          input->formula = std::move(entry.formula);
          return RangeOutcome::Ok();
        case CellEntry::Kind::Constant:
          input->kind = entry.value.IsEmpty() ? CellInput::Kind::Clear : CellInput::Kind::Value;
          input->value = std::move(entry.value);
          input->numberFormat = entry.numberFormat;
          return RangeOutcome::Ok();
      }
      return RangeOutcome::Failed(DISP_E_TYPEMISMATCH);
    }
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL: {
      CVariant number;
      if (FAILED(CVariant(value).ChangeType(VT_R8, &number)) ||
          !std::isfinite(number.Get()->dblVal)) {
        return RangeOutcome::Failed(DISP_E_TYPEMISMATCH);
      }
      input->kind = CellInput::Kind::Value;
      input->value = CellValue::Number(number.Get()->dblVal);
      return RangeOutcome::Ok();
    }
    default:
      return RangeOutcome::Failed(DISP_E_TYPEMISMATCH);
  }
}

}  // namespace spreadsheet
