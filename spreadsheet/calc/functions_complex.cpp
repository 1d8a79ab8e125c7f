// Worksheet functions: complex numbers, which Excel keeps as text ("3+4i", "-2.5j", "i").
//
// Grammar of the text read, without spaces:
//   complex   := real [ sign [ number ] unit ]   -- "3", "3+4i", "3-i"
//              | [ sign ] [ number ] unit        -- "4i", "-i", "j"
//   real      := [ sign ] number
//   number    := digits [ "." [ digits ] ] | "." digits, then [ ("E" | "e") [ sign ] digits ]
//   unit      := "i" | "j"
// Text that does not read is #NUM!, as are results that overflow; TRUE and FALSE are #VALUE!
// (these functions came from the Analysis ToolPak). Results are written with 15 significant
// digits per part and the suffix of their arguments, "i" unless one wrote "j"; mixing the two
// is #VALUE!.
#include <charconv>
#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/char_class.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {
namespace {

using Args = std::span<const EvalValue>;

struct Complex {
  double re = 0.0;
  double im = 0.0;
};

// A complex argument and the unit its text was written with (0 when it wrote none).
struct ComplexArgument {
  Complex value;
  wchar_t unit = 0;
};

bool IsUnit(wchar_t c) {
  return c == L'i' || c == L'j';
}

// An unsigned decimal number at `at`, which moves past it; false (and `at` unmoved) for none.
bool ReadNumber(std::wstring_view text, std::size_t& at, double& out) {
  std::size_t end = at;
  std::size_t digits = 0;
  const auto skipDigits = [&] {
    for (; end < text.size() && IsAsciiDigit(text[end]); ++end) ++digits;
  };
  skipDigits();
  if (end < text.size() && text[end] == L'.') {
    ++end;
    skipDigits();
  }
  if (digits == 0) return false;
  if (end < text.size() && (text[end] == L'E' || text[end] == L'e')) {
    std::size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == L'+' || text[exponent] == L'-')) ++exponent;
    const std::size_t exponentDigits = exponent;
    while (exponent < text.size() && IsAsciiDigit(text[exponent])) ++exponent;
    if (exponent == exponentDigits) return false;
    end = exponent;
  }
  std::string ascii(text.begin() + static_cast<std::ptrdiff_t>(at),
                    text.begin() + static_cast<std::ptrdiff_t>(end));
  const auto parsed = std::from_chars(ascii.data(), ascii.data() + ascii.size(), out);
  if (parsed.ec != std::errc() || !std::isfinite(out)) return false;
  at = end;
  return true;
}

// An optional sign at `at`: 1 or -1, `at` moved past it.
double ReadSign(std::wstring_view text, std::size_t& at) {
  if (at >= text.size() || (text[at] != L'+' && text[at] != L'-')) return 1.0;
  return text[at++] == L'-' ? -1.0 : 1.0;
}

std::optional<ComplexArgument> ParseComplex(std::wstring_view text) {
  std::size_t at = 0;
  const double firstSign = ReadSign(text, at);
  double first = 1.0;
  const bool firstNumber = ReadNumber(text, at, first);
  if (at == text.size()) {
    if (!firstNumber) return std::nullopt;
    return ComplexArgument{{firstSign * first, 0.0}, 0};
  }
  if (IsUnit(text[at]) && at + 1 == text.size()) {
    return ComplexArgument{{0.0, firstSign * first}, text[at]};
  }
  if (!firstNumber || (text[at] != L'+' && text[at] != L'-')) return std::nullopt;
  const double secondSign = ReadSign(text, at);
  double second = 1.0;
  ReadNumber(text, at, second);
  if (at + 1 != text.size() || !IsUnit(text[at])) return std::nullopt;
  return ComplexArgument{{firstSign * first, secondSign * second}, text[at]};
}

// An argument as a complex number: numbers and blanks are real, text is read by the grammar.
std::optional<EvalValue> GetComplex(const EvalValue& value, ComplexArgument& out) {
  switch (value.GetKind()) {
    case EvalValue::Kind::Error:
      return value;
    case EvalValue::Kind::Boolean:
      return Error(ErrorCode::Value);
    case EvalValue::Kind::Empty:
      out = ComplexArgument{};
      return std::nullopt;
    case EvalValue::Kind::Number:
      out = ComplexArgument{{value.AsNumber(), 0.0}, 0};
      return std::nullopt;
    case EvalValue::Kind::Text:
      if (const auto parsed = ParseComplex(value.AsText())) {
        out = *parsed;
        return std::nullopt;
      }
      return Error(ErrorCode::Num);
    default:
      return Error(ErrorCode::Value);
  }
}

// The unit of a result from those of its arguments: #VALUE! when they disagree.
std::optional<EvalValue> JoinUnit(wchar_t& unit, const ComplexArgument& argument) {
  if (argument.unit == 0) return std::nullopt;
  if (unit != 0 && unit != argument.unit) return Error(ErrorCode::Value);
  unit = argument.unit;
  return std::nullopt;
}

std::wstring PartText(double value) {
  return NumberToText(value == 0.0 ? 0.0 : value);
}

// "3+4i", "3-i", "-2.5j", "i", "0": each part to 15 digits, a coefficient of one left out.
EvalValue ComplexResult(const Complex& z, wchar_t unit) {
  if (!std::isfinite(z.re) || !std::isfinite(z.im)) return Error(ErrorCode::Num);
  if (unit == 0) unit = L'i';
  if (z.re == 0.0 && z.im == 0.0) return EvalValue::Text(L"0");
  std::wstring text;
  if (z.re != 0.0) text = PartText(z.re);
  if (z.im != 0.0) {
    std::wstring imaginary = PartText(z.im);
    if (imaginary == L"1") imaginary.clear();
    if (imaginary == L"-1") imaginary = L"-";
    if (z.re != 0.0 && z.im > 0.0) text += L'+';
    text += imaginary;
    text += unit;
  }
  return EvalValue::Text(std::move(text));
}

Complex Multiply(const Complex& a, const Complex& b) {
  return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

double Modulus(const Complex& z) {
  return std::hypot(z.re, z.im);
}

double Argument(const Complex& z) {
  return std::atan2(z.im, z.re);
}

// --- building and taking apart ------------------------------------------------------------------

EvalValue ComplexFunction(Args args, CFunctionContext&) {
  double parts[2] = {0.0, 0.0};
  for (std::size_t i = 0; i < 2; ++i) {
    if (args[i].IsBoolean()) return Error(ErrorCode::Value);
    if (auto error = GetNumber(args[i], parts[i])) return *error;
  }
  wchar_t unit = L'i';
  if (args.size() > 2 && !args[2].IsEmpty()) {
    if (args[2].IsError()) return args[2];
    if (!args[2].IsText()) return Error(ErrorCode::Value);
    const std::wstring& suffix = args[2].AsText();
    if (suffix == L"j") {
      unit = L'j';
    } else if (!suffix.empty() && suffix != L"i") {
      return Error(ErrorCode::Value);
    }
  }
  return ComplexResult({parts[0], parts[1]}, unit);
}

// A function of one complex argument giving a number.
template <double (*kPart)(const Complex&)>
EvalValue RealOf(Args args, CFunctionContext&) {
  ComplexArgument z;
  if (auto error = GetComplex(args[0], z)) return *error;
  return NumberResult(kPart(z.value));
}

double RealPart(const Complex& z) {
  return z.re;
}
double ImaginaryPart(const Complex& z) {
  return z.im;
}

EvalValue ImArgument(Args args, CFunctionContext&) {
  ComplexArgument z;
  if (auto error = GetComplex(args[0], z)) return *error;
  if (z.value.re == 0.0 && z.value.im == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(Argument(z.value));
}

// --- one complex argument giving another --------------------------------------------------------

// Each gives nothing where the function has no value (a pole, the logarithm of 0).
using ComplexMap = std::optional<Complex> (*)(const Complex&);

template <ComplexMap kMap>
EvalValue MapOf(Args args, CFunctionContext&) {
  ComplexArgument z;
  if (auto error = GetComplex(args[0], z)) return *error;
  const std::optional<Complex> result = kMap(z.value);
  if (!result) return Error(ErrorCode::Num);
  return ComplexResult(*result, z.unit);
}

std::optional<Complex> Conjugate(const Complex& z) {
  return Complex{z.re, -z.im};
}

// Roots and powers go through the polar form, as Excel documents them: sqrt(-4) is
// 1.22464679914735E-16+2i there too.
std::optional<Complex> SquareRoot(const Complex& z) {
  const double r = std::sqrt(Modulus(z));
  const double half = Argument(z) / 2.0;
  return Complex{r * std::cos(half), r * std::sin(half)};
}

std::optional<Complex> Exponential(const Complex& z) {
  const double r = std::exp(z.re);
  return Complex{r * std::cos(z.im), r * std::sin(z.im)};
}

std::optional<Complex> Logarithm(const Complex& z) {
  if (z.re == 0.0 && z.im == 0.0) return std::nullopt;
  return Complex{std::log(Modulus(z)), Argument(z)};
}

template <int kBase>
std::optional<Complex> LogarithmTo(const Complex& z) {
  const std::optional<Complex> ln = Logarithm(z);
  if (!ln) return std::nullopt;
  const double scale = 1.0 / std::log(static_cast<double>(kBase));
  return Complex{ln->re * scale, ln->im * scale};
}

std::optional<Complex> Sine(const Complex& z) {
  return Complex{std::sin(z.re) * std::cosh(z.im), std::cos(z.re) * std::sinh(z.im)};
}

std::optional<Complex> Cosine(const Complex& z) {
  return Complex{std::cos(z.re) * std::cosh(z.im), -std::sin(z.re) * std::sinh(z.im)};
}

std::optional<Complex> HyperbolicSine(const Complex& z) {
  return Complex{std::sinh(z.re) * std::cos(z.im), std::cosh(z.re) * std::sin(z.im)};
}

std::optional<Complex> HyperbolicCosine(const Complex& z) {
  return Complex{std::cosh(z.re) * std::cos(z.im), std::sinh(z.re) * std::sin(z.im)};
}

// The quotients are written over one real denominator of doubled angles, which is how Excel's
// documented results come out to their last digit.
std::optional<Complex> Over(double re, double im, double denominator) {
  if (denominator == 0.0) return std::nullopt;
  return Complex{re / denominator, im / denominator};
}

std::optional<Complex> Tangent(const Complex& z) {
  return Over(std::sin(2.0 * z.re), std::sinh(2.0 * z.im),
              std::cos(2.0 * z.re) + std::cosh(2.0 * z.im));
}

std::optional<Complex> Cotangent(const Complex& z) {
  return Over(std::sin(2.0 * z.re), -std::sinh(2.0 * z.im),
              std::cosh(2.0 * z.im) - std::cos(2.0 * z.re));
}

std::optional<Complex> Secant(const Complex& z) {
  return Over(2.0 * std::cos(z.re) * std::cosh(z.im), 2.0 * std::sin(z.re) * std::sinh(z.im),
              std::cos(2.0 * z.re) + std::cosh(2.0 * z.im));
}

std::optional<Complex> Cosecant(const Complex& z) {
  return Over(2.0 * std::sin(z.re) * std::cosh(z.im), -2.0 * std::cos(z.re) * std::sinh(z.im),
              std::cosh(2.0 * z.im) - std::cos(2.0 * z.re));
}

std::optional<Complex> HyperbolicSecant(const Complex& z) {
  return Over(2.0 * std::cosh(z.re) * std::cos(z.im), -2.0 * std::sinh(z.re) * std::sin(z.im),
              std::cosh(2.0 * z.re) + std::cos(2.0 * z.im));
}

std::optional<Complex> HyperbolicCosecant(const Complex& z) {
  return Over(2.0 * std::sinh(z.re) * std::cos(z.im), -2.0 * std::cosh(z.re) * std::sin(z.im),
              std::cosh(2.0 * z.re) - std::cos(2.0 * z.im));
}

// --- two or more arguments ----------------------------------------------------------------------

EvalValue ImPower(Args args, CFunctionContext&) {
  ComplexArgument z;
  if (auto error = GetComplex(args[0], z)) return *error;
  double power = 0.0;
  if (args[1].IsBoolean()) return Error(ErrorCode::Value);
  if (auto error = GetNumber(args[1], power)) return *error;
  const double r = Modulus(z.value);
  if (r == 0.0) {
    if (power <= 0.0) return Error(ErrorCode::Num);
    return ComplexResult({}, z.unit);
  }
  const double scaled = std::pow(r, power);
  const double angle = power * Argument(z.value);
  return ComplexResult({scaled * std::cos(angle), scaled * std::sin(angle)}, z.unit);
}

// The two arguments of IMSUB and IMDIV and the unit of their result.
std::optional<EvalValue> GetPair(Args args, Complex& a, Complex& b, wchar_t& unit) {
  ComplexArgument first;
  ComplexArgument second;
  if (auto error = GetComplex(args[0], first)) return error;
  if (auto error = GetComplex(args[1], second)) return error;
  unit = 0;
  if (auto error = JoinUnit(unit, first)) return error;
  if (auto error = JoinUnit(unit, second)) return error;
  a = first.value;
  b = second.value;
  return std::nullopt;
}

EvalValue ImSub(Args args, CFunctionContext&) {
  Complex a;
  Complex b;
  wchar_t unit = 0;
  if (auto error = GetPair(args, a, b, unit)) return *error;
  return ComplexResult({a.re - b.re, a.im - b.im}, unit);
}

EvalValue ImDiv(Args args, CFunctionContext&) {
  Complex a;
  Complex b;
  wchar_t unit = 0;
  if (auto error = GetPair(args, a, b, unit)) return *error;
  const double denominator = b.re * b.re + b.im * b.im;
  if (denominator == 0.0) return Error(ErrorCode::Num);
  return ComplexResult(
      {(a.re * b.re + a.im * b.im) / denominator, (a.im * b.re - a.re * b.im) / denominator}, unit);
}

// IMSUM and IMPRODUCT: every argument, and every non-blank cell or element of a range or array.
template <bool kProduct>
EvalValue Fold(Args args, CFunctionContext& context) {
  Complex total = kProduct ? Complex{1.0, 0.0} : Complex{};
  wchar_t unit = 0;
  std::optional<EvalValue> error;
  for (const EvalValue& arg : args) {
    ForEachValue(arg, context, [&](const EvalValue& value, ValueSource) {
      ComplexArgument z;
      error = GetComplex(value, z);
      if (!error) error = JoinUnit(unit, z);
      if (error) return false;
      if (kProduct) {
        total = Multiply(total, z.value);
      } else {
        total.re += z.value.re;
        total.im += z.value.im;
      }
      return true;
    });
    if (error) return *error;
  }
  return ComplexResult(total, unit);
}

}  // namespace

void RegisterComplexFunctions(CFunctionTable& table) {
  AddFunction(table, {L"COMPLEX", 2, 3, "v", ComplexFunction});
  AddFunction(table, {L"IMREAL", 1, 1, "v", RealOf<RealPart>});
  AddFunction(table, {L"IMAGINARY", 1, 1, "v", RealOf<ImaginaryPart>});
  AddFunction(table, {L"IMABS", 1, 1, "v", RealOf<Modulus>});
  AddFunction(table, {L"IMARGUMENT", 1, 1, "v", ImArgument});
  AddFunction(table, {L"IMCONJUGATE", 1, 1, "v", MapOf<Conjugate>});
  AddFunction(table, {L"IMSQRT", 1, 1, "v", MapOf<SquareRoot>});
  AddFunction(table, {L"IMEXP", 1, 1, "v", MapOf<Exponential>});
  AddFunction(table, {L"IMLN", 1, 1, "v", MapOf<Logarithm>});
  AddFunction(table, {L"IMLOG10", 1, 1, "v", MapOf<LogarithmTo<10>>});
  AddFunction(table, {L"IMLOG2", 1, 1, "v", MapOf<LogarithmTo<2>>});
  AddFunction(table, {L"IMSIN", 1, 1, "v", MapOf<Sine>});
  AddFunction(table, {L"IMCOS", 1, 1, "v", MapOf<Cosine>});
  AddFunction(table, {L"IMTAN", 1, 1, "v", MapOf<Tangent>});
  AddFunction(table, {L"IMCOT", 1, 1, "v", MapOf<Cotangent>});
  AddFunction(table, {L"IMSEC", 1, 1, "v", MapOf<Secant>});
  AddFunction(table, {L"IMCSC", 1, 1, "v", MapOf<Cosecant>});
  AddFunction(table, {L"IMSINH", 1, 1, "v", MapOf<HyperbolicSine>});
  AddFunction(table, {L"IMCOSH", 1, 1, "v", MapOf<HyperbolicCosine>});
  AddFunction(table, {L"IMSECH", 1, 1, "v", MapOf<HyperbolicSecant>});
  AddFunction(table, {L"IMCSCH", 1, 1, "v", MapOf<HyperbolicCosecant>});
  AddFunction(table, {L"IMPOWER", 2, 2, "v", ImPower});
  AddFunction(table, {L"IMSUB", 2, 2, "v", ImSub});
  AddFunction(table, {L"IMDIV", 2, 2, "v", ImDiv});
  AddFunction(table, {L"IMSUM", 1, kManyArgs, "r", Fold<false>});
  AddFunction(table, {L"IMPRODUCT", 1, kManyArgs, "r", Fold<true>});
}

}  // namespace spreadsheet
