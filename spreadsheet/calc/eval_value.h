// EvalValue: what a formula or a part of one evaluates to. Besides the values a cell can hold it
// can be a reference (OFFSET, INDEX, IF and CHOOSE can give cells rather than values) or an array.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "spreadsheet/model/cell_value.h"
#include "spreadsheet/model/coordinates.h"
#include "spreadsheet/model/error_code.h"

namespace spreadsheet {

class CWorkbook;

// A rectangle of cells on one sheet (index from 1) of a workbook.
struct Area {
  CWorkbook* workbook = nullptr;
  std::int32_t sheet = 0;
  CellRect rect;
  friend bool operator==(const Area&, const Area&) = default;
};

class EvalValue;

// Rows of values, row by row. Its elements are never references or arrays.
struct ValueArray {
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  std::vector<EvalValue> cells;

  // Defined below EvalValue: clang instantiates vector's constexpr members where they are used.
  const EvalValue& At(std::int32_t row, std::int32_t column) const;
};

class EvalValue {
 public:
  enum class Kind : std::uint8_t { Empty, Number, Text, Boolean, Error, Reference, Array };

  EvalValue() = default;
  static EvalValue Number(double number) { return EvalValue(Kind::Number, number); }
  static EvalValue Boolean(bool truth) { return EvalValue(Kind::Boolean, truth ? 1.0 : 0.0); }
  static EvalValue Text(std::wstring text) {
    EvalValue v(Kind::Text, 0.0);
    v.payload_ = std::make_shared<const std::wstring>(std::move(text));
    return v;
  }
  static EvalValue Error(ErrorCode code) {
    EvalValue v(Kind::Error, 0.0);
    v.error_ = code;
    return v;
  }
  // One area, or several (a union); an empty list is #REF!'s business, not a reference's.
  static EvalValue Reference(std::vector<Area> areas) {
    EvalValue v(Kind::Reference, 0.0);
    v.payload_ = std::make_shared<const std::vector<Area>>(std::move(areas));
    return v;
  }
  static EvalValue Reference(const Area& area) { return Reference(std::vector<Area>{area}); }
  static EvalValue Array(ValueArray array) {
    EvalValue v(Kind::Array, 0.0);
    v.payload_ = std::make_shared<const ValueArray>(std::move(array));
    return v;
  }
  static EvalValue FromCell(const CellValue& value);

  Kind GetKind() const { return kind_; }
  bool IsEmpty() const { return kind_ == Kind::Empty; }
  bool IsNumber() const { return kind_ == Kind::Number; }
  bool IsText() const { return kind_ == Kind::Text; }
  bool IsBoolean() const { return kind_ == Kind::Boolean; }
  bool IsError() const { return kind_ == Kind::Error; }
  bool IsReference() const { return kind_ == Kind::Reference; }
  bool IsArray() const { return kind_ == Kind::Array; }
  bool IsScalar() const { return kind_ != Kind::Reference && kind_ != Kind::Array; }

  double AsNumber() const { return number_; }  // Number; 1 or 0 for Boolean.
  bool AsBoolean() const { return number_ != 0.0; }
  ErrorCode AsError() const { return error_; }
  const std::wstring& AsText() const;
  const std::vector<Area>& AsAreas() const;
  const ValueArray& AsArray() const;

  // The scalar as a cell holds it; references and arrays give #VALUE!.
  CellValue ToCellValue() const;

  friend bool operator==(const EvalValue& a, const EvalValue& b);

 private:
  EvalValue(Kind kind, double number) : kind_(kind), number_(number) {}

  Kind kind_ = Kind::Empty;
  ErrorCode error_ = ErrorCode::Value;
  double number_ = 0.0;
  // Text, areas or array; shared because values are copied far more often than built.
  std::shared_ptr<const void> payload_;
};

inline const EvalValue& ValueArray::At(std::int32_t row, std::int32_t column) const {
  return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
               static_cast<std::size_t>(column)];
}

}  // namespace spreadsheet
