// EvalValue's conversions and comparison.
#include "spreadsheet/calc/eval_value.h"

namespace spreadsheet {

static_assert(sizeof(EvalValue) <= 16, "arrays of whole columns hold a million values");

EvalValue EvalValue::FromCell(const CellValue& value) {
  switch (value.Kind()) {
    case ValueKind::Empty:
      return EvalValue();
    case ValueKind::Number:
      return Number(value.AsNumber());
    case ValueKind::Text:
      return Text(value.AsText());
    case ValueKind::Boolean:
      return Boolean(value.AsBoolean());
    case ValueKind::Error:
      return Error(value.AsError());
  }
  return EvalValue();
}

const std::wstring& EvalValue::NoText() {
  static const std::wstring kNone;
  return kNone;
}

const std::vector<Area>& EvalValue::NoAreas() {
  static const std::vector<Area> kNone;
  return kNone;
}

const ValueArray& EvalValue::NoArray() {
  static const ValueArray kNone;
  return kNone;
}

CellValue EvalValue::ToCellValue() const {
  switch (kind_) {
    case Kind::Empty:
      return CellValue();
    case Kind::Number:
      return CellValue::Number(number_);
    case Kind::Text:
      return CellValue::Text(AsText());
    case Kind::Boolean:
      return CellValue::Boolean(AsBoolean());
    case Kind::Error:
      return CellValue::Error(error_);
    case Kind::Reference:
    case Kind::Array:
      break;
  }
  return CellValue::Error(ErrorCode::Value);
}

bool operator==(const EvalValue& a, const EvalValue& b) {
  if (a.kind_ != b.kind_) return false;
  switch (a.kind_) {
    case EvalValue::Kind::Empty:
      return true;
    case EvalValue::Kind::Number:
    case EvalValue::Kind::Boolean:
      return a.number_ == b.number_;
    case EvalValue::Kind::Error:
      return a.error_ == b.error_;
    case EvalValue::Kind::Text:
      return a.AsText() == b.AsText();
    case EvalValue::Kind::Reference:
      return a.AsAreas() == b.AsAreas();
    case EvalValue::Kind::Array: {
      const ValueArray& x = a.AsArray();
      const ValueArray& y = b.AsArray();
      return x.rows == y.rows && x.columns == y.columns && x.cells == y.cells;
    }
  }
  return false;
}

}  // namespace spreadsheet
