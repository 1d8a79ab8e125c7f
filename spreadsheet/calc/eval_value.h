// EvalValue: what a formula or a part of one evaluates to. Besides the values a cell can hold it
// can be a reference (OFFSET, INDEX, IF and CHOOSE can give cells rather than values) or an array.
#pragma once

#include <atomic>
#include <cstdint>
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

// The most cells one array may hold: four whole columns, so that SUMPRODUCT over a few full
// columns works, while an array of whole rows ("1:344" is 5.6 million cells) is refused with
// #NUM! rather than costing seconds and gigabytes.
inline constexpr std::int64_t kMaxArrayCells = 4 * 1048576;

// Rows of values, row by row. Its elements are never references or arrays.
struct ValueArray {
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  std::vector<EvalValue> cells;

  // Defined below EvalValue: clang instantiates vector's constexpr members where they are used.
  const EvalValue& At(std::int32_t row, std::int32_t column) const;
};

// Sixteen bytes: arrays of whole columns hold a million of them. Text, areas and arrays live in a
// counted payload shared by copies, since values are copied far more often than built.
class EvalValue {
 public:
  // The kinds from Text on hold a payload.
  enum class Kind : std::uint8_t { Empty, Number, Boolean, Error, Text, Reference, Array };

  EvalValue() = default;
  EvalValue(const EvalValue& other) noexcept : kind_(other.kind_), error_(other.error_) {
    if (HasPayload()) {
      payload_ = other.payload_;
      payload_->references.fetch_add(1, std::memory_order_relaxed);
    } else {
      number_ = other.number_;
    }
  }
  EvalValue(EvalValue&& other) noexcept : kind_(other.kind_), error_(other.error_) {
    if (HasPayload()) {
      payload_ = other.payload_;
      other.kind_ = Kind::Empty;
      other.number_ = 0.0;
    } else {
      number_ = other.number_;
    }
  }
  EvalValue& operator=(const EvalValue& other) noexcept {
    if (this != &other) *this = EvalValue(other);
    return *this;
  }
  EvalValue& operator=(EvalValue&& other) noexcept {
    // Taken before releasing: `other` may live in this value's own array.
    const Kind kind = other.kind_;
    const ErrorCode error = other.error_;
    Payload* payload = nullptr;
    double number = 0.0;
    if (other.HasPayload()) {
      payload = other.payload_;
      other.kind_ = Kind::Empty;
      other.number_ = 0.0;
    } else {
      number = other.number_;
    }
    Release();
    kind_ = kind;
    error_ = error;
    if (payload != nullptr) {
      payload_ = payload;
    } else {
      number_ = number;
    }
    return *this;
  }
  ~EvalValue() { Release(); }

  static EvalValue Number(double number) { return EvalValue(Kind::Number, number); }
  static EvalValue Boolean(bool truth) { return EvalValue(Kind::Boolean, truth ? 1.0 : 0.0); }
  static EvalValue Text(std::wstring text) {
    return EvalValue(Kind::Text, new Held<std::wstring>(std::move(text)));
  }
  static EvalValue Error(ErrorCode code) {
    EvalValue v(Kind::Error, 0.0);
    v.error_ = code;
    return v;
  }
  // One area, or several (a union); an empty list is #REF!'s business, not a reference's.
  static EvalValue Reference(std::vector<Area> areas) {
    return EvalValue(Kind::Reference, new Held<std::vector<Area>>(std::move(areas)));
  }
  static EvalValue Reference(const Area& area) { return Reference(std::vector<Area>{area}); }
  static EvalValue Array(ValueArray array) {
    return EvalValue(Kind::Array, new Held<ValueArray>(std::move(array)));
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

  // Number; 1 or 0 for Boolean; 0 for the rest.
  double AsNumber() const { return HasPayload() ? 0.0 : number_; }
  bool AsBoolean() const { return AsNumber() != 0.0; }
  ErrorCode AsError() const { return error_; }
  // Text, areas and array, or an empty one of each for other kinds.
  const std::wstring& AsText() const {
    return kind_ == Kind::Text ? HeldValue<std::wstring>() : NoText();
  }
  const std::vector<Area>& AsAreas() const {
    return kind_ == Kind::Reference ? HeldValue<std::vector<Area>>() : NoAreas();
  }
  const ValueArray& AsArray() const;

  // The scalar as a cell holds it; references and arrays give #VALUE!.
  CellValue ToCellValue() const;

  friend bool operator==(const EvalValue& a, const EvalValue& b);

 private:
  struct Payload {
    std::atomic<std::int32_t> references{1};
    virtual ~Payload() = default;
  };
  template <class T>
  struct Held final : Payload {
    explicit Held(T held) : value(std::move(held)) {}
    T value;
  };

  EvalValue(Kind kind, double number) : number_(number), kind_(kind) {}
  EvalValue(Kind kind, Payload* payload) : payload_(payload), kind_(kind) {}

  bool HasPayload() const { return kind_ >= Kind::Text; }
  static const std::wstring& NoText();
  static const std::vector<Area>& NoAreas();
  static const ValueArray& NoArray();
  template <class T>
  const T& HeldValue() const {
    return static_cast<const Held<T>*>(payload_)->value;
  }
  void Release() noexcept {
    if (HasPayload() && payload_->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
      delete payload_;
    }
  }

  // number_ for every kind without a payload (0 unless Number or Boolean), else payload_.
  union {
    double number_ = 0.0;
    Payload* payload_;
  };
  Kind kind_ = Kind::Empty;
  ErrorCode error_ = ErrorCode::Value;
};

// Defined here, where ValueArray is complete.
inline const ValueArray& EvalValue::AsArray() const {
  return kind_ == Kind::Array ? HeldValue<ValueArray>() : NoArray();
}

inline const EvalValue& ValueArray::At(std::int32_t row, std::int32_t column) const {
  return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
               static_cast<std::size_t>(column)];
}

}  // namespace spreadsheet
