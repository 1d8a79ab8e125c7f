// Worksheet functions: statistical. Counts, averages and spreads of data, order statistics,
// correlation of paired data and least-squares regression; the distributions are registered from
// functions_distributions.cpp.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"
#include "spreadsheet/calc/functions_distributions.h"
#include "spreadsheet/calc/least_squares.h"

namespace spreadsheet {

namespace {

using Args = std::span<const EvalValue>;
using Numbers = std::vector<double>;

double Mean(const Numbers& x) {
  return std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size());
}

double SumOfSquaredDeviations(const Numbers& x) {
  const double mean = Mean(x);
  double sum = 0.0;
  for (const double value : x) sum += (value - mean) * (value - mean);
  return sum;
}

// An optional argument: absent or left empty.
bool Omitted(Args args, std::size_t index) {
  return args.size() <= index || args[index].IsEmpty();
}

// ---- counting ----------------------------------------------------------------------------------

EvalValue Count(Args args, CFunctionContext& context) {
  double count = 0;
  for (const EvalValue& arg : args) {
    ForEachValue(arg, context, [&](const EvalValue& value, ValueSource source) {
      double number = 0.0;
      if (source == ValueSource::Direct) {
        if (!value.IsError() && !GetNumber(value, number)) ++count;
      } else if (value.IsNumber()) {
        ++count;
      }
      return true;
    });
  }
  return EvalValue::Number(count);
}

EvalValue CountA(Args args, CFunctionContext& context) {
  double count = 0;
  for (const EvalValue& arg : args) {
    ForEachValue(arg, context, [&](const EvalValue& value, ValueSource source) {
      if (source == ValueSource::Direct || !value.IsEmpty()) ++count;
      return true;
    });
  }
  return EvalValue::Number(count);
}

bool IsBlankLike(const EvalValue& value) {
  return value.IsEmpty() || (value.IsText() && value.AsText().empty());
}

EvalValue CountBlank(Args args, CFunctionContext& context) {
  const EvalValue& arg = args[0];
  double count = 0;
  if (arg.IsArray()) {
    for (const EvalValue& cell : arg.AsArray().cells) count += IsBlankLike(cell) ? 1 : 0;
    return EvalValue::Number(count);
  }
  if (!arg.IsReference()) return arg.IsError() ? arg : Error(ErrorCode::Value);
  for (const Area& area : arg.AsAreas()) {
    count += static_cast<double>(area.rect.CellCount());
    // Cells outside the used part are blank; inside, only the filled ones need looking at.
    ForEachValue(EvalValue::Reference(area), context, [&](const EvalValue& value, ValueSource) {
      if (!IsBlankLike(value)) --count;
      return true;
    });
  }
  return EvalValue::Number(count);
}

// ---- functions of a list of numbers ------------------------------------------------------------

template <EvalValue (*Compute)(Numbers&), bool kLogicalAndText = false>
EvalValue OverNumbers(Args args, CFunctionContext& context) {
  Numbers numbers;
  if (auto error = CollectNumbers(args, context, numbers, kLogicalAndText)) return *error;
  return Compute(numbers);
}

EvalValue Average(Numbers& x) {
  if (x.empty()) return Error(ErrorCode::Div0);
  return NumberResult(Mean(x));
}

EvalValue Min(Numbers& x) {
  return NumberResult(x.empty() ? 0.0 : *std::min_element(x.begin(), x.end()));
}

EvalValue Max(Numbers& x) {
  return NumberResult(x.empty() ? 0.0 : *std::max_element(x.begin(), x.end()));
}

EvalValue Median(Numbers& x) {
  if (x.empty()) return Error(ErrorCode::Num);
  std::sort(x.begin(), x.end());
  const std::size_t half = x.size() / 2;
  return NumberResult(x.size() % 2 == 1 ? x[half] : (x[half - 1] + x[half]) / 2.0);
}

// The values occurring most often (at least twice), in the order of their first occurrence.
Numbers Modes(const Numbers& x) {
  std::vector<std::size_t> order(x.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return x[a] < x[b]; });
  std::vector<std::pair<std::size_t, std::size_t>> runs;  // (first position, count)
  std::size_t best = 2;
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    while (j < order.size() && x[order[j]] == x[order[i]]) ++j;
    const std::size_t size = j - i;
    if (size > best) {
      best = size;
      runs.clear();
    }
    if (size == best) runs.emplace_back(order[i], size);
    i = j;
  }
  std::sort(runs.begin(), runs.end());
  Numbers modes;
  for (const auto& run : runs) modes.push_back(x[run.first]);
  return modes;
}

EvalValue Mode(Numbers& x) {
  const Numbers modes = Modes(x);
  if (modes.empty()) return Error(ErrorCode::NA);
  return NumberResult(modes.front());
}

EvalValue ModeMultiple(Numbers& x) {
  const Numbers modes = Modes(x);
  if (modes.empty()) return Error(ErrorCode::NA);
  ValueArray column{static_cast<std::int32_t>(modes.size()), 1, {}};
  for (const double mode : modes) column.cells.push_back(EvalValue::Number(mode));
  return EvalValue::Array(std::move(column));
}

template <bool kSample>
EvalValue Variance(Numbers& x) {
  const double n = static_cast<double>(x.size());
  const double divisor = kSample ? n - 1.0 : n;
  if (divisor <= 0.0) return Error(ErrorCode::Div0);
  return NumberResult(SumOfSquaredDeviations(x) / divisor);
}

template <bool kSample>
EvalValue StandardDeviation(Numbers& x) {
  const EvalValue variance = Variance<kSample>(x);
  if (!variance.IsNumber()) return variance;
  return NumberResult(std::sqrt(variance.AsNumber()));
}

EvalValue AverageDeviation(Numbers& x) {
  if (x.empty()) return Error(ErrorCode::Num);
  const double mean = Mean(x);
  double sum = 0.0;
  for (const double value : x) sum += std::fabs(value - mean);
  return NumberResult(sum / static_cast<double>(x.size()));
}

EvalValue DevSq(Numbers& x) {
  if (x.empty()) return Error(ErrorCode::Num);
  return NumberResult(SumOfSquaredDeviations(x));
}

EvalValue GeoMean(Numbers& x) {
  if (x.empty()) return Error(ErrorCode::Num);
  double logs = 0.0;
  for (const double value : x) {
    if (value <= 0.0) return Error(ErrorCode::Num);
    logs += std::log(value);
  }
  return NumberResult(std::exp(logs / static_cast<double>(x.size())));
}

EvalValue HarMean(Numbers& x) {
  if (x.empty()) return Error(ErrorCode::Num);
  double reciprocals = 0.0;
  for (const double value : x) {
    if (value <= 0.0) return Error(ErrorCode::Num);
    reciprocals += 1.0 / value;
  }
  return NumberResult(static_cast<double>(x.size()) / reciprocals);
}

// Σ((x - mean) / s)^power, s the sample or population standard deviation; nothing when s is 0.
std::optional<double> StandardizedMoment(const Numbers& x, int power, bool sample) {
  const double n = static_cast<double>(x.size());
  const double mean = Mean(x);
  const double s = std::sqrt(SumOfSquaredDeviations(x) / (sample ? n - 1.0 : n));
  if (!(s > 0.0)) return std::nullopt;
  double sum = 0.0;
  for (const double value : x) sum += std::pow((value - mean) / s, power);
  return sum;
}

EvalValue Kurt(Numbers& x) {
  const double n = static_cast<double>(x.size());
  if (n < 4) return Error(ErrorCode::Div0);
  const std::optional<double> sum = StandardizedMoment(x, 4, true);
  if (!sum) return Error(ErrorCode::Div0);
  return NumberResult(n * (n + 1) / ((n - 1) * (n - 2) * (n - 3)) * *sum -
                      3 * (n - 1) * (n - 1) / ((n - 2) * (n - 3)));
}

EvalValue Skew(Numbers& x) {
  const double n = static_cast<double>(x.size());
  if (n < 3) return Error(ErrorCode::Div0);
  const std::optional<double> sum = StandardizedMoment(x, 3, true);
  if (!sum) return Error(ErrorCode::Div0);
  return NumberResult(n / ((n - 1) * (n - 2)) * *sum);
}

EvalValue SkewPopulation(Numbers& x) {
  const double n = static_cast<double>(x.size());
  if (n < 3) return Error(ErrorCode::Div0);
  const std::optional<double> sum = StandardizedMoment(x, 3, false);
  if (!sum) return Error(ErrorCode::Div0);
  return NumberResult(*sum / n);
}

// ---- order statistics --------------------------------------------------------------------------

// The numbers of a data argument and a number argument after it.
std::optional<EvalValue> DataAndNumber(Args args, CFunctionContext& context, Numbers& data,
                                       double& number) {
  if (auto error = CollectNumbers(args.first(1), context, data)) return error;
  return GetNumber(args[1], number);
}

template <bool kLargest>
EvalValue LargeSmall(Args args, CFunctionContext& context) {
  Numbers x;
  double k = 0.0;
  if (auto error = DataAndNumber(args, context, x, k)) return *error;
  k = std::ceil(k);
  if (k < 1.0 || k > static_cast<double>(x.size())) return Error(ErrorCode::Num);
  const auto nth = x.begin() + static_cast<std::ptrdiff_t>(k) - 1;
  if (kLargest) {
    std::nth_element(x.begin(), nth, x.end(), std::greater<>());
  } else {
    std::nth_element(x.begin(), nth, x.end());
  }
  return NumberResult(*nth);
}

template <bool kAverageTies>
EvalValue Rank(Args args, CFunctionContext& context) {
  double number = 0.0;
  if (auto error = GetNumber(args[0], number)) return *error;
  Numbers x;
  if (auto error = CollectNumbers(args.subspan(1, 1), context, x)) return *error;
  bool ascending = false;
  if (!Omitted(args, 2)) {
    if (auto error = GetBoolean(args[2], ascending)) return *error;
  }
  double before = 0;
  double equal = 0;
  for (const double value : x) {
    if (value == number) {
      ++equal;
    } else if (ascending ? value < number : value > number) {
      ++before;
    }
  }
  if (equal == 0) return Error(ErrorCode::NA);
  return NumberResult(kAverageTies ? before + (equal + 1.0) / 2.0 : before + 1.0);
}

// The value at a 0-based fractional position of sorted data, interpolating between neighbours.
double AtPosition(const Numbers& sorted, double position) {
  const double whole = std::floor(position);
  const auto index = static_cast<std::size_t>(whole);
  if (index + 1 >= sorted.size()) return sorted[index];
  return sorted[index] + (position - whole) * (sorted[index + 1] - sorted[index]);
}

// Sorted data and the inclusive (0 <= k <= 1) or exclusive (1/(n+1) <= k <= n/(n+1)) position.
std::optional<double> PercentilePosition(const Numbers& sorted, double k, bool exclusive) {
  const double n = static_cast<double>(sorted.size());
  if (sorted.empty()) return std::nullopt;
  if (!exclusive) {
    if (k < 0.0 || k > 1.0) return std::nullopt;
    return k * (n - 1.0);
  }
  const double position = k * (n + 1.0) - 1.0;
  if (k <= 0.0 || k >= 1.0 || position < 0.0 || position > n - 1.0) return std::nullopt;
  return position;
}

EvalValue Percentile(Args args, CFunctionContext& context, double scale, bool exclusive) {
  Numbers x;
  double k = 0.0;
  if (auto error = DataAndNumber(args, context, x, k)) return *error;
  if (scale != 1.0) {
    k = std::trunc(k);
    if (exclusive ? (k <= 0.0 || k >= 4.0) : (k < 0.0 || k > 4.0)) return Error(ErrorCode::Num);
    k *= scale;
  }
  std::sort(x.begin(), x.end());
  const std::optional<double> position = PercentilePosition(x, k, exclusive);
  if (!position) return Error(ErrorCode::Num);
  return NumberResult(AtPosition(x, *position));
}

EvalValue PercentileInc(Args args, CFunctionContext& context) {
  return Percentile(args, context, 1.0, false);
}
EvalValue PercentileExc(Args args, CFunctionContext& context) {
  return Percentile(args, context, 1.0, true);
}
EvalValue QuartileInc(Args args, CFunctionContext& context) {
  return Percentile(args, context, 0.25, false);
}
EvalValue QuartileExc(Args args, CFunctionContext& context) {
  return Percentile(args, context, 0.25, true);
}

// Truncation to `digits` decimals that does not turn 0.29 into 0.289 for want of an ulp.
double TruncateDecimals(double value, double digits) {
  const double scale = std::pow(10.0, digits);
  double scaled = value * scale;
  const double nearest = std::round(scaled);
  if (std::fabs(scaled - nearest) <= 1e-9 * std::max(1.0, std::fabs(scaled))) scaled = nearest;
  return std::floor(scaled) / scale;
}

template <bool kExclusive>
EvalValue PercentRank(Args args, CFunctionContext& context) {
  Numbers x;
  double value = 0.0;
  if (auto error = DataAndNumber(args, context, x, value)) return *error;
  double digits = 3.0;
  if (!Omitted(args, 2)) {
    if (auto error = GetNumber(args[2], digits)) return *error;
    digits = std::trunc(digits);
  }
  if (digits < 1.0 || x.empty()) return Error(ErrorCode::Num);
  std::sort(x.begin(), x.end());
  if (value < x.front() || value > x.back()) return Error(ErrorCode::NA);
  const double n = static_cast<double>(x.size());
  const auto below =
      static_cast<std::size_t>(std::lower_bound(x.begin(), x.end(), value) - x.begin());
  // The 0-based position of the value in the data, interpolated between neighbours.
  double position = static_cast<double>(below);
  if (x[below] != value) {
    position = static_cast<double>(below - 1) + (value - x[below - 1]) / (x[below] - x[below - 1]);
  }
  double rank = 0.0;
  if (kExclusive) {
    rank = (position + 1.0) / (n + 1.0);
  } else {
    rank = x.size() == 1 ? 1.0 : position / (n - 1.0);
  }
  return NumberResult(TruncateDecimals(rank, digits));
}

EvalValue TrimMean(Args args, CFunctionContext& context) {
  Numbers x;
  double fraction = 0.0;
  if (auto error = DataAndNumber(args, context, x, fraction)) return *error;
  if (fraction < 0.0 || fraction >= 1.0 || x.empty()) return Error(ErrorCode::Num);
  // Excel drops an even number of points, half from each end, rounding down.
  const auto each =
      static_cast<std::size_t>(std::floor(static_cast<double>(x.size()) * fraction / 2.0 + 1e-9));
  std::sort(x.begin(), x.end());
  const Numbers kept(x.begin() + static_cast<std::ptrdiff_t>(each),
                     x.end() - static_cast<std::ptrdiff_t>(each));
  return NumberResult(Mean(kept));
}

EvalValue Frequency(Args args, CFunctionContext& context) {
  Numbers data;
  Numbers bins;
  if (auto error = CollectNumbers(args.first(1), context, data)) return *error;
  if (auto error = CollectNumbers(args.subspan(1, 1), context, bins)) return *error;
  // Counts go to the bins in the order given; each counts the data above the next lower bin.
  std::vector<std::size_t> order(bins.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return bins[a] < bins[b]; });
  std::sort(data.begin(), data.end());
  std::vector<double> counts(bins.size() + 1, 0.0);
  std::size_t counted = 0;
  for (const std::size_t bin : order) {
    const auto end = static_cast<std::size_t>(
        std::upper_bound(data.begin(), data.end(), bins[bin]) - data.begin());
    counts[bin] = static_cast<double>(end - std::min(end, counted));
    counted = std::max(counted, end);
  }
  counts.back() = static_cast<double>(data.size() - counted);
  ValueArray column{static_cast<std::int32_t>(counts.size()), 1, {}};
  for (const double count : counts) column.cells.push_back(EvalValue::Number(count));
  return EvalValue::Array(std::move(column));
}

// ---- paired data -------------------------------------------------------------------------------

struct Pairs {
  Numbers y;
  Numbers x;
  double meanY = 0.0;
  double meanX = 0.0;
  double sxx = 0.0;  // Σ(x - x̄)²
  double syy = 0.0;
  double sxy = 0.0;
};

// The positions of two equally long arrays where both hold numbers; the first error in either.
std::optional<EvalValue> CollectPairs(const EvalValue& first, const EvalValue& second,
                                      CFunctionContext& context, Pairs& pairs) {
  ValueArray ys;
  ValueArray xs;
  if (auto error = GetArray(first, context, ys)) return error;
  if (auto error = GetArray(second, context, xs)) return error;
  if (ys.cells.size() != xs.cells.size()) return Error(ErrorCode::NA);
  for (std::size_t i = 0; i < ys.cells.size(); ++i) {
    const EvalValue& y = ys.cells[i];
    const EvalValue& x = xs.cells[i];
    if (y.IsError()) return y;
    if (x.IsError()) return x;
    if (y.IsNumber() && x.IsNumber()) {
      pairs.y.push_back(y.AsNumber());
      pairs.x.push_back(x.AsNumber());
    }
  }
  if (pairs.y.empty()) return std::nullopt;
  pairs.meanY = Mean(pairs.y);
  pairs.meanX = Mean(pairs.x);
  for (std::size_t i = 0; i < pairs.y.size(); ++i) {
    const double dy = pairs.y[i] - pairs.meanY;
    const double dx = pairs.x[i] - pairs.meanX;
    pairs.sxx += dx * dx;
    pairs.syy += dy * dy;
    pairs.sxy += dx * dy;
  }
  return std::nullopt;
}

template <EvalValue (*Compute)(const Pairs&)>
EvalValue OverPairs(Args args, CFunctionContext& context) {
  Pairs pairs;
  if (auto error = CollectPairs(args[0], args[1], context, pairs)) return *error;
  return Compute(pairs);
}

EvalValue Correl(const Pairs& p) {
  if (p.y.empty() || p.sxx == 0.0 || p.syy == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(p.sxy / std::sqrt(p.sxx * p.syy));
}

EvalValue RSquared(const Pairs& p) {
  if (p.y.empty() || p.sxx == 0.0 || p.syy == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(p.sxy * p.sxy / (p.sxx * p.syy));
}

template <bool kSample>
EvalValue Covariance(const Pairs& p) {
  const double n = static_cast<double>(p.y.size());
  const double divisor = kSample ? n - 1.0 : n;
  if (divisor <= 0.0) return Error(ErrorCode::Div0);
  return NumberResult(p.sxy / divisor);
}

EvalValue Slope(const Pairs& p) {
  if (p.y.empty() || p.sxx == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(p.sxy / p.sxx);
}

EvalValue Intercept(const Pairs& p) {
  if (p.y.empty() || p.sxx == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(p.meanY - p.sxy / p.sxx * p.meanX);
}

EvalValue Steyx(const Pairs& p) {
  const double n = static_cast<double>(p.y.size());
  if (n < 3 || p.sxx == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(std::sqrt(std::max(0.0, p.syy - p.sxy * p.sxy / p.sxx) / (n - 2.0)));
}

EvalValue Forecast(Args args, CFunctionContext& context) {
  double x = 0.0;
  if (auto error = GetNumber(args[0], x)) return *error;
  Pairs p;
  if (auto error = CollectPairs(args[1], args[2], context, p)) return *error;
  if (p.y.empty() || p.sxx == 0.0) return Error(ErrorCode::Div0);
  return NumberResult(p.meanY + p.sxy / p.sxx * (x - p.meanX));
}

// ---- regression --------------------------------------------------------------------------------

// How the regressors of known_x's lie relative to known_y's.
enum class Layout : std::uint8_t { Single, Columns, Rows };

struct Regression {
  Numbers y;
  std::vector<Numbers> x;  // One per regressor.
  Layout layout = Layout::Single;
  std::int32_t yRows = 0;
  std::int32_t yColumns = 0;
};

std::optional<EvalValue> NumbersOf(const ValueArray& array, Numbers& out) {
  for (const EvalValue& cell : array.cells) {
    if (cell.IsError()) return cell;
    if (!cell.IsNumber()) return Error(ErrorCode::Value);
    out.push_back(cell.AsNumber());
  }
  return std::nullopt;
}

// The regressors of an array laid out as `layout` says, one per column, row or the whole array.
std::vector<Numbers> Regressors(const Numbers& values, std::int32_t rows, std::int32_t columns,
                                Layout layout) {
  if (layout == Layout::Single) return {values};
  const auto r = static_cast<std::size_t>(rows);
  const auto c = static_cast<std::size_t>(columns);
  std::vector<Numbers> regressors(layout == Layout::Columns ? c : r);
  for (std::size_t i = 0; i < r; ++i) {
    for (std::size_t j = 0; j < c; ++j) {
      regressors[layout == Layout::Columns ? j : i].push_back(values[i * c + j]);
    }
  }
  return regressors;
}

// known_y's and known_x's (LINEST, LOGEST, TREND, GROWTH). Shapes are checked before values, as
// Excel does: a mismatch is #REF! even where a value would be #VALUE!.
std::optional<EvalValue> ReadRegression(Args args, CFunctionContext& context, bool logarithmic,
                                        Regression& out) {
  ValueArray ys;
  if (auto error = GetArray(args[0], context, ys)) return error;
  out.yRows = ys.rows;
  out.yColumns = ys.columns;
  ValueArray xs;
  const bool defaultX = Omitted(args, 1);
  if (!defaultX) {
    if (auto error = GetArray(args[1], context, xs)) return error;
    if (xs.rows == ys.rows && xs.columns == ys.columns) {
      out.layout = Layout::Single;
    } else if (ys.columns == 1 && xs.rows == ys.rows) {
      out.layout = Layout::Columns;
    } else if (ys.rows == 1 && xs.columns == ys.columns) {
      out.layout = Layout::Rows;
    } else {
      return Error(ErrorCode::Ref);
    }
  }
  if (auto error = NumbersOf(ys, out.y)) return error;
  if (defaultX) {
    Numbers counting(out.y.size());
    std::iota(counting.begin(), counting.end(), 1.0);
    out.x = {counting};
  } else {
    Numbers values;
    if (auto error = NumbersOf(xs, values)) return error;
    out.x = Regressors(values, xs.rows, xs.columns, out.layout);
  }
  if (logarithmic) {
    for (double& y : out.y) {
      if (y <= 0.0) return Error(ErrorCode::Num);
      y = std::log(y);
    }
  }
  return std::nullopt;
}

std::optional<EvalValue> OptionalBoolean(Args args, std::size_t index, bool fallback, bool& out) {
  out = fallback;
  if (Omitted(args, index)) return std::nullopt;
  return GetBoolean(args[index], out);
}

template <bool kLogarithmic>
EvalValue Linest(Args args, CFunctionContext& context) {
  Regression data;
  if (auto error = ReadRegression(args, context, kLogarithmic, data)) return *error;
  bool constant = true;
  bool statistics = false;
  if (auto error = OptionalBoolean(args, 2, true, constant)) return *error;
  if (auto error = OptionalBoolean(args, 3, false, statistics)) return *error;
  const LeastSquaresFit fit = FitLeastSquares(data.x, data.y, constant);

  // Coefficients from the last regressor to the first, then the constant; statistics below.
  const std::size_t k = data.x.size();
  ValueArray result{statistics ? 5 : 1, static_cast<std::int32_t>(k + 1), {}};
  result.cells.assign(static_cast<std::size_t>(result.rows) * (k + 1), Error(ErrorCode::NA));
  const auto set = [&](std::size_t row, std::size_t column, double value) {
    result.cells[row * (k + 1) + column] = NumberResult(value);
  };
  const auto coefficient = [](double value) { return kLogarithmic ? std::exp(value) : value; };
  for (std::size_t j = 0; j < k; ++j) set(0, k - 1 - j, coefficient(fit.coefficients[j]));
  set(0, k, coefficient(fit.intercept));
  if (statistics) {
    for (std::size_t j = 0; j < k; ++j) set(1, k - 1 - j, fit.standardErrors[j]);
    if (constant) set(1, k, fit.interceptError);
    set(2, 0, fit.rSquared);
    set(2, 1, fit.standardErrorOfY);
    set(3, 0, fit.fStatistic);
    set(3, 1, fit.degreesOfFreedom);
    set(4, 0, fit.regressionSumOfSquares);
    set(4, 1, fit.residualSumOfSquares);
  }
  return EvalValue::Array(std::move(result));
}

template <bool kLogarithmic>
EvalValue Trend(Args args, CFunctionContext& context) {
  Regression data;
  if (auto error = ReadRegression(args, context, kLogarithmic, data)) return *error;
  const std::size_t k = data.x.size();
  // The new x's: each observation is one element, or one row or column of k elements.
  ValueArray fresh;
  if (!Omitted(args, 2)) {
    if (auto error = GetArray(args[2], context, fresh)) return *error;
  } else if (!Omitted(args, 1)) {
    if (auto error = GetArray(args[1], context, fresh)) return *error;
  } else {
    fresh = {data.yRows, data.yColumns, {}};
    for (std::size_t i = 1; i <= data.y.size(); ++i) {
      fresh.cells.push_back(EvalValue::Number(static_cast<double>(i)));
    }
  }
  const auto kk = static_cast<std::int32_t>(k);
  ValueArray result;
  if (data.layout == Layout::Single) {
    result = {fresh.rows, fresh.columns, {}};
  } else if (data.layout == Layout::Columns && fresh.columns == kk) {
    result = {fresh.rows, 1, {}};
  } else if (data.layout == Layout::Rows && fresh.rows == kk) {
    result = {1, fresh.columns, {}};
  } else {
    return Error(ErrorCode::Ref);
  }
  Numbers values;
  if (auto error = NumbersOf(fresh, values)) return *error;
  bool constant = true;
  if (auto error = OptionalBoolean(args, 3, true, constant)) return *error;
  const LeastSquaresFit fit = FitLeastSquares(data.x, data.y, constant);

  const std::vector<Numbers> observations =
      data.layout == Layout::Single ? std::vector<Numbers>{values}
                                    : Regressors(values, fresh.rows, fresh.columns, data.layout);
  const std::size_t count = observations.front().size();
  for (std::size_t i = 0; i < count; ++i) {
    double prediction = fit.intercept;
    for (std::size_t j = 0; j < k; ++j) prediction += fit.coefficients[j] * observations[j][i];
    result.cells.push_back(NumberResult(kLogarithmic ? std::exp(prediction) : prediction));
  }
  return EvalValue::Array(std::move(result));
}

}  // namespace

void RegisterStatisticalFunctions(CFunctionTable& table) {
  const auto add = [&](std::wstring_view name, std::int16_t minArgs, std::int16_t maxArgs,
                       std::string_view params, FunctionBody body) {
    AddFunction(table, {name, minArgs, maxArgs, params, body, 0});
  };
  add(L"COUNT", 1, kManyArgs, "r", Count);
  add(L"COUNTA", 1, kManyArgs, "r", CountA);
  add(L"COUNTBLANK", 1, 1, "r", CountBlank);

  add(L"AVERAGE", 1, kManyArgs, "r", OverNumbers<Average>);
  add(L"AVERAGEA", 1, kManyArgs, "r", OverNumbers<Average, true>);
  add(L"MIN", 1, kManyArgs, "r", OverNumbers<Min>);
  add(L"MAX", 1, kManyArgs, "r", OverNumbers<Max>);
  add(L"MINA", 1, kManyArgs, "r", OverNumbers<Min, true>);
  add(L"MAXA", 1, kManyArgs, "r", OverNumbers<Max, true>);
  add(L"MEDIAN", 1, kManyArgs, "r", OverNumbers<Median>);
  for (const std::wstring_view name : {L"MODE", L"MODE.SNGL"}) {
    add(name, 1, kManyArgs, "r", OverNumbers<Mode>);
  }
  add(L"MODE.MULT", 1, kManyArgs, "r", OverNumbers<ModeMultiple>);
  for (const std::wstring_view name : {L"STDEV", L"STDEV.S"}) {
    add(name, 1, kManyArgs, "r", OverNumbers<StandardDeviation<true>>);
  }
  for (const std::wstring_view name : {L"STDEVP", L"STDEV.P"}) {
    add(name, 1, kManyArgs, "r", OverNumbers<StandardDeviation<false>>);
  }
  add(L"STDEVA", 1, kManyArgs, "r", OverNumbers<StandardDeviation<true>, true>);
  add(L"STDEVPA", 1, kManyArgs, "r", OverNumbers<StandardDeviation<false>, true>);
  for (const std::wstring_view name : {L"VAR", L"VAR.S"}) {
    add(name, 1, kManyArgs, "r", OverNumbers<Variance<true>>);
  }
  for (const std::wstring_view name : {L"VARP", L"VAR.P"}) {
    add(name, 1, kManyArgs, "r", OverNumbers<Variance<false>>);
  }
  add(L"VARA", 1, kManyArgs, "r", OverNumbers<Variance<true>, true>);
  add(L"VARPA", 1, kManyArgs, "r", OverNumbers<Variance<false>, true>);
  add(L"AVEDEV", 1, kManyArgs, "r", OverNumbers<AverageDeviation>);
  add(L"DEVSQ", 1, kManyArgs, "r", OverNumbers<DevSq>);
  add(L"GEOMEAN", 1, kManyArgs, "r", OverNumbers<GeoMean>);
  add(L"HARMEAN", 1, kManyArgs, "r", OverNumbers<HarMean>);
  add(L"KURT", 1, kManyArgs, "r", OverNumbers<Kurt>);
  add(L"SKEW", 1, kManyArgs, "r", OverNumbers<Skew>);
  add(L"SKEW.P", 1, kManyArgs, "r", OverNumbers<SkewPopulation>);

  add(L"LARGE", 2, 2, "av", LargeSmall<true>);
  add(L"SMALL", 2, 2, "av", LargeSmall<false>);
  for (const std::wstring_view name : {L"RANK", L"RANK.EQ"}) add(name, 2, 3, "vrv", Rank<false>);
  add(L"RANK.AVG", 2, 3, "vrv", Rank<true>);
  for (const std::wstring_view name : {L"PERCENTILE", L"PERCENTILE.INC"}) {
    add(name, 2, 2, "av", PercentileInc);
  }
  add(L"PERCENTILE.EXC", 2, 2, "av", PercentileExc);
  for (const std::wstring_view name : {L"QUARTILE", L"QUARTILE.INC"}) {
    add(name, 2, 2, "av", QuartileInc);
  }
  add(L"QUARTILE.EXC", 2, 2, "av", QuartileExc);
  for (const std::wstring_view name : {L"PERCENTRANK", L"PERCENTRANK.INC"}) {
    add(name, 2, 3, "av", PercentRank<false>);
  }
  add(L"PERCENTRANK.EXC", 2, 3, "av", PercentRank<true>);
  add(L"TRIMMEAN", 2, 2, "av", TrimMean);
  add(L"FREQUENCY", 2, 2, "a", Frequency);

  for (const std::wstring_view name : {L"CORREL", L"PEARSON"}) {
    add(name, 2, 2, "a", OverPairs<Correl>);
  }
  add(L"RSQ", 2, 2, "a", OverPairs<RSquared>);
  for (const std::wstring_view name : {L"COVAR", L"COVARIANCE.P"}) {
    add(name, 2, 2, "a", OverPairs<Covariance<false>>);
  }
  add(L"COVARIANCE.S", 2, 2, "a", OverPairs<Covariance<true>>);
  add(L"SLOPE", 2, 2, "a", OverPairs<Slope>);
  add(L"INTERCEPT", 2, 2, "a", OverPairs<Intercept>);
  add(L"STEYX", 2, 2, "a", OverPairs<Steyx>);
  for (const std::wstring_view name : {L"FORECAST", L"FORECAST.LINEAR"}) {
    add(name, 3, 3, "vaa", Forecast);
  }

  add(L"LINEST", 1, 4, "aavv", Linest<false>);
  add(L"LOGEST", 1, 4, "aavv", Linest<true>);
  add(L"TREND", 1, 4, "aaav", Trend<false>);
  add(L"GROWTH", 1, 4, "aaav", Trend<true>);

  RegisterDistributionFunctions(table);
}

}  // namespace spreadsheet
