// Worksheet functions: math and trigonometry.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/char_class.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {
namespace {

using Args = std::span<const EvalValue>;

// Excel refuses trigonometry of arguments from 2^27 on rather than answer with noise.
constexpr double kTrigLimit = 134217728.0;
// Integers beyond 2^53 are no longer exact; Excel's integer functions stop there.
constexpr double kExactIntegerLimit = 9007199254740992.0;

// ---------------------------------------------------------------------------------------------
// Decimal rounding. Excel rounds the decimal it shows, not the binary value: 2.675 is stored as
// 2.67499999..., yet its 15 significant digits read 2.675 and round to 2.68.

enum class RoundMode : std::uint8_t { HalfAwayFromZero, AwayFromZero, TowardZero };

struct Decimal15 {
  std::array<int, 15> digits{};
  int exponent = 0;  // The power of ten of digits[0].
};

Decimal15 ToDecimal15(double magnitude) {
  std::array<char, 40> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                     std::chars_format::scientific, 14);
  Decimal15 decimal;
  std::size_t count = 0;
  const char* cursor = text.data();
  for (; cursor != written.ptr && *cursor != 'e'; ++cursor) {
    if (IsAsciiDigit(*cursor) && count < decimal.digits.size()) {
      decimal.digits[count++] = *cursor - '0';
    }
  }
  if (cursor != written.ptr) {
    ++cursor;
    if (cursor != written.ptr && *cursor == '+') ++cursor;
    std::from_chars(cursor, written.ptr, decimal.exponent);
  }
  return decimal;
}

// mantissa * 10^power, correctly rounded.
double ScaledByPowerOfTen(std::int64_t mantissa, std::int64_t power) {
  std::array<char, 48> text{};
  const int length = std::snprintf(text.data(), text.size(), "%llde%lld",
                                   static_cast<long long>(mantissa), static_cast<long long>(power));
  if (length <= 0 || length >= static_cast<int>(text.size())) return 0.0;
  double value = 0.0;
  const auto parsed = std::from_chars(text.data(), text.data() + length, value);
  if (parsed.ec == std::errc::result_out_of_range) {
    return power > 0 ? HUGE_VAL : 0.0;
  }
  return value;
}

// The number rounded to `decimals` places (negative: tens, hundreds...) on its 15-digit decimal.
double RoundDecimal(double number, std::int64_t decimals, RoundMode mode) {
  if (number == 0.0 || !std::isfinite(number)) return number;
  decimals = std::clamp<std::int64_t>(decimals, -400, 400);
  const Decimal15 decimal = ToDecimal15(std::fabs(number));
  // Digits at powers of ten down to 10^-decimals stay.
  const std::int64_t keep = decimal.exponent + decimals + 1;
  if (keep >= 15) return number;  // Nothing to cut: keep the value exactly as it is.
  std::int64_t mantissa = 0;
  for (std::int64_t i = 0; i < keep; ++i) {
    mantissa = mantissa * 10 + decimal.digits[static_cast<std::size_t>(i)];
  }
  bool increment = false;
  switch (mode) {
    case RoundMode::HalfAwayFromZero:
      increment = keep >= 0 && decimal.digits[static_cast<std::size_t>(keep)] >= 5;
      break;
    case RoundMode::AwayFromZero:
      for (std::int64_t i = std::max<std::int64_t>(keep, 0); i < 15; ++i) {
        if (decimal.digits[static_cast<std::size_t>(i)] != 0) increment = true;
      }
      break;
    case RoundMode::TowardZero:
      break;
  }
  if (increment) ++mantissa;
  if (mantissa == 0) return 0.0;
  const double magnitude = ScaledByPowerOfTen(mantissa, -decimals);
  return number < 0.0 ? -magnitude : magnitude;
}

// The number as Excel keeps it: 15 significant digits.
double Significant15(double number) {
  if (number == 0.0 || !std::isfinite(number)) return number;
  std::array<char, 40> text{};
  const auto written = std::to_chars(text.data(), text.data() + text.size(), number,
                                     std::chars_format::scientific, 14);
  double value = number;
  std::from_chars(text.data(), written.ptr, value);
  return value;
}

// A quotient such as 0.3/0.1 lands a few ulps off the integer it stands for; take the integer.
double SnapToInteger(double number) {
  const double nearest = std::round(number);
  const double tolerance = 4.0 * std::numeric_limits<double>::epsilon() * std::fabs(nearest);
  return std::fabs(number - nearest) <= tolerance ? nearest : number;
}

// `number` to a multiple of `step` (> 0), toward +infinity or -infinity.
double ToMultiple(double number, double step, bool up) {
  const double quotient = SnapToInteger(number / step);
  const double whole = up ? std::ceil(quotient) : std::floor(quotient);
  // 3 * 0.1 is 0.30000000000000004: give the multiple Excel shows.
  return std::fabs(whole) < 1e15 ? Significant15(whole * step) : whole * step;
}

// ---------------------------------------------------------------------------------------------
// Arguments.

// An optional argument: absent or left empty between commas, it takes its default.
std::optional<EvalValue> OptionalNumber(Args args, std::size_t index, double fallback,
                                        double& out) {
  if (index >= args.size() || args[index].IsEmpty()) {
    out = fallback;
    return std::nullopt;
  }
  return GetNumber(args[index], out);
}

// A number taken as Excel takes counts: truncated toward zero.
std::optional<EvalValue> GetTruncated(const EvalValue& value, double& out) {
  if (auto error = GetNumber(value, out)) return error;
  out = std::trunc(out);
  return std::nullopt;
}

struct Matrix {
  std::int32_t rows = 0;
  std::int32_t columns = 0;
  std::vector<double> cells;

  double& At(std::int32_t row, std::int32_t column) {
    return cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) +
                 static_cast<std::size_t>(column)];
  }
};

// A matrix argument: every element must be a number (blanks, text and Booleans are #VALUE!).
std::optional<EvalValue> GetMatrix(const EvalValue& arg, CFunctionContext& context, Matrix& out) {
  ValueArray array;
  if (auto error = GetArray(arg, context, array)) return error;
  out.rows = array.rows;
  out.columns = array.columns;
  out.cells.clear();
  out.cells.reserve(array.cells.size());
  for (const EvalValue& cell : array.cells) {
    if (cell.IsError()) return cell;
    if (!cell.IsNumber()) return Error(ErrorCode::Value);
    out.cells.push_back(cell.AsNumber());
  }
  return std::nullopt;
}

EvalValue MatrixResult(std::int32_t rows, std::int32_t columns, const std::vector<double>& cells) {
  ValueArray array;
  array.rows = rows;
  array.columns = columns;
  array.cells.reserve(cells.size());
  for (const double cell : cells) array.cells.push_back(NumberResult(cell));
  return EvalValue::Array(std::move(array));
}

// The size of an array result: 0 rows or columns is #CALC!, a negative count #VALUE!.
std::optional<EvalValue> CheckArraySize(double rows, double columns) {
  if (rows < 0.0 || columns < 0.0) return Error(ErrorCode::Value);
  if (rows == 0.0 || columns == 0.0) return Error(ErrorCode::Calc);
  if (rows > kMaxRows || columns > kMaxColumns ||
      rows * columns > static_cast<double>(kMaxArrayCells)) {
    return Error(ErrorCode::Num);
  }
  return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// Sums and products.

EvalValue Sum(Args args, CFunctionContext& context) {
  std::vector<double> numbers;
  if (auto error = CollectNumbers(args, context, numbers)) return *error;
  double sum = 0.0;
  for (const double number : numbers) sum += number;
  return NumberResult(sum);
}

EvalValue Product(Args args, CFunctionContext& context) {
  std::vector<double> numbers;
  if (auto error = CollectNumbers(args, context, numbers)) return *error;
  if (numbers.empty()) return EvalValue::Number(0.0);
  double product = 1.0;
  for (const double number : numbers) product *= number;
  return NumberResult(product);
}

EvalValue SumSq(Args args, CFunctionContext& context) {
  std::vector<double> numbers;
  if (auto error = CollectNumbers(args, context, numbers)) return *error;
  double sum = 0.0;
  for (const double number : numbers) sum += number * number;
  return NumberResult(sum);
}

// SUMX2MY2 and its kin: pairs where either side is not a number are left out.
EvalValue SumOfPairs(Args args, CFunctionContext& context, double (*term)(double, double)) {
  ValueArray xs;
  ValueArray ys;
  if (auto error = GetArray(args[0], context, xs)) return *error;
  if (auto error = GetArray(args[1], context, ys)) return *error;
  if (xs.cells.size() != ys.cells.size()) return Error(ErrorCode::NA);
  double sum = 0.0;
  for (std::size_t i = 0; i < xs.cells.size(); ++i) {
    const EvalValue& x = xs.cells[i];
    const EvalValue& y = ys.cells[i];
    if (x.IsError()) return x;
    if (y.IsError()) return y;
    if (x.IsNumber() && y.IsNumber()) sum += term(x.AsNumber(), y.AsNumber());
  }
  return NumberResult(sum);
}

EvalValue SumX2MY2(Args args, CFunctionContext& context) {
  return SumOfPairs(args, context, [](double x, double y) { return x * x - y * y; });
}
EvalValue SumX2PY2(Args args, CFunctionContext& context) {
  return SumOfPairs(args, context, [](double x, double y) { return x * x + y * y; });
}
EvalValue SumXMY2(Args args, CFunctionContext& context) {
  return SumOfPairs(args, context, [](double x, double y) { return (x - y) * (x - y); });
}

EvalValue SeriesSum(Args args, CFunctionContext& context) {
  double x = 0.0;
  double n = 0.0;
  double m = 0.0;
  if (auto error = GetNumber(args[0], x)) return *error;
  if (auto error = GetNumber(args[1], n)) return *error;
  if (auto error = GetNumber(args[2], m)) return *error;
  Matrix coefficients;
  if (auto error = GetMatrix(args[3], context, coefficients)) return *error;
  double sum = 0.0;
  double power = n;
  for (const double coefficient : coefficients.cells) {
    if (x == 0.0 && power < 0.0) return Error(ErrorCode::Div0);
    sum += coefficient * std::pow(x, power);
    power += m;
  }
  return NumberResult(sum);
}

// ---------------------------------------------------------------------------------------------
// Functions of one number.

template <EvalValue (*Function)(double)>
EvalValue OfNumber(Args args, CFunctionContext&) {
  double x = 0.0;
  if (auto error = GetNumber(args[0], x)) return *error;
  return Function(x);
}

EvalValue AbsOf(double x) {
  return NumberResult(std::fabs(x));
}
EvalValue SignOf(double x) {
  return EvalValue::Number(x > 0.0 ? 1.0 : (x < 0.0 ? -1.0 : 0.0));
}
EvalValue IntOf(double x) {
  return NumberResult(std::floor(x));
}

// EVEN and ODD round away from zero to the next even or odd integer.
EvalValue EvenOf(double x) {
  double whole = std::ceil(std::fabs(SnapToInteger(x)));
  if (std::fmod(whole, 2.0) != 0.0) whole += 1.0;
  return NumberResult(x < 0.0 ? -whole : whole);
}
EvalValue OddOf(double x) {
  double whole = std::ceil(std::fabs(SnapToInteger(x)));
  if (std::fmod(whole, 2.0) == 0.0) whole += 1.0;
  return NumberResult(x < 0.0 ? -whole : whole);
}

EvalValue SqrtOf(double x) {
  if (x < 0.0) return Error(ErrorCode::Num);
  return NumberResult(std::sqrt(x));
}
EvalValue SqrtPiOf(double x) {
  if (x < 0.0) return Error(ErrorCode::Num);
  return NumberResult(std::sqrt(x * std::numbers::pi));
}
EvalValue ExpOf(double x) {
  return NumberResult(std::exp(x));
}
EvalValue LnOf(double x) {
  if (x <= 0.0) return Error(ErrorCode::Num);
  return NumberResult(std::log(x));
}
EvalValue Log10Of(double x) {
  if (x <= 0.0) return Error(ErrorCode::Num);
  return NumberResult(std::log10(x));
}

EvalValue SinOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  return NumberResult(std::sin(x));
}
EvalValue CosOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  return NumberResult(std::cos(x));
}
EvalValue TanOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  return NumberResult(std::tan(x));
}
EvalValue CotOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  if (x == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(std::cos(x) / std::sin(x));
}
EvalValue CscOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  if (x == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(1.0 / std::sin(x));
}
EvalValue SecOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  return NumberResult(1.0 / std::cos(x));
}
EvalValue AsinOf(double x) {
  if (x < -1.0 || x > 1.0) return Error(ErrorCode::Num);
  return NumberResult(std::asin(x));
}
EvalValue AcosOf(double x) {
  if (x < -1.0 || x > 1.0) return Error(ErrorCode::Num);
  return NumberResult(std::acos(x));
}
EvalValue AtanOf(double x) {
  return NumberResult(std::atan(x));
}
EvalValue AcotOf(double x) {
  return NumberResult(std::numbers::pi / 2.0 - std::atan(x));
}

EvalValue SinhOf(double x) {
  return NumberResult(std::sinh(x));
}
EvalValue CoshOf(double x) {
  return NumberResult(std::cosh(x));
}
EvalValue TanhOf(double x) {
  return NumberResult(std::tanh(x));
}
EvalValue CothOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  if (x == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(1.0 / std::tanh(x));
}
EvalValue CschOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  if (x == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(1.0 / std::sinh(x));
}
EvalValue SechOf(double x) {
  if (std::fabs(x) >= kTrigLimit) return Error(ErrorCode::Num);
  return NumberResult(1.0 / std::cosh(x));
}
EvalValue AsinhOf(double x) {
  return NumberResult(std::asinh(x));
}
EvalValue AcoshOf(double x) {
  if (x < 1.0) return Error(ErrorCode::Num);
  return NumberResult(std::acosh(x));
}
EvalValue AtanhOf(double x) {
  if (x <= -1.0 || x >= 1.0) return Error(ErrorCode::Num);
  return NumberResult(std::atanh(x));
}
EvalValue AcothOf(double x) {
  if (x >= -1.0 && x <= 1.0) return Error(ErrorCode::Num);
  return NumberResult(0.5 * std::log((x + 1.0) / (x - 1.0)));
}
EvalValue DegreesOf(double x) {
  return NumberResult(x * (180.0 / std::numbers::pi));
}
EvalValue RadiansOf(double x) {
  return NumberResult(x * (std::numbers::pi / 180.0));
}

EvalValue FactOf(double x) {
  const double n = std::trunc(x);
  if (n < 0.0) return Error(ErrorCode::Num);
  if (n > 170.0) return Error(ErrorCode::Num);
  double product = 1.0;
  for (double k = 2.0; k <= n; k += 1.0) product *= k;
  return NumberResult(product);
}
EvalValue FactDoubleOf(double x) {
  const double n = std::trunc(x);
  if (n < 0.0) return Error(ErrorCode::Num);
  if (n > 300.0) return Error(ErrorCode::Num);
  double product = 1.0;
  for (double k = n; k > 1.0; k -= 2.0) product *= k;
  return NumberResult(product);
}

EvalValue Pi(Args, CFunctionContext&) {
  return EvalValue::Number(std::numbers::pi);
}

// ---------------------------------------------------------------------------------------------
// Rounding.

EvalValue RoundWith(Args args, RoundMode mode) {
  double number = 0.0;
  double digits = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = OptionalNumber(args, 1, 0.0, digits)) return *error;
  const auto places = static_cast<std::int64_t>(std::clamp(std::trunc(digits), -400.0, 400.0));
  return NumberResult(RoundDecimal(number, places, mode));
}

EvalValue Round(Args args, CFunctionContext&) {
  return RoundWith(args, RoundMode::HalfAwayFromZero);
}
EvalValue RoundUp(Args args, CFunctionContext&) {
  return RoundWith(args, RoundMode::AwayFromZero);
}
EvalValue RoundDown(Args args, CFunctionContext&) {
  return RoundWith(args, RoundMode::TowardZero);
}

EvalValue MRound(Args args, CFunctionContext&) {
  double number = 0.0;
  double multiple = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = GetNumber(args[1], multiple)) return *error;
  if (number == 0.0 || multiple == 0.0) return EvalValue::Number(0.0);
  if ((number < 0.0) != (multiple < 0.0)) return Error(ErrorCode::Num);
  // 6.05/0.1 is 60.4999...: rounding its 15-digit decimal gives Excel's 61.
  const double whole = RoundDecimal(number / multiple, 0, RoundMode::HalfAwayFromZero);
  return NumberResult(std::fabs(whole) < 1e15 ? Significant15(whole * multiple) : whole * multiple);
}

// CEILING and FLOOR: a negative significance only goes with a negative number, and then rounds
// the magnitude.
EvalValue Ceiling(Args args, CFunctionContext&) {
  double number = 0.0;
  double significance = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = GetNumber(args[1], significance)) return *error;
  if (number > 0.0 && significance < 0.0) return Error(ErrorCode::Num);
  if (significance == 0.0 || number == 0.0) return EvalValue::Number(0.0);
  if (significance < 0.0) return NumberResult(-ToMultiple(-number, -significance, true));
  return NumberResult(ToMultiple(number, significance, true));
}

EvalValue Floor(Args args, CFunctionContext&) {
  double number = 0.0;
  double significance = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = GetNumber(args[1], significance)) return *error;
  if (number > 0.0 && significance < 0.0) return Error(ErrorCode::Num);
  if (number == 0.0) return EvalValue::Number(0.0);
  if (significance == 0.0) return Error(ErrorCode::Div0);
  if (significance < 0.0) return NumberResult(-ToMultiple(-number, -significance, false));
  return NumberResult(ToMultiple(number, significance, false));
}

// CEILING.MATH and FLOOR.MATH: the significance's sign is ignored; a mode other than 0 turns
// the direction for negative numbers (CEILING away from zero, FLOOR toward it).
EvalValue MathRounding(Args args, bool up) {
  double number = 0.0;
  double significance = 1.0;
  double mode = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = OptionalNumber(args, 1, 1.0, significance)) return *error;
  if (auto error = OptionalNumber(args, 2, 0.0, mode)) return *error;
  if (significance == 0.0 || number == 0.0) return EvalValue::Number(0.0);
  significance = std::fabs(significance);
  if (number < 0.0 && mode != 0.0) return NumberResult(-ToMultiple(-number, significance, up));
  return NumberResult(ToMultiple(number, significance, up));
}

EvalValue CeilingMath(Args args, CFunctionContext&) {
  return MathRounding(args, true);
}
EvalValue FloorMath(Args args, CFunctionContext&) {
  return MathRounding(args, false);
}

// CEILING.PRECISE, ISO.CEILING and FLOOR.PRECISE: toward +/- infinity whatever the signs.
EvalValue PreciseRounding(Args args, bool up) {
  double number = 0.0;
  double significance = 1.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = OptionalNumber(args, 1, 1.0, significance)) return *error;
  if (significance == 0.0 || number == 0.0) return EvalValue::Number(0.0);
  return NumberResult(ToMultiple(number, std::fabs(significance), up));
}

EvalValue CeilingPrecise(Args args, CFunctionContext&) {
  return PreciseRounding(args, true);
}
EvalValue FloorPrecise(Args args, CFunctionContext&) {
  return PreciseRounding(args, false);
}

// ---------------------------------------------------------------------------------------------
// Division and powers.

EvalValue Mod(Args args, CFunctionContext&) {
  double number = 0.0;
  double divisor = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = GetNumber(args[1], divisor)) return *error;
  if (divisor == 0.0) return Error(ErrorCode::Div0);
  const double quotient = number / divisor;
  // Past 2^53 a double has no fraction left to tell the remainder by.
  if (!(std::fabs(quotient) < kExactIntegerLimit)) return Error(ErrorCode::Num);
  // A quotient that is an integer but for binary noise leaves nothing.
  const double snapped = SnapToInteger(quotient);
  if (snapped == std::trunc(snapped)) return EvalValue::Number(0.0);
  double remainder = number - divisor * std::floor(quotient);
  // The remainder takes the divisor's sign and stays below it in magnitude.
  if (remainder != 0.0 && ((remainder < 0.0) != (divisor < 0.0))) remainder += divisor;
  if (std::fabs(remainder) >= std::fabs(divisor)) remainder = 0.0;
  return NumberResult(remainder);
}

EvalValue Quotient(Args args, CFunctionContext&) {
  double numerator = 0.0;
  double denominator = 0.0;
  if (auto error = GetNumber(args[0], numerator)) return *error;
  if (auto error = GetNumber(args[1], denominator)) return *error;
  if (denominator == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(std::trunc(SnapToInteger(numerator / denominator)));
}

EvalValue Power(Args args, CFunctionContext&) {
  double base = 0.0;
  double exponent = 0.0;
  if (auto error = GetNumber(args[0], base)) return *error;
  if (auto error = GetNumber(args[1], exponent)) return *error;
  if (base == 0.0) {
    if (exponent == 0.0) return Error(ErrorCode::Num);
    if (exponent < 0.0) return Error(ErrorCode::Div0);
  }
  if (base < 0.0 && exponent != std::trunc(exponent)) return Error(ErrorCode::Num);
  return NumberResult(std::pow(base, exponent));
}

EvalValue Log(Args args, CFunctionContext&) {
  double number = 0.0;
  double base = 10.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  if (auto error = OptionalNumber(args, 1, 10.0, base)) return *error;
  if (number <= 0.0 || base <= 0.0) return Error(ErrorCode::Num);
  if (base == 1.0) return Error(ErrorCode::Div0);
  return NumberResult(std::log(number) / std::log(base));
}

// ATAN2 takes x before y, unlike C.
EvalValue Atan2(Args args, CFunctionContext&) {
  double x = 0.0;
  double y = 0.0;
  if (auto error = GetNumber(args[0], x)) return *error;
  if (auto error = GetNumber(args[1], y)) return *error;
  if (x == 0.0 && y == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(std::atan2(y, x));
}

// ---------------------------------------------------------------------------------------------
// Combinatorics and integers.

// n over k for integers 0 <= k <= n; infinity once past doubles.
double Binomial(double n, double k) {
  k = std::min(k, n - k);
  double result = 1.0;
  // Each partial product is itself a binomial coefficient, so stays an integer while exact.
  for (double i = 1.0; i <= k && std::isfinite(result); i += 1.0) {
    result = result * (n - k + i) / i;
    if (result < kExactIntegerLimit) result = std::round(result);
  }
  return result;
}

EvalValue Combin(Args args, CFunctionContext&) {
  double n = 0.0;
  double k = 0.0;
  if (auto error = GetTruncated(args[0], n)) return *error;
  if (auto error = GetTruncated(args[1], k)) return *error;
  if (n < 0.0 || k < 0.0 || n < k) return Error(ErrorCode::Num);
  return NumberResult(Binomial(n, k));
}

EvalValue CombinA(Args args, CFunctionContext&) {
  double n = 0.0;
  double k = 0.0;
  if (auto error = GetTruncated(args[0], n)) return *error;
  if (auto error = GetTruncated(args[1], k)) return *error;
  if (n < 0.0 || k < 0.0) return Error(ErrorCode::Num);
  if (k == 0.0) return EvalValue::Number(1.0);
  if (n == 0.0) return Error(ErrorCode::Num);
  return NumberResult(Binomial(n + k - 1.0, k));
}

EvalValue Permut(Args args, CFunctionContext&) {
  double n = 0.0;
  double k = 0.0;
  if (auto error = GetTruncated(args[0], n)) return *error;
  if (auto error = GetTruncated(args[1], k)) return *error;
  if (n <= 0.0 || k < 0.0 || n < k) return Error(ErrorCode::Num);
  double result = 1.0;
  for (double i = 0.0; i < k && std::isfinite(result); i += 1.0) result *= n - i;
  return NumberResult(result);
}

EvalValue PermutationA(Args args, CFunctionContext&) {
  double n = 0.0;
  double k = 0.0;
  if (auto error = GetTruncated(args[0], n)) return *error;
  if (auto error = GetTruncated(args[1], k)) return *error;
  if (n < 0.0 || k < 0.0) return Error(ErrorCode::Num);
  return NumberResult(std::pow(n, k));
}

// The truncated numbers of GCD, LCM and MULTINOMIAL; negative ones are #NUM!.
std::optional<EvalValue> CollectNonNegativeIntegers(Args args, CFunctionContext& context,
                                                    std::vector<double>& out) {
  if (auto error = CollectNumbers(args, context, out)) return error;
  for (double& number : out) {
    number = std::trunc(number);
    if (number < 0.0) return Error(ErrorCode::Num);
  }
  return std::nullopt;
}

EvalValue Multinomial(Args args, CFunctionContext& context) {
  std::vector<double> numbers;
  if (auto error = CollectNonNegativeIntegers(args, context, numbers)) return *error;
  // (a+b+c)!/(a!b!c!) as a product of binomials, which stays finite longer than factorials.
  double total = 0.0;
  double result = 1.0;
  for (const double number : numbers) {
    total += number;
    result *= Binomial(total, number);
    if (!std::isfinite(result)) return Error(ErrorCode::Num);
  }
  return NumberResult(result);
}

double GreatestCommonDivisor(double a, double b) {
  while (b != 0.0) {
    const double remainder = std::fmod(a, b);
    a = b;
    b = remainder;
  }
  return a;
}

EvalValue Gcd(Args args, CFunctionContext& context) {
  std::vector<double> numbers;
  if (auto error = CollectNonNegativeIntegers(args, context, numbers)) return *error;
  double result = 0.0;
  for (const double number : numbers) {
    if (number >= kExactIntegerLimit) return Error(ErrorCode::Num);
    result = GreatestCommonDivisor(result, number);
  }
  return NumberResult(result);
}

EvalValue Lcm(Args args, CFunctionContext& context) {
  std::vector<double> numbers;
  if (auto error = CollectNonNegativeIntegers(args, context, numbers)) return *error;
  if (numbers.empty()) return EvalValue::Number(0.0);
  double result = 1.0;
  for (const double number : numbers) {
    if (number >= kExactIntegerLimit) return Error(ErrorCode::Num);
    if (number == 0.0) return EvalValue::Number(0.0);
    result = result / GreatestCommonDivisor(result, number) * number;
    if (!std::isfinite(result)) return Error(ErrorCode::Num);
  }
  return NumberResult(result);
}

// ---------------------------------------------------------------------------------------------
// Random numbers.

EvalValue Rand(Args, CFunctionContext& context) {
  return EvalValue::Number(context.Random());
}

EvalValue RandBetween(Args args, CFunctionContext& context) {
  double bottom = 0.0;
  double top = 0.0;
  if (auto error = GetNumber(args[0], bottom)) return *error;
  if (auto error = GetNumber(args[1], top)) return *error;
  bottom = std::ceil(bottom);
  top = std::floor(top);
  if (bottom > top) return Error(ErrorCode::Num);
  return NumberResult(bottom + std::floor(context.Random() * (top - bottom + 1.0)));
}

EvalValue RandArray(Args args, CFunctionContext& context) {
  double rows = 1.0;
  double columns = 1.0;
  double low = 0.0;
  double high = 1.0;
  bool whole = false;
  if (auto error = OptionalNumber(args, 0, 1.0, rows)) return *error;
  if (auto error = OptionalNumber(args, 1, 1.0, columns)) return *error;
  if (auto error = OptionalNumber(args, 2, 0.0, low)) return *error;
  if (auto error = OptionalNumber(args, 3, 1.0, high)) return *error;
  if (args.size() > 4) {
    if (auto error = GetBoolean(args[4], whole)) return *error;
  }
  rows = std::trunc(rows);
  columns = std::trunc(columns);
  if (auto error = CheckArraySize(rows, columns)) return *error;
  if (low > high) return Error(ErrorCode::Value);
  if (whole && (low != std::trunc(low) || high != std::trunc(high))) {
    return Error(ErrorCode::Value);
  }
  const auto rowCount = static_cast<std::int32_t>(rows);
  const auto columnCount = static_cast<std::int32_t>(columns);
  std::vector<double> cells(static_cast<std::size_t>(rowCount) *
                            static_cast<std::size_t>(columnCount));
  for (double& cell : cells) {
    const double random = context.Random();
    cell = whole ? low + std::floor(random * (high - low + 1.0)) : low + random * (high - low);
  }
  return MatrixResult(rowCount, columnCount, cells);
}

// ---------------------------------------------------------------------------------------------
// Numerals.

struct RomanSymbol {
  int value;
  const wchar_t* text;
  int form;  // The least form that writes it; 0 is the classic subtractive notation.
};

constexpr std::array<RomanSymbol, 21> kRomanSymbols{{
    {1000, L"M", 0}, {999, L"IM", 4}, {995, L"VM", 3}, {990, L"XM", 2}, {950, L"LM", 1},
    {900, L"CM", 0}, {500, L"D", 0},  {499, L"ID", 4}, {495, L"VD", 3}, {490, L"XD", 2},
    {450, L"LD", 1}, {400, L"CD", 0}, {100, L"C", 0},  {99, L"IC", 2},  {95, L"VC", 1},
    {90, L"XC", 0},  {50, L"L", 0},   {49, L"IL", 2},  {45, L"VL", 1},  {40, L"XL", 0},
    {10, L"X", 0},
}};

EvalValue Roman(Args args, CFunctionContext&) {
  double number = 0.0;
  if (auto error = GetTruncated(args[0], number)) return *error;
  double form = 0.0;
  if (args.size() > 1) {
    if (args[1].IsBoolean()) {
      form = args[1].AsBoolean() ? 0.0 : 4.0;
    } else if (auto error = GetTruncated(args[1], form)) {
      return *error;
    }
  }
  if (number < 0.0 || number > 3999.0 || form < 0.0 || form > 4.0) {
    return Error(ErrorCode::Value);
  }
  auto remaining = static_cast<int>(number);
  const auto allowed = static_cast<int>(form);
  std::wstring text;
  for (const RomanSymbol& symbol : kRomanSymbols) {
    if (symbol.form > allowed) continue;
    while (remaining >= symbol.value) {
      text += symbol.text;
      remaining -= symbol.value;
    }
  }
  // The units are the same in every form.
  static constexpr std::array<const wchar_t*, 10> kUnits{L"",  L"I",  L"II",  L"III",  L"IV",
                                                         L"V", L"VI", L"VII", L"VIII", L"IX"};
  text += kUnits[static_cast<std::size_t>(remaining)];
  return EvalValue::Text(std::move(text));
}

int RomanDigitValue(wchar_t c) {
  static constexpr std::wstring_view kLetters = L"IVXLCDMivxlcdm";
  static constexpr std::array<int, 7> kValues{1, 5, 10, 50, 100, 500, 1000};
  const std::size_t index = kLetters.find(c);
  return index == std::wstring_view::npos ? 0 : kValues[index % kValues.size()];
}

EvalValue Arabic(Args args, CFunctionContext&) {
  if (args[0].IsNumber()) return Error(ErrorCode::Value);
  std::wstring text;
  if (auto error = GetText(args[0], text)) return *error;
  if (text.size() > 255) return Error(ErrorCode::Value);
  const std::size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring::npos) return EvalValue::Number(0.0);
  const std::size_t last = text.find_last_not_of(L' ');
  std::wstring_view numeral(text.data() + first, last - first + 1);
  const bool negative = numeral.front() == L'-';
  if (negative) numeral.remove_prefix(1);
  double total = 0.0;
  for (std::size_t i = 0; i < numeral.size(); ++i) {
    const int value = RomanDigitValue(numeral[i]);
    if (value == 0) return Error(ErrorCode::Value);
    const int next = i + 1 < numeral.size() ? RomanDigitValue(numeral[i + 1]) : 0;
    total += value < next ? -value : value;
  }
  return NumberResult(negative ? -total : total);
}

EvalValue Base(Args args, CFunctionContext&) {
  double number = 0.0;
  double radix = 0.0;
  double minLength = 0.0;
  if (auto error = GetTruncated(args[0], number)) return *error;
  if (auto error = GetTruncated(args[1], radix)) return *error;
  if (args.size() > 2) {
    if (auto error = GetTruncated(args[2], minLength)) return *error;
  }
  if (number < 0.0 || number >= kExactIntegerLimit || radix < 2.0 || radix > 36.0 ||
      minLength < 0.0 || minLength > 255.0) {
    return Error(ErrorCode::Num);
  }
  auto value = static_cast<std::uint64_t>(number);
  const auto base = static_cast<std::uint64_t>(radix);
  std::wstring digits;
  do {
    const auto digit = static_cast<wchar_t>(value % base);
    digits += static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'A' + digit - 10);
    value /= base;
  } while (value != 0);
  while (digits.size() < static_cast<std::size_t>(minLength)) digits += L'0';
  std::reverse(digits.begin(), digits.end());
  return EvalValue::Text(std::move(digits));
}

EvalValue Decimal(Args args, CFunctionContext&) {
  std::wstring text;
  double radix = 0.0;
  if (auto error = GetText(args[0], text)) return *error;
  if (auto error = GetTruncated(args[1], radix)) return *error;
  if (radix < 2.0 || radix > 36.0) return Error(ErrorCode::Num);
  if (text.size() > 255) return Error(ErrorCode::Value);
  double value = 0.0;
  for (const wchar_t c : text) {
    int digit = 36;
    if (IsAsciiDigit(c)) digit = c - L'0';
    if (c >= L'A' && c <= L'Z') digit = c - L'A' + 10;
    if (c >= L'a' && c <= L'z') digit = c - L'a' + 10;
    if (digit >= static_cast<int>(radix)) return Error(ErrorCode::Num);
    value = value * radix + digit;
  }
  if (value >= kExactIntegerLimit) return Error(ErrorCode::Num);
  return NumberResult(value);
}

// ---------------------------------------------------------------------------------------------
// Matrices.

EvalValue MMult(Args args, CFunctionContext& context) {
  Matrix a;
  Matrix b;
  if (auto error = GetMatrix(args[0], context, a)) return *error;
  if (auto error = GetMatrix(args[1], context, b)) return *error;
  if (a.columns != b.rows) return Error(ErrorCode::Value);
  if (static_cast<std::int64_t>(a.rows) * b.columns > kMaxArrayCells) {
    return Error(ErrorCode::Num);
  }
  std::vector<double> cells(static_cast<std::size_t>(a.rows) * static_cast<std::size_t>(b.columns));
  for (std::int32_t row = 0; row < a.rows; ++row) {
    for (std::int32_t column = 0; column < b.columns; ++column) {
      double sum = 0.0;
      for (std::int32_t k = 0; k < a.columns; ++k) sum += a.At(row, k) * b.At(k, column);
      cells[static_cast<std::size_t>(row) * static_cast<std::size_t>(b.columns) +
            static_cast<std::size_t>(column)] = sum;
    }
  }
  return MatrixResult(a.rows, b.columns, cells);
}

// The row at or below `k` with the largest entry in column k (partial pivoting).
std::int32_t PivotRow(Matrix& m, std::int32_t k) {
  std::int32_t best = k;
  for (std::int32_t row = k + 1; row < m.rows; ++row) {
    if (std::fabs(m.At(row, k)) > std::fabs(m.At(best, k))) best = row;
  }
  return best;
}

void SwapRows(Matrix& m, std::int32_t a, std::int32_t b) {
  for (std::int32_t column = 0; column < m.columns; ++column)
    std::swap(m.At(a, column), m.At(b, column));
}

EvalValue MDeterm(Args args, CFunctionContext& context) {
  Matrix m;
  if (auto error = GetMatrix(args[0], context, m)) return *error;
  if (m.rows != m.columns) return Error(ErrorCode::Value);
  double determinant = 1.0;
  for (std::int32_t k = 0; k < m.rows; ++k) {
    const std::int32_t pivot = PivotRow(m, k);
    if (m.At(pivot, k) == 0.0) return EvalValue::Number(0.0);
    if (pivot != k) {
      SwapRows(m, pivot, k);
      determinant = -determinant;
    }
    determinant *= m.At(k, k);
    for (std::int32_t row = k + 1; row < m.rows; ++row) {
      const double factor = m.At(row, k) / m.At(k, k);
      for (std::int32_t column = k + 1; column < m.columns; ++column) {
        m.At(row, column) -= factor * m.At(k, column);
      }
    }
  }
  return NumberResult(determinant);
}

EvalValue MInverse(Args args, CFunctionContext& context) {
  Matrix m;
  if (auto error = GetMatrix(args[0], context, m)) return *error;
  if (m.rows != m.columns) return Error(ErrorCode::Value);
  const std::int32_t n = m.rows;
  // Gauss-Jordan on [m | I].
  Matrix work;
  work.rows = n;
  work.columns = 2 * n;
  work.cells.assign(static_cast<std::size_t>(n) * static_cast<std::size_t>(2 * n), 0.0);
  for (std::int32_t row = 0; row < n; ++row) {
    for (std::int32_t column = 0; column < n; ++column) work.At(row, column) = m.At(row, column);
    work.At(row, n + row) = 1.0;
  }
  for (std::int32_t k = 0; k < n; ++k) {
    const std::int32_t pivot = PivotRow(work, k);
    if (work.At(pivot, k) == 0.0) return Error(ErrorCode::Num);
    SwapRows(work, pivot, k);
    const double scale = work.At(k, k);
    for (std::int32_t column = 0; column < 2 * n; ++column) work.At(k, column) /= scale;
    for (std::int32_t row = 0; row < n; ++row) {
      if (row == k) continue;
      const double factor = work.At(row, k);
      if (factor == 0.0) continue;
      for (std::int32_t column = 0; column < 2 * n; ++column) {
        work.At(row, column) -= factor * work.At(k, column);
      }
    }
  }
  std::vector<double> cells;
  cells.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (std::int32_t row = 0; row < n; ++row) {
    for (std::int32_t column = 0; column < n; ++column) cells.push_back(work.At(row, n + column));
  }
  return MatrixResult(n, n, cells);
}

EvalValue MUnit(Args args, CFunctionContext&) {
  double size = 0.0;
  if (auto error = GetTruncated(args[0], size)) return *error;
  if (size < 1.0) return Error(ErrorCode::Value);
  if (auto error = CheckArraySize(size, size)) return *error;
  const auto n = static_cast<std::int32_t>(size);
  std::vector<double> cells(static_cast<std::size_t>(n) * static_cast<std::size_t>(n), 0.0);
  for (std::int32_t i = 0; i < n; ++i) {
    cells[static_cast<std::size_t>(i) * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)] =
        1.0;
  }
  return MatrixResult(n, n, cells);
}

EvalValue Sequence(Args args, CFunctionContext&) {
  double rows = 1.0;
  double columns = 1.0;
  double start = 1.0;
  double step = 1.0;
  if (auto error = OptionalNumber(args, 0, 1.0, rows)) return *error;
  if (auto error = OptionalNumber(args, 1, 1.0, columns)) return *error;
  if (auto error = OptionalNumber(args, 2, 1.0, start)) return *error;
  if (auto error = OptionalNumber(args, 3, 1.0, step)) return *error;
  rows = std::trunc(rows);
  columns = std::trunc(columns);
  if (auto error = CheckArraySize(rows, columns)) return *error;
  const auto rowCount = static_cast<std::int32_t>(rows);
  const auto columnCount = static_cast<std::int32_t>(columns);
  std::vector<double> cells(static_cast<std::size_t>(rowCount) *
                            static_cast<std::size_t>(columnCount));
  for (std::size_t i = 0; i < cells.size(); ++i) {
    cells[i] = start + static_cast<double>(i) * step;
  }
  return MatrixResult(rowCount, columnCount, cells);
}

}  // namespace

void RegisterMathFunctions(CFunctionTable& table) {
  static constexpr FunctionEntry kFunctions[] = {
      {L"SUM", 1, kManyArgs, "r", Sum},
      {L"PRODUCT", 1, kManyArgs, "r", Product},
      {L"SUMSQ", 1, kManyArgs, "a", SumSq},
      {L"SUMX2MY2", 2, 2, "a", SumX2MY2},
      {L"SUMX2PY2", 2, 2, "a", SumX2PY2},
      {L"SUMXMY2", 2, 2, "a", SumXMY2},
      {L"SERIESSUM", 4, 4, "vvva", SeriesSum},
      {L"ABS", 1, 1, "v", OfNumber<AbsOf>},
      {L"SIGN", 1, 1, "v", OfNumber<SignOf>},
      {L"INT", 1, 1, "v", OfNumber<IntOf>},
      {L"TRUNC", 1, 2, "v", RoundDown},
      {L"ROUND", 2, 2, "v", Round},
      {L"ROUNDUP", 2, 2, "v", RoundUp},
      {L"ROUNDDOWN", 2, 2, "v", RoundDown},
      {L"MROUND", 2, 2, "v", MRound},
      {L"CEILING", 2, 2, "v", Ceiling},
      {L"CEILING.MATH", 1, 3, "v", CeilingMath},
      {L"CEILING.PRECISE", 1, 2, "v", CeilingPrecise},
      {L"ISO.CEILING", 1, 2, "v", CeilingPrecise},
      {L"FLOOR", 2, 2, "v", Floor},
      {L"FLOOR.MATH", 1, 3, "v", FloorMath},
      {L"FLOOR.PRECISE", 1, 2, "v", FloorPrecise},
      {L"EVEN", 1, 1, "v", OfNumber<EvenOf>},
      {L"ODD", 1, 1, "v", OfNumber<OddOf>},
      {L"MOD", 2, 2, "v", Mod},
      {L"QUOTIENT", 2, 2, "v", Quotient},
      {L"POWER", 2, 2, "v", Power},
      {L"SQRT", 1, 1, "v", OfNumber<SqrtOf>},
      {L"SQRTPI", 1, 1, "v", OfNumber<SqrtPiOf>},
      {L"EXP", 1, 1, "v", OfNumber<ExpOf>},
      {L"LN", 1, 1, "v", OfNumber<LnOf>},
      {L"LOG", 1, 2, "v", Log},
      {L"LOG10", 1, 1, "v", OfNumber<Log10Of>},
      {L"PI", 0, 0, "v", Pi},
      {L"SIN", 1, 1, "v", OfNumber<SinOf>},
      {L"COS", 1, 1, "v", OfNumber<CosOf>},
      {L"TAN", 1, 1, "v", OfNumber<TanOf>},
      {L"ASIN", 1, 1, "v", OfNumber<AsinOf>},
      {L"ACOS", 1, 1, "v", OfNumber<AcosOf>},
      {L"ATAN", 1, 1, "v", OfNumber<AtanOf>},
      {L"ATAN2", 2, 2, "v", Atan2},
      {L"SINH", 1, 1, "v", OfNumber<SinhOf>},
      {L"COSH", 1, 1, "v", OfNumber<CoshOf>},
      {L"TANH", 1, 1, "v", OfNumber<TanhOf>},
      {L"ASINH", 1, 1, "v", OfNumber<AsinhOf>},
      {L"ACOSH", 1, 1, "v", OfNumber<AcoshOf>},
      {L"ATANH", 1, 1, "v", OfNumber<AtanhOf>},
      {L"COT", 1, 1, "v", OfNumber<CotOf>},
      {L"COTH", 1, 1, "v", OfNumber<CothOf>},
      {L"CSC", 1, 1, "v", OfNumber<CscOf>},
      {L"CSCH", 1, 1, "v", OfNumber<CschOf>},
      {L"SEC", 1, 1, "v", OfNumber<SecOf>},
      {L"SECH", 1, 1, "v", OfNumber<SechOf>},
      {L"ACOT", 1, 1, "v", OfNumber<AcotOf>},
      {L"ACOTH", 1, 1, "v", OfNumber<AcothOf>},
      {L"DEGREES", 1, 1, "v", OfNumber<DegreesOf>},
      {L"RADIANS", 1, 1, "v", OfNumber<RadiansOf>},
      {L"FACT", 1, 1, "v", OfNumber<FactOf>},
      {L"FACTDOUBLE", 1, 1, "v", OfNumber<FactDoubleOf>},
      {L"COMBIN", 2, 2, "v", Combin},
      {L"COMBINA", 2, 2, "v", CombinA},
      {L"PERMUT", 2, 2, "v", Permut},
      {L"PERMUTATIONA", 2, 2, "v", PermutationA},
      {L"MULTINOMIAL", 1, kManyArgs, "r", Multinomial},
      {L"GCD", 1, kManyArgs, "r", Gcd},
      {L"LCM", 1, kManyArgs, "r", Lcm},
      {L"RAND", 0, 0, "v", Rand, kVolatile},
      {L"RANDBETWEEN", 2, 2, "v", RandBetween, kVolatile},
      {L"RANDARRAY", 0, 5, "v", RandArray, kVolatile},
      {L"ROMAN", 1, 2, "v", Roman},
      {L"ARABIC", 1, 1, "v", Arabic},
      {L"BASE", 2, 3, "v", Base},
      {L"DECIMAL", 2, 2, "v", Decimal},
      {L"MMULT", 2, 2, "a", MMult},
      {L"MDETERM", 1, 1, "a", MDeterm},
      {L"MINVERSE", 1, 1, "a", MInverse},
      {L"MUNIT", 1, 1, "v", MUnit},
      {L"SEQUENCE", 1, 4, "v", Sequence},
  };
  for (const FunctionEntry& entry : kFunctions) AddFunction(table, entry);
}

}  // namespace spreadsheet
