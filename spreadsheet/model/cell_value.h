// CellValue: what a cell holds or a formula last produced.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "spreadsheet/model/error_code.h"

namespace spreadsheet {

enum class ValueKind : std::uint8_t { Empty, Number, Text, Boolean, Error };

class CellValue {
 public:
  CellValue() = default;
  static CellValue Number(double number) {
    CellValue v(ValueKind::Number);
    v.number_ = number;
    return v;
  }
  static CellValue Text(std::wstring text) {
    CellValue v(ValueKind::Text);
    v.text_ = std::move(text);
    return v;
  }
  static CellValue Boolean(bool truth) {
    CellValue v(ValueKind::Boolean);
    v.number_ = truth ? 1.0 : 0.0;
    return v;
  }
  static CellValue Error(ErrorCode code) {
    CellValue v(ValueKind::Error);
    v.error_ = code;
    return v;
  }

  ValueKind Kind() const { return kind_; }
  bool IsEmpty() const { return kind_ == ValueKind::Empty; }
  double AsNumber() const { return number_; }
  bool AsBoolean() const { return number_ != 0.0; }
  const std::wstring& AsText() const { return text_; }
  ErrorCode AsError() const { return error_; }

  friend bool operator==(const CellValue& a, const CellValue& b) {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
      case ValueKind::Empty: return true;
      case ValueKind::Number:
      case ValueKind::Boolean: return a.number_ == b.number_;
      case ValueKind::Text: return a.text_ == b.text_;
      case ValueKind::Error: return a.error_ == b.error_;
    }
    return false;
  }

 private:
  explicit CellValue(ValueKind kind) : kind_(kind) {}

  ValueKind kind_ = ValueKind::Empty;
  double number_ = 0.0;
  ErrorCode error_ = ErrorCode::Value;
  std::wstring text_;
};

}  // namespace spreadsheet
