// Worksheet functions: financial.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"

namespace spreadsheet {
namespace {

using Args = std::span<const EvalValue>;

// Walks through more periods than this (VDB, CUMIPMT) would take too long to be worth it.
constexpr double kMaxPeriods = 10'000'000.0;

// Reads the numbers of the arguments in order into `out`, whose entries are the defaults of
// arguments left out. The first argument error or non-number wins. `refuseBoolean` is the rule of
// the functions that came from the Analysis ToolPak (EFFECT, XNPV ...): TRUE and FALSE are #VALUE!.
std::optional<EvalValue> ReadNumbers(Args args, std::span<double> out, bool refuseBoolean = false) {
  for (std::size_t i = 0; i < out.size() && i < args.size(); ++i) {
    if (refuseBoolean && args[i].IsBoolean()) return Error(ErrorCode::Value);
    if (auto error = GetNumber(args[i], out[i])) return error;
  }
  return std::nullopt;
}

// Payments at the start of periods for any type but 0.
double TypeOf(double type) {
  return type != 0.0 ? 1.0 : 0.0;
}

// (1 + rate)^nper, and the annuity factor ((1 + rate)^nper - 1) / rate, exact near rate 0.
double Growth(double rate, double nper) {
  return std::pow(1.0 + rate, nper);
}
double Annuity(double rate, double nper) {
  if (rate == 0.0) return nper;
  return std::expm1(nper * std::log1p(rate)) / rate;
}

// The time-value equation everything here solves: pv*(1+r)^n + pmt*(1+r*type)*annuity + fv = 0.
double FutureValue(double rate, double nper, double pmt, double pv, double type) {
  if (rate == 0.0) return -(pv + pmt * nper);
  return -(pv * Growth(rate, nper) + pmt * (1.0 + rate * type) * Annuity(rate, nper));
}

double Payment(double rate, double nper, double pv, double fv, double type) {
  if (rate == 0.0) return -(pv + fv) / nper;
  return -(fv + pv * Growth(rate, nper)) / ((1.0 + rate * type) * Annuity(rate, nper));
}

// The interest part of payment `per` (from 1), as Excel splits a payment. Paid at the start of
// a period, payment `per` carries the interest of period per - 1 on the balance left after the
// payment made at that period's start; the first payment carries none.
double InterestPart(double rate, double per, double nper, double pv, double fv, double type) {
  const double pmt = Payment(rate, nper, pv, fv, type);
  if (per == 1.0) return type == 1.0 ? 0.0 : -pv * rate;
  if (type == 1.0) return (FutureValue(rate, per - 2.0, pmt, pv, 1.0) - pmt) * rate;
  return FutureValue(rate, per - 1.0, pmt, pv, 0.0) * rate;
}

// --- Annuities ---------------------------------------------------------------------------------

EvalValue Pv(Args args, CFunctionContext&) {
  double v[5] = {0, 0, 0, 0, 0};  // rate, nper, pmt, fv, type
  if (auto error = ReadNumbers(args, v)) return *error;
  const double rate = v[0], nper = v[1], pmt = v[2], fv = v[3], type = TypeOf(v[4]);
  if (rate == 0.0) return NumberResult(-(fv + pmt * nper));
  return NumberResult(-(fv + pmt * (1.0 + rate * type) * Annuity(rate, nper)) / Growth(rate, nper));
}

EvalValue Fv(Args args, CFunctionContext&) {
  double v[5] = {0, 0, 0, 0, 0};  // rate, nper, pmt, pv, type
  if (auto error = ReadNumbers(args, v)) return *error;
  return NumberResult(FutureValue(v[0], v[1], v[2], v[3], TypeOf(v[4])));
}

EvalValue Pmt(Args args, CFunctionContext&) {
  double v[5] = {0, 0, 0, 0, 0};  // rate, nper, pv, fv, type
  if (auto error = ReadNumbers(args, v)) return *error;
  if (v[1] == 0.0) return Error(ErrorCode::Num);
  return NumberResult(Payment(v[0], v[1], v[2], v[3], TypeOf(v[4])));
}

EvalValue PaymentPart(Args args, bool interest) {
  double v[6] = {0, 0, 0, 0, 0, 0};  // rate, per, nper, pv, fv, type
  if (auto error = ReadNumbers(args, v)) return *error;
  const double rate = v[0], per = v[1], nper = v[2], pv = v[3], fv = v[4], type = TypeOf(v[5]);
  if (per < 1.0 || per > nper) return Error(ErrorCode::Num);
  const double part = InterestPart(rate, per, nper, pv, fv, type);
  if (interest) return NumberResult(part);
  return NumberResult(Payment(rate, nper, pv, fv, type) - part);
}

EvalValue Ipmt(Args args, CFunctionContext&) {
  return PaymentPart(args, true);
}
EvalValue Ppmt(Args args, CFunctionContext&) {
  return PaymentPart(args, false);
}

EvalValue Nper(Args args, CFunctionContext&) {
  double v[5] = {0, 0, 0, 0, 0};  // rate, pmt, pv, fv, type
  if (auto error = ReadNumbers(args, v)) return *error;
  const double rate = v[0], pmt = v[1], pv = v[2], fv = v[3], type = TypeOf(v[4]);
  if (rate == 0.0) {
    if (pmt == 0.0) return Error(ErrorCode::Num);
    return NumberResult(-(pv + fv) / pmt);
  }
  const double scaled = pmt * (1.0 + rate * type);
  const double ratio = (scaled - fv * rate) / (scaled + pv * rate);
  if (!(ratio > 0.0) || rate <= -1.0) return Error(ErrorCode::Num);
  return NumberResult(std::log(ratio) / std::log1p(rate));
}

// The time-value equation at `rate` and its derivative in the rate. Excel runs Newton's method on
// this undiscounted form, whose steepness for long terms is why RATE needs a guess so often.
void RateEquation(double rate, double nper, double pmt, double pv, double fv, double type,
                  double& f, double& slope) {
  const double g = Growth(rate, nper);
  const double gSlope = nper * std::pow(1.0 + rate, nper - 1.0);
  double annuity = 0.0;
  double annuitySlope = 0.0;
  if (std::fabs(rate) < 1e-10) {
    annuity = nper + nper * (nper - 1.0) / 2.0 * rate;
    annuitySlope = nper * (nper - 1.0) / 2.0;
  } else {
    annuity = (g - 1.0) / rate;
    annuitySlope = (gSlope * rate - (g - 1.0)) / (rate * rate);
  }
  f = pv * g + pmt * (1.0 + rate * type) * annuity + fv;
  slope = pv * gSlope + pmt * (type * annuity + (1.0 + rate * type) * annuitySlope);
}

// Newton's method from `guess` as Excel runs it: #NUM! unless the steps fall under `tolerance`
// within `maxSteps`. A few further steps polish the root once it is found.
template <class Equation>
std::optional<double> Newton(double guess, int maxSteps, double tolerance, Equation&& equation) {
  double x = guess;
  for (int step = 0; step < maxSteps; ++step) {
    double f = 0.0;
    double slope = 0.0;
    equation(x, f, slope);
    if (!std::isfinite(f) || !std::isfinite(slope)) return std::nullopt;
    if (f == 0.0) return x;
    if (slope == 0.0) return std::nullopt;
    const double next = x - f / slope;
    if (!std::isfinite(next)) return std::nullopt;
    const bool converged = std::fabs(next - x) < tolerance;
    x = next;
    if (converged) {
      for (int polish = 0; polish < 3; ++polish) {
        equation(x, f, slope);
        if (f == 0.0 || slope == 0.0 || !std::isfinite(f / slope)) break;
        x -= f / slope;
      }
      return x;
    }
  }
  return std::nullopt;
}

EvalValue Rate(Args args, CFunctionContext&) {
  double v[6] = {0, 0, 0, 0, 0, 0.1};  // nper, pmt, pv, fv, type, guess
  if (auto error = ReadNumbers(args, v)) return *error;
  if (args.size() > 5 && args[5].IsEmpty()) v[5] = 0.1;
  const double nper = v[0], pmt = v[1], pv = v[2], fv = v[3], type = TypeOf(v[4]);
  if (nper <= 0.0) return Error(ErrorCode::Num);
  const auto rate = Newton(v[5], 20, 1e-7, [&](double r, double& f, double& slope) {
    RateEquation(r, nper, pmt, pv, fv, type, f, slope);
  });
  // Roots at or below -100% (integer terms have them) are no rate.
  if (!rate || *rate <= -1.0) return Error(ErrorCode::Num);
  return NumberResult(*rate);
}

// --- Cash flows --------------------------------------------------------------------------------

EvalValue Npv(Args args, CFunctionContext& context) {
  double rate = 0.0;
  if (auto error = GetNumber(args[0], rate)) return *error;
  std::vector<double> values;
  if (auto error = CollectNumbers(args.subspan(1), context, values)) return *error;
  if (rate == -1.0) return Error(ErrorCode::Div0);
  double sum = 0.0;
  double discount = 1.0;
  for (double value : values) {
    discount *= 1.0 + rate;
    sum += value / discount;
  }
  return NumberResult(sum);
}

// The numbers of a cash-flow range or array; other values there are skipped.
std::optional<EvalValue> CashFlows(const EvalValue& arg, CFunctionContext& context,
                                   std::vector<double>& out) {
  return CollectNumbers(std::span<const EvalValue>(&arg, 1), context, out);
}

bool HasBothSigns(const std::vector<double>& values) {
  const bool positive = std::any_of(values.begin(), values.end(), [](double v) { return v > 0; });
  const bool negative = std::any_of(values.begin(), values.end(), [](double v) { return v < 0; });
  return positive && negative;
}

EvalValue Irr(Args args, CFunctionContext& context) {
  std::vector<double> values;
  if (auto error = CashFlows(args[0], context, values)) return *error;
  double guess = 0.1;
  if (args.size() > 1 && !args[1].IsEmpty()) {
    if (auto error = GetNumber(args[1], guess)) return *error;
  }
  if (!HasBothSigns(values)) return Error(ErrorCode::Num);
  const auto rate = Newton(guess, 20, 1e-7, [&](double r, double& f, double& slope) {
    f = slope = 0.0;
    if (r <= -1.0) {
      f = slope = std::nan("");
      return;
    }
    double discount = 1.0;
    for (std::size_t i = 0; i < values.size(); ++i) {
      const double t = static_cast<double>(i);
      f += values[i] / discount;
      slope -= t * values[i] / (discount * (1.0 + r));
      discount *= 1.0 + r;
    }
  });
  if (!rate) return Error(ErrorCode::Num);
  return NumberResult(*rate);
}

EvalValue Mirr(Args args, CFunctionContext& context) {
  std::vector<double> values;
  if (auto error = CashFlows(args[0], context, values)) return *error;
  double rates[2] = {0, 0};
  if (auto error = ReadNumbers(args.subspan(1), rates)) return *error;
  const double financeRate = rates[0], reinvestRate = rates[1];
  const auto n = static_cast<double>(values.size());
  double positive = 0.0;
  double negative = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double t = static_cast<double>(i + 1);
    if (values[i] > 0.0) positive += values[i] / std::pow(1.0 + reinvestRate, t);
    if (values[i] < 0.0) negative += values[i] / std::pow(1.0 + financeRate, t);
  }
  if (positive == 0.0 || negative == 0.0 || n < 2.0) return Error(ErrorCode::Div0);
  const double ratio =
      -positive * std::pow(1.0 + reinvestRate, n) / (negative * (1.0 + financeRate));
  return NumberResult(std::pow(ratio, 1.0 / (n - 1.0)) - 1.0);
}

// The values and dates of XNPV and XIRR: numbers only, as many of each, no date before the first.
std::optional<EvalValue> DatedCashFlows(const EvalValue& valuesArg, const EvalValue& datesArg,
                                        CFunctionContext& context, std::vector<double>& values,
                                        std::vector<double>& dates) {
  ValueArray valueArray;
  ValueArray dateArray;
  if (auto error = GetArray(valuesArg, context, valueArray)) return error;
  if (auto error = GetArray(datesArg, context, dateArray)) return error;
  for (const EvalValue& value : valueArray.cells) {
    if (value.IsError()) return value;
    if (!value.IsNumber()) return Error(ErrorCode::Value);
    values.push_back(value.AsNumber());
  }
  for (const EvalValue& value : dateArray.cells) {
    if (value.IsError()) return value;
    if (!value.IsNumber()) return Error(ErrorCode::Value);
    dates.push_back(std::floor(value.AsNumber()));
  }
  if (values.size() != dates.size() || values.empty()) return Error(ErrorCode::Num);
  for (double date : dates) {
    if (date < 0.0 || date < dates.front()) return Error(ErrorCode::Num);
  }
  return std::nullopt;
}

double DatedValue(double rate, const std::vector<double>& values, const std::vector<double>& dates,
                  double* slope) {
  double sum = 0.0;
  if (slope) *slope = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    const double years = (dates[i] - dates.front()) / 365.0;
    const double discount = std::pow(1.0 + rate, years);
    sum += values[i] / discount;
    if (slope) *slope -= years * values[i] / (discount * (1.0 + rate));
  }
  return sum;
}

EvalValue Xnpv(Args args, CFunctionContext& context) {
  double rate = 0.0;
  if (args[0].IsBoolean()) return Error(ErrorCode::Value);
  if (auto error = GetNumber(args[0], rate)) return *error;
  std::vector<double> values;
  std::vector<double> dates;
  if (auto error = DatedCashFlows(args[1], args[2], context, values, dates)) return *error;
  if (rate <= -1.0) return Error(ErrorCode::Num);
  return NumberResult(DatedValue(rate, values, dates, nullptr));
}

// A root of `value` in a bracket [low, high] whose ends differ in sign, halved to the last bit.
template <class Value>
double Bisect(double low, double high, Value&& value) {
  const bool lowNegative = value(low) < 0.0;
  for (int step = 0; step < 200; ++step) {
    const double middle = low + (high - low) / 2.0;
    if (middle <= low || middle >= high) break;
    const double v = value(middle);
    if (v == 0.0) return middle;
    if ((v < 0.0) == lowNegative) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low + (high - low) / 2.0;
}

// Where Newton's method from the guess fails (a step below -100%, a flat stretch), the rate
// is looked for among sign changes over the whole range above -100%: a grid dense where rates
// usually are, then bisection in the change nearest the guess.
std::optional<double> BracketedDatedRate(const std::vector<double>& values,
                                         const std::vector<double>& dates, double guess) {
  std::vector<double> grid = {-0.999999999, -0.9999999, -0.99999, -0.9999, -0.999, -0.995};
  for (int percent = -99; percent <= 100; ++percent) grid.push_back(percent / 100.0);
  for (double r = 1.25; r < 1e10; r *= 1.25) grid.push_back(r);
  const auto value = [&](double r) { return DatedValue(r, values, dates, nullptr); };
  std::optional<double> found;
  double distance = 0.0;
  double previous = value(grid.front());
  for (std::size_t i = 1; i < grid.size(); ++i) {
    const double current = value(grid[i]);
    if (std::isfinite(previous) && std::isfinite(current) && (previous < 0.0) != (current < 0.0)) {
      const double root = Bisect(grid[i - 1], grid[i], value);
      const double away = std::fabs(root - guess);
      if (!found || away < distance) {
        found = root;
        distance = away;
      }
    }
    previous = current;
  }
  return found;
}

EvalValue Xirr(Args args, CFunctionContext& context) {
  std::vector<double> values;
  std::vector<double> dates;
  if (auto error = DatedCashFlows(args[0], args[1], context, values, dates)) return *error;
  double guess = 0.1;
  if (args.size() > 2 && !args[2].IsEmpty()) {
    if (args[2].IsBoolean()) return Error(ErrorCode::Value);
    if (auto error = GetNumber(args[2], guess)) return *error;
  }
  if (!HasBothSigns(values)) return Error(ErrorCode::Num);
  // Newton's method to the last digits; Excel's own answer is good to 1e-8 (its documented
  // 0.000001 percent), so two answers may differ there.
  std::optional<double> rate = Newton(guess, 100, 1e-12, [&](double r, double& f, double& slope) {
    if (r <= -1.0) {
      f = slope = std::nan("");
      return;
    }
    f = DatedValue(r, values, dates, &slope);
  });
  if (!rate || *rate <= -1.0) rate = BracketedDatedRate(values, dates, guess);
  if (!rate) return Error(ErrorCode::Num);
  return NumberResult(*rate);
}

// --- Depreciation ------------------------------------------------------------------------------

EvalValue Sln(Args args, CFunctionContext&) {
  double v[3] = {0, 0, 0};  // cost, salvage, life
  if (auto error = ReadNumbers(args, v)) return *error;
  if (v[2] == 0.0) return Error(ErrorCode::Div0);
  return NumberResult((v[0] - v[1]) / v[2]);
}

EvalValue Syd(Args args, CFunctionContext&) {
  double v[4] = {0, 0, 0, 0};  // cost, salvage, life, per
  if (auto error = ReadNumbers(args, v)) return *error;
  const double cost = v[0], salvage = v[1], life = v[2], per = v[3];
  if (life <= 0.0 || per <= 0.0 || per > life || salvage < 0.0) return Error(ErrorCode::Num);
  return NumberResult((cost - salvage) * (life - per + 1.0) * 2.0 / (life * (life + 1.0)));
}

EvalValue Db(Args args, CFunctionContext&) {
  double v[5] = {0, 0, 0, 0, 12};  // cost, salvage, life, period, month
  if (auto error = ReadNumbers(args, v)) return *error;
  const double cost = v[0], salvage = v[1], life = v[2];
  const double period = std::trunc(v[3]);
  const double month = std::trunc(v[4]);
  if (cost < 0.0 || salvage < 0.0 || life <= 0.0 || period <= 0.0 || month < 1.0 || month > 12.0 ||
      period > life + (month < 12.0 ? 1.0 : 0.0)) {
    return Error(ErrorCode::Num);
  }
  if (cost == 0.0) return NumberResult(0.0);
  // Excel rounds the rate to three decimals before using it.
  const double rate = std::round((1.0 - std::pow(salvage / cost, 1.0 / life)) * 1000.0) / 1000.0;
  double total = cost * rate * month / 12.0;
  if (period == 1.0) return NumberResult(total);
  double depreciation = 0.0;
  for (double p = 2.0; p <= period; ++p) {
    depreciation = (cost - total) * rate;
    if (p > life) depreciation *= (12.0 - month) / 12.0;
    total += depreciation;
  }
  return NumberResult(depreciation);
}

// Double-declining depreciation of period `period` (may be fractional), at `rate` of the book
// value, never below the salvage.
double DecliningPart(double cost, double salvage, double rate, double period) {
  double before = 0.0;
  double part = 0.0;
  if (rate >= 1.0) {
    before = period > 1.0 ? cost : 0.0;
    part = period > 1.0 ? 0.0 : cost;
  } else {
    const double kept = std::pow(1.0 - rate, period - 1.0);
    before = cost * (1.0 - kept);
    part = cost * rate * kept;
  }
  return std::max(0.0, std::min(part, cost - salvage - before));
}

EvalValue Ddb(Args args, CFunctionContext&) {
  double v[5] = {0, 0, 0, 0, 2};  // cost, salvage, life, period, factor
  if (auto error = ReadNumbers(args, v)) return *error;
  const double cost = v[0], salvage = v[1], life = v[2], period = v[3], factor = v[4];
  if (cost < 0.0 || salvage < 0.0 || life <= 0.0 || period <= 0.0 || factor <= 0.0 ||
      period > life) {
    return Error(ErrorCode::Num);
  }
  return NumberResult(DecliningPart(cost, salvage, factor / life, period));
}

EvalValue Vdb(Args args, CFunctionContext&) {
  double v[6] = {0, 0, 0, 0, 0, 2};  // cost, salvage, life, start, end, factor
  if (auto error = ReadNumbers(args, v)) return *error;
  bool noSwitch = false;
  if (args.size() > 6) {
    if (auto error = GetBoolean(args[6], noSwitch)) return *error;
  }
  const double cost = v[0], salvage = v[1], life = v[2], start = v[3], end = v[4], factor = v[5];
  if (cost < 0.0 || salvage < 0.0 || life <= 0.0 || start < 0.0 || end < start || end > life ||
      factor < 0.0 || end > kMaxPeriods) {
    return Error(ErrorCode::Num);
  }
  // Whole periods declining until straight line over the remaining life gives more, after which
  // every period takes that straight line; parts of a period take that part of its depreciation.
  const double rate = factor / life;
  double book = cost;
  double straight = 0.0;
  bool switched = false;
  double total = 0.0;
  const double lastPeriod = std::ceil(end);
  for (double period = 1.0; period <= lastPeriod; ++period) {
    double part = 0.0;
    if (!switched) {
      part = std::max(0.0, std::min(book * rate, book - salvage));
      const double remaining = life - period + 1.0;
      const double line = remaining > 0.0 ? (book - salvage) / remaining : 0.0;
      if (!noSwitch && line > part) {
        switched = true;
        straight = line;
      }
    }
    if (switched) part = straight;
    const double from = std::max(start, period - 1.0);
    const double to = std::min(end, period);
    if (to > from) total += part * (to - from);
    book -= part;
  }
  return NumberResult(total);
}

// --- Rates and cumulative payments ------------------------------------------------------------

EvalValue Effect(Args args, CFunctionContext&) {
  double v[2] = {0, 0};  // nominal, npery
  if (auto error = ReadNumbers(args, v, true)) return *error;
  const double nominal = v[0], periods = std::trunc(v[1]);
  if (nominal <= 0.0 || periods < 1.0) return Error(ErrorCode::Num);
  return NumberResult(std::pow(1.0 + nominal / periods, periods) - 1.0);
}

EvalValue Nominal(Args args, CFunctionContext&) {
  double v[2] = {0, 0};  // effect, npery
  if (auto error = ReadNumbers(args, v, true)) return *error;
  const double effect = v[0], periods = std::trunc(v[1]);
  if (effect <= 0.0 || periods < 1.0) return Error(ErrorCode::Num);
  return NumberResult(periods * (std::pow(1.0 + effect, 1.0 / periods) - 1.0));
}

EvalValue Cumulative(Args args, bool interest) {
  double v[6] = {0, 0, 0, 0, 0, 0};  // rate, nper, pv, start, end, type
  if (auto error = ReadNumbers(args, v, true)) return *error;
  const double rate = v[0], nper = v[1], pv = v[2], type = v[5];
  if (rate <= 0.0 || nper <= 0.0 || pv <= 0.0 || v[3] < 1.0 || v[4] < v[3] || v[4] > nper ||
      (type != 0.0 && type != 1.0)) {
    return Error(ErrorCode::Num);
  }
  // The first whole period at or after start_period, up to the last one that end_period reaches.
  const double start = std::ceil(v[3]), end = std::trunc(v[4]);
  if (end - start > kMaxPeriods) return Error(ErrorCode::Num);
  const double pmt = Payment(rate, nper, pv, 0.0, type);
  double sum = 0.0;
  for (double per = start; per <= end; ++per) {
    const double part = InterestPart(rate, per, nper, pv, 0.0, type);
    sum += interest ? part : pmt - part;
  }
  return NumberResult(sum);
}

EvalValue CumIpmt(Args args, CFunctionContext&) {
  return Cumulative(args, true);
}
EvalValue CumPrinc(Args args, CFunctionContext&) {
  return Cumulative(args, false);
}

EvalValue Ispmt(Args args, CFunctionContext&) {
  double v[4] = {0, 0, 0, 0};  // rate, per, nper, pv
  if (auto error = ReadNumbers(args, v)) return *error;
  if (v[2] == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(v[3] * v[0] * (v[1] / v[2] - 1.0));
}

EvalValue PDuration(Args args, CFunctionContext&) {
  double v[3] = {0, 0, 0};  // rate, pv, fv
  if (auto error = ReadNumbers(args, v)) return *error;
  if (v[0] <= 0.0 || v[1] <= 0.0 || v[2] <= 0.0) return Error(ErrorCode::Num);
  return NumberResult((std::log(v[2]) - std::log(v[1])) / std::log1p(v[0]));
}

EvalValue Rri(Args args, CFunctionContext&) {
  double v[3] = {0, 0, 0};  // nper, pv, fv
  if (auto error = ReadNumbers(args, v)) return *error;
  if (v[0] <= 0.0 || v[1] == 0.0) return Error(ErrorCode::Num);
  return NumberResult(std::pow(v[2] / v[1], 1.0 / v[0]) - 1.0);
}

// The smallest power of ten not below `fraction` (DOLLARDE's scale of the fractional digits).
double DecimalScale(double fraction) {
  double scale = 1.0;
  while (scale < fraction) scale *= 10.0;
  return scale;
}

EvalValue Dollar(Args args, bool toDecimal) {
  double v[2] = {0, 0};  // dollar, fraction
  if (auto error = ReadNumbers(args, v, true)) return *error;
  const double dollar = v[0], fraction = std::trunc(v[1]);
  if (fraction < 0.0) return Error(ErrorCode::Num);
  if (fraction == 0.0) return Error(ErrorCode::Div0);
  const double whole = std::trunc(dollar);
  const double part = dollar - whole;
  const double scale = DecimalScale(fraction);
  return NumberResult(whole + (toDecimal ? part * scale / fraction : part * fraction / scale));
}

EvalValue DollarDe(Args args, CFunctionContext&) {
  return Dollar(args, true);
}
EvalValue DollarFr(Args args, CFunctionContext&) {
  return Dollar(args, false);
}

}  // namespace

void RegisterFinancialFunctions(CFunctionTable& table) {
  AddFunction(table, {L"PV", 3, 5, "v", Pv});
  AddFunction(table, {L"FV", 3, 5, "v", Fv});
  AddFunction(table, {L"PMT", 3, 5, "v", Pmt});
  AddFunction(table, {L"IPMT", 4, 6, "v", Ipmt});
  AddFunction(table, {L"PPMT", 4, 6, "v", Ppmt});
  AddFunction(table, {L"NPER", 3, 5, "v", Nper});
  AddFunction(table, {L"RATE", 3, 6, "v", Rate});
  AddFunction(table, {L"NPV", 2, kManyArgs, "vr", Npv});
  AddFunction(table, {L"XNPV", 3, 3, "vaa", Xnpv});
  AddFunction(table, {L"IRR", 1, 2, "av", Irr});
  AddFunction(table, {L"XIRR", 2, 3, "aav", Xirr});
  AddFunction(table, {L"MIRR", 3, 3, "avv", Mirr});
  AddFunction(table, {L"SLN", 3, 3, "v", Sln});
  AddFunction(table, {L"SYD", 4, 4, "v", Syd});
  AddFunction(table, {L"DB", 4, 5, "v", Db});
  AddFunction(table, {L"DDB", 4, 5, "v", Ddb});
  AddFunction(table, {L"VDB", 5, 7, "v", Vdb});
  AddFunction(table, {L"EFFECT", 2, 2, "v", Effect});
  AddFunction(table, {L"NOMINAL", 2, 2, "v", Nominal});
  AddFunction(table, {L"CUMIPMT", 6, 6, "v", CumIpmt});
  AddFunction(table, {L"CUMPRINC", 6, 6, "v", CumPrinc});
  AddFunction(table, {L"ISPMT", 4, 4, "v", Ispmt});
  AddFunction(table, {L"PDURATION", 3, 3, "v", PDuration});
  AddFunction(table, {L"RRI", 3, 3, "v", Rri});
  AddFunction(table, {L"DOLLARDE", 2, 2, "v", DollarDe});
  AddFunction(table, {L"DOLLARFR", 2, 2, "v", DollarFr});
}

}  // namespace spreadsheet
