// Worksheet functions: engineering.
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/char_class.h"
#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {
namespace {

using Args = std::span<const EvalValue>;

// The functions here came from the Analysis ToolPak, whose number arguments refuse TRUE and FALSE.
std::optional<EvalValue> GetToolPakNumber(const EvalValue& value, double& out) {
  if (value.IsBoolean()) return Error(ErrorCode::Value);
  return GetNumber(value, out);
}

// --- CONVERT -----------------------------------------------------------------------------------

enum class Family : std::uint8_t {
  Mass,         // gram
  Distance,     // metre
  Time,         // second
  Pressure,     // pascal
  Force,        // newton
  Energy,       // joule
  Power,        // watt
  Magnetism,    // tesla
  Temperature,  // kelvin, through Temperature's own scales
  Volume,       // cubic metre
  Area,         // square metre
  Information,  // bit
  Speed,        // metre per second
};

enum class Scale : std::uint8_t { None, Celsius, Fahrenheit, Kelvin, Rankine, Reaumur };

struct Unit {
  std::wstring_view name;
  Family family;
  double factor;      // In the family's unit.
  int prefixPower;    // 0: no metric prefix; 1, 2 or 3: a prefix scales it so many times.
  bool binaryPrefix;  // Takes "ki", "Mi" ... too.
  Scale scale = Scale::None;
};

constexpr double kInch = 0.0254;
constexpr double kFoot = 0.3048;
constexpr double kYard = 0.9144;
constexpr double kMile = 1609.344;
constexpr double kNauticalMile = 1852.0;
constexpr double kLightYear = 9460730472580800.0;
constexpr double kPoint = kInch / 72.0;
constexpr double kPound = 0.45359237;  // kg
constexpr double kGravity = 9.80665;
constexpr double kPoundForce = kPound * kGravity;
constexpr double kHorsepower = 550.0 * kFoot * kPoundForce;

constexpr std::array kUnits = {
    // Mass, in grams.
    Unit{L"g", Family::Mass, 1.0, 1, false},
    Unit{L"sg", Family::Mass, kPoundForce / kFoot * 1000.0, 0, false},
    Unit{L"lbm", Family::Mass, kPound * 1000.0, 0, false},
    Unit{L"u", Family::Mass, 1.660538782e-24, 1, false},
    Unit{L"ozm", Family::Mass, kPound * 1000.0 / 16.0, 0, false},
    Unit{L"grain", Family::Mass, 0.06479891, 0, false},
    Unit{L"cwt", Family::Mass, kPound * 100000.0, 0, false},
    Unit{L"shweight", Family::Mass, kPound * 100000.0, 0, false},
    Unit{L"uk_cwt", Family::Mass, kPound * 112000.0, 0, false},
    Unit{L"lcwt", Family::Mass, kPound * 112000.0, 0, false},
    Unit{L"hweight", Family::Mass, kPound * 112000.0, 0, false},
    Unit{L"stone", Family::Mass, kPound * 14000.0, 0, false},
    Unit{L"ton", Family::Mass, kPound * 2000000.0, 0, false},
    Unit{L"uk_ton", Family::Mass, kPound * 2240000.0, 0, false},
    Unit{L"LTON", Family::Mass, kPound * 2240000.0, 0, false},
    Unit{L"brton", Family::Mass, kPound * 2240000.0, 0, false},
    // Distance, in metres.
    Unit{L"m", Family::Distance, 1.0, 1, false},
    Unit{L"mi", Family::Distance, kMile, 0, false},
    Unit{L"Nmi", Family::Distance, kNauticalMile, 0, false},
    Unit{L"in", Family::Distance, kInch, 0, false},
    Unit{L"ft", Family::Distance, kFoot, 0, false},
    Unit{L"yd", Family::Distance, kYard, 0, false},
    Unit{L"ang", Family::Distance, 1e-10, 1, false},
    Unit{L"ell", Family::Distance, 45.0 * kInch, 0, false},
    Unit{L"ly", Family::Distance, kLightYear, 1, false},
    Unit{L"parsec", Family::Distance, 3.08567758128155e16, 1, false},
    Unit{L"pc", Family::Distance, 3.08567758128155e16, 1, false},
    Unit{L"Picapt", Family::Distance, kPoint, 1, false},
    Unit{L"Pica", Family::Distance, kPoint, 1, false},
    Unit{L"pica", Family::Distance, kInch / 6.0, 1, false},
    Unit{L"survey_mi", Family::Distance, 5280.0 * 1200.0 / 3937.0, 0, false},
    // Time, in seconds.
    Unit{L"yr", Family::Time, 365.25 * 86400.0, 0, false},
    Unit{L"day", Family::Time, 86400.0, 0, false},
    Unit{L"d", Family::Time, 86400.0, 0, false},
    Unit{L"hr", Family::Time, 3600.0, 0, false},
    Unit{L"mn", Family::Time, 60.0, 0, false},
    Unit{L"min", Family::Time, 60.0, 0, false},
    Unit{L"sec", Family::Time, 1.0, 1, false},
    Unit{L"s", Family::Time, 1.0, 1, false},
    // Pressure, in pascals.
    Unit{L"Pa", Family::Pressure, 1.0, 1, false},
    Unit{L"p", Family::Pressure, 1.0, 1, false},
    Unit{L"atm", Family::Pressure, 101325.0, 1, false},
    Unit{L"at", Family::Pressure, 101325.0, 1, false},
    Unit{L"mmHg", Family::Pressure, 133.322, 1, false},
    Unit{L"psi", Family::Pressure, kPoundForce / (kInch * kInch), 0, false},
    Unit{L"Torr", Family::Pressure, 101325.0 / 760.0, 0, false},
    // Force, in newtons.
    Unit{L"N", Family::Force, 1.0, 1, false},
    Unit{L"dyn", Family::Force, 1e-5, 1, false},
    Unit{L"dy", Family::Force, 1e-5, 1, false},
    Unit{L"lbf", Family::Force, kPoundForce, 0, false},
    Unit{L"pond", Family::Force, kGravity / 1000.0, 1, false},
    // Energy, in joules.
    Unit{L"J", Family::Energy, 1.0, 1, false},
    Unit{L"e", Family::Energy, 1e-7, 1, false},
    Unit{L"c", Family::Energy, 4.184, 1, false},
    Unit{L"cal", Family::Energy, 4.1868, 1, false},
    Unit{L"eV", Family::Energy, 1.602176487e-19, 1, false},
    Unit{L"ev", Family::Energy, 1.602176487e-19, 1, false},
    Unit{L"HPh", Family::Energy, kHorsepower * 3600.0, 0, false},
    Unit{L"hh", Family::Energy, kHorsepower * 3600.0, 0, false},
    Unit{L"Wh", Family::Energy, 3600.0, 1, false},
    Unit{L"wh", Family::Energy, 3600.0, 1, false},
    Unit{L"flb", Family::Energy, kFoot* kPoundForce, 0, false},
    Unit{L"BTU", Family::Energy, 1055.05585262, 0, false},
    Unit{L"btu", Family::Energy, 1055.05585262, 0, false},
    // Power, in watts.
    Unit{L"HP", Family::Power, kHorsepower, 0, false},
    Unit{L"h", Family::Power, kHorsepower, 0, false},
    Unit{L"PS", Family::Power, 75.0 * kGravity, 0, false},
    Unit{L"W", Family::Power, 1.0, 1, false},
    Unit{L"w", Family::Power, 1.0, 1, false},
    // Magnetism, in teslas.
    Unit{L"T", Family::Magnetism, 1.0, 1, false},
    Unit{L"ga", Family::Magnetism, 1e-4, 1, false},
    // Temperature.
    Unit{L"C", Family::Temperature, 1.0, 0, false, Scale::Celsius},
    Unit{L"cel", Family::Temperature, 1.0, 0, false, Scale::Celsius},
    Unit{L"F", Family::Temperature, 1.0, 0, false, Scale::Fahrenheit},
    Unit{L"fah", Family::Temperature, 1.0, 0, false, Scale::Fahrenheit},
    Unit{L"K", Family::Temperature, 1.0, 1, false, Scale::Kelvin},
    Unit{L"kel", Family::Temperature, 1.0, 1, false, Scale::Kelvin},
    Unit{L"Rank", Family::Temperature, 1.0, 0, false, Scale::Rankine},
    Unit{L"Reau", Family::Temperature, 1.0, 0, false, Scale::Reaumur},
    // Volume, in cubic metres.
    Unit{L"tsp", Family::Volume, 4.92892159375e-6, 0, false},
    Unit{L"tspm", Family::Volume, 5e-6, 0, false},
    Unit{L"tbs", Family::Volume, 1.478676478125e-5, 0, false},
    Unit{L"oz", Family::Volume, 2.95735295625e-5, 0, false},
    Unit{L"cup", Family::Volume, 2.365882365e-4, 0, false},
    Unit{L"pt", Family::Volume, 4.73176473e-4, 0, false},
    Unit{L"us_pt", Family::Volume, 4.73176473e-4, 0, false},
    Unit{L"uk_pt", Family::Volume, 5.6826125e-4, 0, false},
    Unit{L"qt", Family::Volume, 9.46352946e-4, 0, false},
    Unit{L"uk_qt", Family::Volume, 1.1365225e-3, 0, false},
    Unit{L"gal", Family::Volume, 3.785411784e-3, 0, false},
    Unit{L"uk_gal", Family::Volume, 4.54609e-3, 0, false},
    Unit{L"l", Family::Volume, 1e-3, 1, false},
    Unit{L"L", Family::Volume, 1e-3, 1, false},
    Unit{L"lt", Family::Volume, 1e-3, 1, false},
    Unit{L"ang3", Family::Volume, 1e-30, 3, false},
    Unit{L"ang^3", Family::Volume, 1e-30, 3, false},
    Unit{L"barrel", Family::Volume, 42.0 * 3.785411784e-3, 0, false},
    Unit{L"bushel", Family::Volume, 2150.42 * kInch* kInch* kInch, 0, false},
    Unit{L"ft3", Family::Volume, kFoot* kFoot* kFoot, 0, false},
    Unit{L"ft^3", Family::Volume, kFoot* kFoot* kFoot, 0, false},
    Unit{L"in3", Family::Volume, kInch* kInch* kInch, 0, false},
    Unit{L"in^3", Family::Volume, kInch* kInch* kInch, 0, false},
    Unit{L"ly3", Family::Volume, kLightYear* kLightYear* kLightYear, 0, false},
    Unit{L"ly^3", Family::Volume, kLightYear* kLightYear* kLightYear, 0, false},
    Unit{L"m3", Family::Volume, 1.0, 3, false},
    Unit{L"m^3", Family::Volume, 1.0, 3, false},
    Unit{L"mi3", Family::Volume, kMile* kMile* kMile, 0, false},
    Unit{L"mi^3", Family::Volume, kMile* kMile* kMile, 0, false},
    Unit{L"yd3", Family::Volume, kYard* kYard* kYard, 0, false},
    Unit{L"yd^3", Family::Volume, kYard* kYard* kYard, 0, false},
    Unit{L"Nmi3", Family::Volume, kNauticalMile* kNauticalMile* kNauticalMile, 0, false},
    Unit{L"Nmi^3", Family::Volume, kNauticalMile* kNauticalMile* kNauticalMile, 0, false},
    Unit{L"Picapt3", Family::Volume, kPoint* kPoint* kPoint, 0, false},
    Unit{L"Picapt^3", Family::Volume, kPoint* kPoint* kPoint, 0, false},
    Unit{L"Pica3", Family::Volume, kPoint* kPoint* kPoint, 0, false},
    Unit{L"Pica^3", Family::Volume, kPoint* kPoint* kPoint, 0, false},
    Unit{L"GRT", Family::Volume, 100.0 * kFoot* kFoot* kFoot, 0, false},
    Unit{L"regton", Family::Volume, 100.0 * kFoot* kFoot* kFoot, 0, false},
    Unit{L"MTON", Family::Volume, 40.0 * kFoot* kFoot* kFoot, 0, false},
    // Area, in square metres.
    Unit{L"uk_acre", Family::Area, 4046.8564224, 0, false},
    Unit{L"us_acre", Family::Area, 4046.872609874252, 0, false},
    Unit{L"ang2", Family::Area, 1e-20, 2, false},
    Unit{L"ang^2", Family::Area, 1e-20, 2, false},
    Unit{L"ar", Family::Area, 100.0, 1, false},
    Unit{L"ft2", Family::Area, kFoot* kFoot, 0, false},
    Unit{L"ft^2", Family::Area, kFoot* kFoot, 0, false},
    Unit{L"ha", Family::Area, 10000.0, 0, false},
    Unit{L"in2", Family::Area, kInch* kInch, 0, false},
    Unit{L"in^2", Family::Area, kInch* kInch, 0, false},
    Unit{L"ly2", Family::Area, kLightYear* kLightYear, 0, false},
    Unit{L"ly^2", Family::Area, kLightYear* kLightYear, 0, false},
    Unit{L"m2", Family::Area, 1.0, 2, false},
    Unit{L"m^2", Family::Area, 1.0, 2, false},
    Unit{L"Morgen", Family::Area, 2500.0, 0, false},
    Unit{L"mi2", Family::Area, kMile* kMile, 0, false},
    Unit{L"mi^2", Family::Area, kMile* kMile, 0, false},
    Unit{L"Nmi2", Family::Area, kNauticalMile* kNauticalMile, 0, false},
    Unit{L"Nmi^2", Family::Area, kNauticalMile* kNauticalMile, 0, false},
    Unit{L"Picapt2", Family::Area, kPoint* kPoint, 0, false},
    Unit{L"Picapt^2", Family::Area, kPoint* kPoint, 0, false},
    Unit{L"Pica2", Family::Area, kPoint* kPoint, 0, false},
    Unit{L"Pica^2", Family::Area, kPoint* kPoint, 0, false},
    Unit{L"yd2", Family::Area, kYard* kYard, 0, false},
    Unit{L"yd^2", Family::Area, kYard* kYard, 0, false},
    // Information, in bits.
    Unit{L"bit", Family::Information, 1.0, 1, true},
    Unit{L"byte", Family::Information, 8.0, 1, true},
    // Speed, in metres per second.
    Unit{L"admkn", Family::Speed, 6080.0 * kFoot / 3600.0, 0, false},
    Unit{L"kn", Family::Speed, kNauticalMile / 3600.0, 0, false},
    Unit{L"m/h", Family::Speed, 1.0 / 3600.0, 1, false},
    Unit{L"m/hr", Family::Speed, 1.0 / 3600.0, 1, false},
    Unit{L"m/s", Family::Speed, 1.0, 1, false},
    Unit{L"m/sec", Family::Speed, 1.0, 1, false},
    Unit{L"mph", Family::Speed, kMile / 3600.0, 0, false},
};

struct Prefix {
  std::wstring_view name;
  double factor;
};

constexpr std::array kPrefixes = {
    Prefix{L"Y", 1e24},  Prefix{L"Z", 1e21},  Prefix{L"E", 1e18},  Prefix{L"P", 1e15},
    Prefix{L"T", 1e12},  Prefix{L"G", 1e9},   Prefix{L"M", 1e6},   Prefix{L"k", 1e3},
    Prefix{L"h", 1e2},   Prefix{L"da", 1e1},  Prefix{L"d", 1e-1},  Prefix{L"c", 1e-2},
    Prefix{L"m", 1e-3},  Prefix{L"u", 1e-6},  Prefix{L"n", 1e-9},  Prefix{L"p", 1e-12},
    Prefix{L"f", 1e-15}, Prefix{L"a", 1e-18}, Prefix{L"z", 1e-21}, Prefix{L"y", 1e-24},
};

constexpr std::array kBinaryPrefixes = {
    Prefix{L"ki", 0x1p10}, Prefix{L"Mi", 0x1p20}, Prefix{L"Gi", 0x1p30}, Prefix{L"Ti", 0x1p40},
    Prefix{L"Pi", 0x1p50}, Prefix{L"Ei", 0x1p60}, Prefix{L"Zi", 0x1p70}, Prefix{L"Yi", 0x1p80},
};

const Unit* FindUnit(std::wstring_view name) {
  for (const Unit& unit : kUnits) {
    if (unit.name == name) return &unit;
  }
  return nullptr;
}

struct ResolvedUnit {
  const Unit* unit = nullptr;
  double scale = 1.0;  // The prefix's factor, raised to the unit's power.
};

// A unit name, with a prefix where the unit takes one; a whole unit name wins over a prefix
// reading ("mi" is the mile, not a milli-inch).
std::optional<ResolvedUnit> ResolveUnit(std::wstring_view name) {
  if (const Unit* unit = FindUnit(name)) return ResolvedUnit{unit, 1.0};
  auto tryPrefixes = [&](const auto& prefixes, bool binary) -> std::optional<ResolvedUnit> {
    for (const Prefix& prefix : prefixes) {
      if (!name.starts_with(prefix.name)) continue;
      const Unit* unit = FindUnit(name.substr(prefix.name.size()));
      if (!unit || unit->prefixPower == 0 || (binary && !unit->binaryPrefix)) continue;
      return ResolvedUnit{unit, std::pow(prefix.factor, unit->prefixPower)};
    }
    return std::nullopt;
  };
  if (auto found = tryPrefixes(kPrefixes, false)) return found;
  return tryPrefixes(kBinaryPrefixes, true);
}

double ToKelvin(double value, Scale scale) {
  switch (scale) {
    case Scale::Celsius:
      return value + 273.15;
    case Scale::Fahrenheit:
      return (value - 32.0) * 5.0 / 9.0 + 273.15;
    case Scale::Rankine:
      return value * 5.0 / 9.0;
    case Scale::Reaumur:
      return value * 1.25 + 273.15;
    case Scale::Kelvin:
    case Scale::None:
      break;
  }
  return value;
}

double FromKelvin(double kelvin, Scale scale) {
  switch (scale) {
    case Scale::Celsius:
      return kelvin - 273.15;
    case Scale::Fahrenheit:
      return (kelvin - 273.15) * 9.0 / 5.0 + 32.0;
    case Scale::Rankine:
      return kelvin * 9.0 / 5.0;
    case Scale::Reaumur:
      return (kelvin - 273.15) * 0.8;
    case Scale::Kelvin:
    case Scale::None:
      break;
  }
  return kelvin;
}

EvalValue Convert(Args args, CFunctionContext&) {
  double number = 0.0;
  if (auto error = GetToolPakNumber(args[0], number)) return *error;
  if (args[1].IsError()) return args[1];
  if (args[2].IsError()) return args[2];
  if (!args[1].IsText() || !args[2].IsText()) return Error(ErrorCode::NA);
  const auto from = ResolveUnit(args[1].AsText());
  const auto to = ResolveUnit(args[2].AsText());
  if (!from || !to || from->unit->family != to->unit->family) return Error(ErrorCode::NA);
  if (from->unit->family == Family::Temperature) {
    const double kelvin = ToKelvin(number * from->scale, from->unit->scale);
    return NumberResult(FromKelvin(kelvin, to->unit->scale) / to->scale);
  }
  if (from->unit == to->unit && from->scale == to->scale) return NumberResult(number);
  return NumberResult(number * (from->unit->factor * from->scale) / (to->unit->factor * to->scale));
}

// --- Bases -------------------------------------------------------------------------------------

// A base of the conversions: its radix and the bits of its ten-digit two's complement.
struct Base {
  int radix;
  int bitsPerDigit;
  double Span() const { return std::ldexp(1.0, 10 * bitsPerDigit); }  // 2^(10 * bits).
  double Min() const { return -Span() / 2.0; }
  double Max() const { return Span() / 2.0 - 1.0; }
};

constexpr Base kBinary{2, 1};
constexpr Base kOctal{8, 3};
constexpr Base kHex{16, 4};

// The text of a number in a base: digits for non-negative values (padded to `places` when
// given), ten digits of two's complement for negative ones.
EvalValue ToBase(double value, Base base, Args args, std::size_t placesIndex) {
  value = std::trunc(value);
  if (value < base.Min() || value > base.Max()) return Error(ErrorCode::Num);
  const bool negative = value < 0.0;
  auto magnitude = static_cast<std::uint64_t>(negative ? value + base.Span() : value);
  std::wstring digits;
  do {
    const auto digit = static_cast<int>(magnitude % static_cast<std::uint64_t>(base.radix));
    digits.insert(digits.begin(),
                  static_cast<wchar_t>(digit < 10 ? L'0' + digit : L'A' + digit - 10));
    magnitude /= static_cast<std::uint64_t>(base.radix);
  } while (magnitude > 0);
  // A negative value's two's complement fills all ten digits; places do not apply to it.
  if (negative) return EvalValue::Text(std::move(digits));
  if (args.size() > placesIndex && !args[placesIndex].IsEmpty()) {
    double places = 0.0;
    if (auto error = GetToolPakNumber(args[placesIndex], places)) return *error;
    places = std::trunc(places);
    if (places <= 0.0 || places > 10.0 || places < static_cast<double>(digits.size())) {
      return Error(ErrorCode::Num);
    }
    digits.insert(0, static_cast<std::size_t>(places) - digits.size(), L'0');
  }
  return EvalValue::Text(std::move(digits));
}

// The value of up to ten digits of a base, the tenth digit's top bit making it negative.
std::optional<EvalValue> FromBase(const EvalValue& arg, Base base, double& out) {
  if (arg.IsBoolean()) return Error(ErrorCode::Value);
  std::wstring text;
  if (auto error = GetText(arg, text)) return error;
  if (text.size() > 10) return Error(ErrorCode::Num);
  double value = 0.0;
  for (wchar_t c : text) {
    int digit = -1;
    if (IsAsciiDigit(c)) digit = c - L'0';
    if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    if (digit < 0 || digit >= base.radix) return Error(ErrorCode::Num);
    value = value * base.radix + digit;
  }
  if (text.size() == 10 && value > base.Max()) value -= base.Span();
  out = value;
  return std::nullopt;
}

template <const Base& kFrom, const Base& kTo>
EvalValue BaseToBase(Args args, CFunctionContext&) {
  double value = 0.0;
  if (auto error = FromBase(args[0], kFrom, value)) return *error;
  return ToBase(value, kTo, args, 1);
}

template <const Base& kTo>
EvalValue DecimalToBase(Args args, CFunctionContext&) {
  double value = 0.0;
  if (auto error = GetToolPakNumber(args[0], value)) return *error;
  return ToBase(value, kTo, args, 1);
}

template <const Base& kFrom>
EvalValue BaseToDecimal(Args args, CFunctionContext&) {
  double value = 0.0;
  if (auto error = FromBase(args[0], kFrom, value)) return *error;
  return NumberResult(value);
}

// --- Comparisons, bits and the error function -------------------------------------------------

EvalValue Delta(Args args, CFunctionContext&) {
  double a = 0.0;
  double b = 0.0;
  if (auto error = GetToolPakNumber(args[0], a)) return *error;
  if (args.size() > 1) {
    if (auto error = GetToolPakNumber(args[1], b)) return *error;
  }
  return NumberResult(a == b ? 1.0 : 0.0);
}

EvalValue GeStep(Args args, CFunctionContext&) {
  double number = 0.0;
  double step = 0.0;
  if (auto error = GetToolPakNumber(args[0], number)) return *error;
  if (args.size() > 1) {
    if (auto error = GetToolPakNumber(args[1], step)) return *error;
  }
  return NumberResult(number >= step ? 1.0 : 0.0);
}

constexpr double kBitLimit = 0x1p48;  // The bit functions take integers below 2^48.

std::optional<EvalValue> GetBits(const EvalValue& value, std::uint64_t& out) {
  double number = 0.0;
  if (auto error = GetNumber(value, number)) return error;
  if (number < 0.0 || number >= kBitLimit || number != std::floor(number)) {
    return Error(ErrorCode::Num);
  }
  out = static_cast<std::uint64_t>(number);
  return std::nullopt;
}

enum class BitOperation : std::uint8_t { And, Or, Xor };

EvalValue Bitwise(Args args, BitOperation operation) {
  std::uint64_t a = 0;
  std::uint64_t b = 0;
  if (auto error = GetBits(args[0], a)) return *error;
  if (auto error = GetBits(args[1], b)) return *error;
  switch (operation) {
    case BitOperation::And:
      return NumberResult(static_cast<double>(a & b));
    case BitOperation::Or:
      return NumberResult(static_cast<double>(a | b));
    case BitOperation::Xor:
      return NumberResult(static_cast<double>(a ^ b));
  }
  return Error(ErrorCode::Value);
}

EvalValue BitAnd(Args args, CFunctionContext&) {
  return Bitwise(args, BitOperation::And);
}
EvalValue BitOr(Args args, CFunctionContext&) {
  return Bitwise(args, BitOperation::Or);
}
EvalValue BitXor(Args args, CFunctionContext&) {
  return Bitwise(args, BitOperation::Xor);
}

EvalValue BitShift(Args args, bool left) {
  std::uint64_t number = 0;
  if (auto error = GetBits(args[0], number)) return *error;
  double shift = 0.0;
  if (auto error = GetNumber(args[1], shift)) return *error;
  shift = std::trunc(shift);
  if (std::fabs(shift) > 53.0) return Error(ErrorCode::Num);
  // A negative shift goes the other way.
  const double bits = left ? shift : -shift;
  const double result = bits >= 0.0
                            ? std::ldexp(static_cast<double>(number), static_cast<int>(bits))
                            : static_cast<double>(number >> static_cast<int>(-bits));
  if (result >= kBitLimit) return Error(ErrorCode::Num);
  return NumberResult(result);
}

EvalValue BitLShift(Args args, CFunctionContext&) {
  return BitShift(args, true);
}
EvalValue BitRShift(Args args, CFunctionContext&) {
  return BitShift(args, false);
}

EvalValue Erf(Args args, CFunctionContext&) {
  double lower = 0.0;
  if (auto error = GetToolPakNumber(args[0], lower)) return *error;
  if (args.size() < 2) return NumberResult(std::erf(lower));
  double upper = 0.0;
  if (auto error = GetToolPakNumber(args[1], upper)) return *error;
  return NumberResult(std::erf(upper) - std::erf(lower));
}

EvalValue ErfPrecise(Args args, CFunctionContext&) {
  double x = 0.0;
  if (auto error = GetNumber(args[0], x)) return *error;
  return NumberResult(std::erf(x));
}

EvalValue Erfc(Args args, CFunctionContext&) {
  double x = 0.0;
  if (auto error = GetToolPakNumber(args[0], x)) return *error;
  return NumberResult(std::erfc(x));
}

EvalValue ErfcPrecise(Args args, CFunctionContext&) {
  double x = 0.0;
  if (auto error = GetNumber(args[0], x)) return *error;
  return NumberResult(std::erfc(x));
}

}  // namespace

void RegisterEngineeringFunctions(CFunctionTable& table) {
  AddFunction(table, {L"CONVERT", 3, 3, "v", Convert});
  AddFunction(table, {L"DEC2BIN", 1, 2, "v", DecimalToBase<kBinary>});
  AddFunction(table, {L"DEC2OCT", 1, 2, "v", DecimalToBase<kOctal>});
  AddFunction(table, {L"DEC2HEX", 1, 2, "v", DecimalToBase<kHex>});
  AddFunction(table, {L"BIN2DEC", 1, 1, "v", BaseToDecimal<kBinary>});
  AddFunction(table, {L"OCT2DEC", 1, 1, "v", BaseToDecimal<kOctal>});
  AddFunction(table, {L"HEX2DEC", 1, 1, "v", BaseToDecimal<kHex>});
  AddFunction(table, {L"BIN2OCT", 1, 2, "v", BaseToBase<kBinary, kOctal>});
  AddFunction(table, {L"BIN2HEX", 1, 2, "v", BaseToBase<kBinary, kHex>});
  AddFunction(table, {L"OCT2BIN", 1, 2, "v", BaseToBase<kOctal, kBinary>});
  AddFunction(table, {L"OCT2HEX", 1, 2, "v", BaseToBase<kOctal, kHex>});
  AddFunction(table, {L"HEX2BIN", 1, 2, "v", BaseToBase<kHex, kBinary>});
  AddFunction(table, {L"HEX2OCT", 1, 2, "v", BaseToBase<kHex, kOctal>});
  AddFunction(table, {L"DELTA", 1, 2, "v", Delta});
  AddFunction(table, {L"GESTEP", 1, 2, "v", GeStep});
  AddFunction(table, {L"BITAND", 2, 2, "v", BitAnd});
  AddFunction(table, {L"BITOR", 2, 2, "v", BitOr});
  AddFunction(table, {L"BITXOR", 2, 2, "v", BitXor});
  AddFunction(table, {L"BITLSHIFT", 2, 2, "v", BitLShift});
  AddFunction(table, {L"BITRSHIFT", 2, 2, "v", BitRShift});
  AddFunction(table, {L"ERF", 1, 2, "v", Erf});
  AddFunction(table, {L"ERFC", 1, 1, "v", Erfc});
  AddFunction(table, {L"ERF.PRECISE", 1, 1, "v", ErfPrecise});
  AddFunction(table, {L"ERFC.PRECISE", 1, 1, "v", ErfcPrecise});
}

}  // namespace spreadsheet
