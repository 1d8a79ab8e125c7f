// Worksheet functions: the statistical distributions, their inverses and the tests built on them.
// Each distribution's tails are computed separately, so right-tailed functions keep their
// precision far out; degrees of freedom and counts are truncated as Excel truncates them.
#include "spreadsheet/calc/functions_distributions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include "spreadsheet/calc/function_registry.h"
#include "spreadsheet/calc/function_support.h"
#include "spreadsheet/calc/gamma_beta_functions.h"

namespace spreadsheet {

namespace {

using Args = std::span<const EvalValue>;

constexpr double kMaxDegrees = 1e10;

EvalValue Num() {
  return EvalValue::Error(ErrorCode::Num);
}

std::optional<EvalValue> ReadOne(const EvalValue& value, double& out) {
  return GetNumber(value, out);
}
std::optional<EvalValue> ReadOne(const EvalValue& value, bool& out) {
  return GetBoolean(value, out);
}

// The leading arguments as numbers and truth values, in order; the first that fails.
template <class... T>
std::optional<EvalValue> Read(Args args, T&... out) {
  std::size_t index = 0;
  std::optional<EvalValue> error;
  const auto one = [&](auto& target) {
    if (!error) error = ReadOne(args[index], target);
    ++index;
  };
  (one(out), ...);
  return error;
}

// ---- the distributions -------------------------------------------------------------------------

Tails Flip(const Tails& tails) {
  return {tails.upper, tails.lower};
}

Tails StudentTails(double t, double df) {
  const double t2 = t * t;
  // I_x(df/2, 1/2) with x = df / (df + t²) is twice the tail beyond |t|.
  const Tails beta = IncompleteBeta(df / 2.0, 0.5, 1.0 / (1.0 + t2 / df), 1.0 / (1.0 + df / t2));
  const Tails positive{0.5 + 0.5 * beta.upper, 0.5 * beta.lower};
  return t >= 0.0 ? positive : Flip(positive);
}

double StudentDensity(double t, double df) {
  return std::exp(-0.5 * std::log(df) - LogBeta(df / 2.0, 0.5) -
                  (df + 1.0) / 2.0 * std::log1p(t * t / df));
}

Tails ChiSquareTails(double x, double df) {
  return IncompleteGamma(df / 2.0, x / 2.0);
}
double ChiSquareDensity(double x, double df) {
  return GammaDensity(df / 2.0, x / 2.0) / 2.0;
}

Tails FisherTails(double x, double d1, double d2) {
  if (!(x > 0.0)) return {0.0, 1.0};
  return IncompleteBeta(d1 / 2.0, d2 / 2.0, d1 * x / (d1 * x + d2), d2 / (d1 * x + d2));
}

double FisherDensity(double x, double d1, double d2) {
  if (x < 0.0) return 0.0;
  if (x == 0.0) {
    if (d1 < 2.0) return std::numeric_limits<double>::infinity();
    return d1 == 2.0 ? 1.0 : 0.0;
  }
  return std::exp(LogBetaFront(d1 / 2.0, d2 / 2.0, d1 * x / (d1 * x + d2), d2 / (d1 * x + d2))) / x;
}

ContinuousDistribution Student(double df) {
  return {[df](double t) { return StudentTails(t, df); },
          [df](double t) { return StudentDensity(t, df); }, 0.0,
          std::numeric_limits<double>::infinity(), 1.0};
}

ContinuousDistribution ChiSquare(double df) {
  return {[df](double x) { return ChiSquareTails(x, df); },
          [df](double x) { return ChiSquareDensity(x, df); }, 0.0,
          std::numeric_limits<double>::infinity(), df};
}

ContinuousDistribution Fisher(double d1, double d2) {
  return {[=](double x) { return FisherTails(x, d1, d2); },
          [=](double x) { return FisherDensity(x, d1, d2); }, 0.0,
          std::numeric_limits<double>::infinity(), 1.0};
}

ContinuousDistribution StandardGamma(double a) {
  return {[a](double x) { return IncompleteGamma(a, x); },
          [a](double x) { return GammaDensity(a, x); }, 0.0,
          std::numeric_limits<double>::infinity(), a};
}

ContinuousDistribution StandardBeta(double a, double b) {
  return {[=](double x) { return IncompleteBeta(a, b, x, 1.0 - x); },
          [=](double x) { return BetaDensity(a, b, x, 1.0 - x); }, 0.0, 1.0, a / (a + b)};
}

// The non-negative t beyond which the upper tail is q (q <= 1/2).
double StudentUpperQuantile(double q, double df) {
  if (q >= 0.5) return 0.0;
  return InverseOfTails(Student(df), 1.0 - q, q);
}

// ln C(n, k), through the log-beta so that large n keeps its digits.
double LogChoose(double n, double k) {
  if (k == 0.0 || k == n) return 0.0;
  return -std::log(n + 1.0) - LogBeta(n - k + 1.0, k + 1.0);
}

double BinomialMass(double k, double n, double p) {
  if (p == 0.0) return k == 0.0 ? 1.0 : 0.0;
  if (p == 1.0) return k == n ? 1.0 : 0.0;
  return std::exp(LogChoose(n, k) + k * std::log(p) + (n - k) * std::log1p(-p));
}

double BinomialCumulative(double k, double n, double p) {
  if (k >= n || p == 0.0) return 1.0;
  if (p == 1.0) return 0.0;
  return IncompleteBeta(n - k, k + 1.0, 1.0 - p, p).lower;
}

// ---- normal and log-normal ---------------------------------------------------------------------

EvalValue NormDist(Args args, CFunctionContext&) {
  double x = 0.0, mean = 0.0, sd = 0.0;
  bool cumulative = false;
  if (auto error = Read(args, x, mean, sd, cumulative)) return *error;
  if (sd <= 0.0) return Num();
  const double z = (x - mean) / sd;
  return NumberResult(cumulative ? NormalTails(z).lower : NormalDensity(z) / sd);
}

EvalValue NormInv(Args args, CFunctionContext&) {
  double p = 0.0, mean = 0.0, sd = 0.0;
  if (auto error = Read(args, p, mean, sd)) return *error;
  if (p <= 0.0 || p >= 1.0 || sd <= 0.0) return Num();
  return NumberResult(mean + sd * NormalQuantile(p));
}

EvalValue NormSDist(Args args, CFunctionContext&) {
  double z = 0.0;
  bool cumulative = true;
  if (auto error = Read(args.first(1), z)) return *error;
  if (args.size() > 1) {
    if (auto error = GetBoolean(args[1], cumulative)) return *error;
  }
  return NumberResult(cumulative ? NormalTails(z).lower : NormalDensity(z));
}

EvalValue NormSInv(Args args, CFunctionContext&) {
  double p = 0.0;
  if (auto error = Read(args, p)) return *error;
  if (p <= 0.0 || p >= 1.0) return Num();
  return NumberResult(NormalQuantile(p));
}

EvalValue Phi(Args args, CFunctionContext&) {
  double z = 0.0;
  if (auto error = Read(args, z)) return *error;
  return NumberResult(NormalDensity(z));
}

EvalValue Gauss(Args args, CFunctionContext&) {
  double z = 0.0;
  if (auto error = Read(args, z)) return *error;
  // Φ(z) - 1/2, without the cancellation near 0.
  return NumberResult(0.5 * std::erf(z / std::numbers::sqrt2));
}

EvalValue Standardize(Args args, CFunctionContext&) {
  double x = 0.0, mean = 0.0, sd = 0.0;
  if (auto error = Read(args, x, mean, sd)) return *error;
  if (sd <= 0.0) return Num();
  return NumberResult((x - mean) / sd);
}

EvalValue LogNormDist(Args args, CFunctionContext&) {
  double x = 0.0, mean = 0.0, sd = 0.0;
  bool cumulative = true;
  if (auto error = Read(args.first(3), x, mean, sd)) return *error;
  if (args.size() > 3) {
    if (auto error = GetBoolean(args[3], cumulative)) return *error;
  }
  if (x <= 0.0 || sd <= 0.0) return Num();
  const double z = (std::log(x) - mean) / sd;
  return NumberResult(cumulative ? NormalTails(z).lower : NormalDensity(z) / (x * sd));
}

EvalValue LogNormInv(Args args, CFunctionContext&) {
  double p = 0.0, mean = 0.0, sd = 0.0;
  if (auto error = Read(args, p, mean, sd)) return *error;
  if (p <= 0.0 || p >= 1.0 || sd <= 0.0) return Num();
  return NumberResult(std::exp(mean + sd * NormalQuantile(p)));
}

EvalValue FisherTransform(Args args, CFunctionContext&) {
  double x = 0.0;
  if (auto error = Read(args, x)) return *error;
  if (x <= -1.0 || x >= 1.0) return Num();
  return NumberResult(std::atanh(x));
}

EvalValue FisherTransformInverse(Args args, CFunctionContext&) {
  double y = 0.0;
  if (auto error = Read(args, y)) return *error;
  return NumberResult(std::tanh(y));
}

// ---- Student's t -------------------------------------------------------------------------------

// The degrees of freedom at `index`, truncated; false when out of Excel's range.
std::optional<EvalValue> ReadDegrees(const EvalValue& arg, double& df) {
  if (auto error = GetNumber(arg, df)) return error;
  df = std::trunc(df);
  if (df < 1.0 || df > kMaxDegrees) return Num();
  return std::nullopt;
}

enum class TTail : std::uint8_t { Left, Right, Two };

template <TTail kTail>
EvalValue TDist(Args args, CFunctionContext&) {
  double t = 0.0, df = 0.0;
  if (auto error = Read(args.first(1), t)) return *error;
  if (auto error = ReadDegrees(args[1], df)) return *error;
  if (kTail == TTail::Left) {
    bool cumulative = false;
    if (auto error = GetBoolean(args[2], cumulative)) return *error;
    return NumberResult(cumulative ? StudentTails(t, df).lower : StudentDensity(t, df));
  }
  if (kTail == TTail::Right) return NumberResult(StudentTails(t, df).upper);
  if (t < 0.0) return Num();
  return NumberResult(2.0 * StudentTails(t, df).upper);
}

EvalValue TDistLegacy(Args args, CFunctionContext&) {
  double t = 0.0, df = 0.0, tails = 0.0;
  if (auto error = Read(args.first(1), t)) return *error;
  if (auto error = ReadDegrees(args[1], df)) return *error;
  if (auto error = GetNumber(args[2], tails)) return *error;
  tails = std::trunc(tails);
  if (t < 0.0 || (tails != 1.0 && tails != 2.0)) return Num();
  return NumberResult(tails * StudentTails(t, df).upper);
}

EvalValue TInv(Args args, CFunctionContext&) {
  double p = 0.0, df = 0.0;
  if (auto error = Read(args.first(1), p)) return *error;
  if (auto error = ReadDegrees(args[1], df)) return *error;
  if (p <= 0.0 || p >= 1.0) return Num();
  if (p < 0.5) return NumberResult(-StudentUpperQuantile(p, df));
  return NumberResult(StudentUpperQuantile(1.0 - p, df));
}

EvalValue TInvTwoTailed(Args args, CFunctionContext&) {
  double p = 0.0, df = 0.0;
  if (auto error = Read(args.first(1), p)) return *error;
  if (auto error = ReadDegrees(args[1], df)) return *error;
  if (p <= 0.0 || p > 1.0) return Num();
  return NumberResult(StudentUpperQuantile(p / 2.0, df));
}

// ---- chi-squared, F, gamma, beta ---------------------------------------------------------------

EvalValue ChiSqDist(Args args, CFunctionContext&) {
  double x = 0.0, df = 0.0;
  bool cumulative = false;
  if (auto error = Read(args.first(1), x)) return *error;
  if (auto error = ReadDegrees(args[1], df)) return *error;
  if (auto error = GetBoolean(args[2], cumulative)) return *error;
  if (x < 0.0) return Num();
  return NumberResult(cumulative ? ChiSquareTails(x, df).lower : ChiSquareDensity(x, df));
}

EvalValue ChiSqDistRight(Args args, CFunctionContext&) {
  double x = 0.0, df = 0.0;
  if (auto error = Read(args.first(1), x)) return *error;
  if (auto error = ReadDegrees(args[1], df)) return *error;
  if (x < 0.0) return Num();
  return NumberResult(ChiSquareTails(x, df).upper);
}

// The point of a distribution on [0, ∞) whose lower tail is p (or, right-tailed, whose upper
// tail is p); p must lie in [0, 1], and the unbounded end is #NUM!.
EvalValue QuantileFromZero(const ContinuousDistribution& distribution, double p, bool right) {
  if (p < 0.0 || p > 1.0) return Num();
  const double lower = right ? 1.0 - p : p;
  const double upper = right ? p : 1.0 - p;
  if (lower == 0.0) return EvalValue::Number(0.0);
  if (upper == 0.0) return Num();
  return NumberResult(InverseOfTails(distribution, lower, upper));
}

template <bool kRight>
EvalValue ChiSqInv(Args args, CFunctionContext&) {
  double p = 0.0, df = 0.0;
  if (auto error = Read(args.first(1), p)) return *error;
  if (auto error = ReadDegrees(args[1], df)) return *error;
  return QuantileFromZero(ChiSquare(df), p, kRight);
}

std::optional<EvalValue> ReadFisherDegrees(Args args, double& d1, double& d2) {
  if (auto error = Read(args, d1, d2)) return error;
  d1 = std::trunc(d1);
  d2 = std::trunc(d2);
  if (d1 < 1.0 || d2 < 1.0 || d1 >= kMaxDegrees || d2 >= kMaxDegrees) return Num();
  return std::nullopt;
}

EvalValue FDist(Args args, CFunctionContext&) {
  double x = 0.0, d1 = 0.0, d2 = 0.0;
  bool cumulative = false;
  if (auto error = Read(args.first(1), x)) return *error;
  if (auto error = ReadFisherDegrees(args.subspan(1, 2), d1, d2)) return *error;
  if (auto error = GetBoolean(args[3], cumulative)) return *error;
  if (x < 0.0) return Num();
  return NumberResult(cumulative ? FisherTails(x, d1, d2).lower : FisherDensity(x, d1, d2));
}

EvalValue FDistRight(Args args, CFunctionContext&) {
  double x = 0.0, d1 = 0.0, d2 = 0.0;
  if (auto error = Read(args.first(1), x)) return *error;
  if (auto error = ReadFisherDegrees(args.subspan(1, 2), d1, d2)) return *error;
  if (x < 0.0) return Num();
  return NumberResult(FisherTails(x, d1, d2).upper);
}

template <bool kRight>
EvalValue FInv(Args args, CFunctionContext&) {
  double p = 0.0, d1 = 0.0, d2 = 0.0;
  if (auto error = Read(args.first(1), p)) return *error;
  if (auto error = ReadFisherDegrees(args.subspan(1, 2), d1, d2)) return *error;
  return QuantileFromZero(Fisher(d1, d2), p, kRight);
}

EvalValue GammaDist(Args args, CFunctionContext&) {
  double x = 0.0, alpha = 0.0, beta = 0.0;
  bool cumulative = false;
  if (auto error = Read(args, x, alpha, beta, cumulative)) return *error;
  if (x < 0.0 || alpha <= 0.0 || beta <= 0.0) return Num();
  return NumberResult(cumulative ? IncompleteGamma(alpha, x / beta).lower
                                 : GammaDensity(alpha, x / beta) / beta);
}

EvalValue GammaInv(Args args, CFunctionContext&) {
  double p = 0.0, alpha = 0.0, beta = 0.0;
  if (auto error = Read(args, p, alpha, beta)) return *error;
  if (alpha <= 0.0 || beta <= 0.0) return Num();
  const EvalValue x = QuantileFromZero(StandardGamma(alpha), p, false);
  return x.IsNumber() ? NumberResult(x.AsNumber() * beta) : x;
}

// BETA.DIST's and BETA.INV's optional bounds A and B, [0, 1] by default.
std::optional<EvalValue> ReadBounds(Args args, std::size_t from, double& low, double& high) {
  low = 0.0;
  high = 1.0;
  if (args.size() > from && !args[from].IsEmpty()) {
    if (auto error = GetNumber(args[from], low)) return error;
  }
  if (args.size() > from + 1 && !args[from + 1].IsEmpty()) {
    if (auto error = GetNumber(args[from + 1], high)) return error;
  }
  if (low >= high) return Num();
  return std::nullopt;
}

template <bool kModern>
EvalValue BetaDist(Args args, CFunctionContext&) {
  double x = 0.0, alpha = 0.0, beta = 0.0, low = 0.0, high = 1.0;
  bool cumulative = true;
  if (auto error = Read(args.first(3), x, alpha, beta)) return *error;
  if (kModern) {
    if (auto error = GetBoolean(args[3], cumulative)) return *error;
  }
  if (auto error = ReadBounds(args, kModern ? 4 : 3, low, high)) return *error;
  if (alpha <= 0.0 || beta <= 0.0 || x < low || x > high) return Num();
  const double width = high - low;
  const double u = (x - low) / width;
  const double v = (high - x) / width;
  return NumberResult(cumulative ? IncompleteBeta(alpha, beta, u, v).lower
                                 : BetaDensity(alpha, beta, u, v) / width);
}

EvalValue BetaInv(Args args, CFunctionContext&) {
  double p = 0.0, alpha = 0.0, beta = 0.0, low = 0.0, high = 1.0;
  if (auto error = Read(args.first(3), p, alpha, beta)) return *error;
  if (auto error = ReadBounds(args, 3, low, high)) return *error;
  if (p <= 0.0 || p > 1.0 || alpha <= 0.0 || beta <= 0.0) return Num();
  const double u = p == 1.0 ? 1.0 : InverseOfTails(StandardBeta(alpha, beta), p, 1.0 - p);
  return NumberResult(low + u * (high - low));
}

// ---- exponential and Weibull -------------------------------------------------------------------

EvalValue ExponDist(Args args, CFunctionContext&) {
  double x = 0.0, lambda = 0.0;
  bool cumulative = false;
  if (auto error = Read(args, x, lambda, cumulative)) return *error;
  if (x < 0.0 || lambda <= 0.0) return Num();
  return NumberResult(cumulative ? -std::expm1(-lambda * x) : lambda * std::exp(-lambda * x));
}

EvalValue Weibull(Args args, CFunctionContext&) {
  double x = 0.0, alpha = 0.0, beta = 0.0;
  bool cumulative = false;
  if (auto error = Read(args, x, alpha, beta, cumulative)) return *error;
  if (x < 0.0 || alpha <= 0.0 || beta <= 0.0) return Num();
  const double power = std::pow(x / beta, alpha);
  if (cumulative) return NumberResult(-std::expm1(-power));
  return NumberResult(alpha / beta * std::pow(x / beta, alpha - 1.0) * std::exp(-power));
}

// ---- discrete ----------------------------------------------------------------------------------

EvalValue BinomDist(Args args, CFunctionContext&) {
  double k = 0.0, n = 0.0, p = 0.0;
  bool cumulative = false;
  if (auto error = Read(args, k, n, p, cumulative)) return *error;
  k = std::trunc(k);
  n = std::trunc(n);
  if (k < 0.0 || k > n || p < 0.0 || p > 1.0) return Num();
  return NumberResult(cumulative ? BinomialCumulative(k, n, p) : BinomialMass(k, n, p));
}

EvalValue BinomInv(Args args, CFunctionContext&) {
  double n = 0.0, p = 0.0, alpha = 0.0;
  if (auto error = Read(args, n, p, alpha)) return *error;
  n = std::trunc(n);
  if (n < 0.0 || p < 0.0 || p > 1.0 || alpha < 0.0 || alpha > 1.0) return Num();
  // Summing the masses upwards finds ties exactly; where the first masses underflow, bisect.
  const double logFirst = p == 1.0 ? -std::numeric_limits<double>::infinity() : n * std::log1p(-p);
  if (logFirst > -700.0) {
    double mass = std::exp(logFirst);
    double cumulative = 0.0;
    for (double k = 0.0; k < n; ++k) {
      cumulative += mass;
      if (cumulative >= alpha) return EvalValue::Number(k);
      mass *= (n - k) / (k + 1.0) * p / (1.0 - p);
      // Past the mode with nothing left to add, only n itself reaches alpha.
      if (mass == 0.0 && k > n * p) break;
    }
    return EvalValue::Number(n);
  }
  double low = 0.0;  // cdf(low - 1) < alpha
  double high = n;   // cdf(high) >= alpha
  while (low < high) {
    const double middle = std::floor((low + high) / 2.0);
    if (BinomialCumulative(middle, n, p) >= alpha) {
      high = middle;
    } else {
      low = middle + 1.0;
    }
  }
  return EvalValue::Number(low);
}

EvalValue NegBinomDist(Args args, CFunctionContext&) {
  double failures = 0.0, successes = 0.0, p = 0.0;
  bool cumulative = false;
  if (auto error = Read(args.first(3), failures, successes, p)) return *error;
  if (args.size() > 3) {
    if (auto error = GetBoolean(args[3], cumulative)) return *error;
  }
  failures = std::trunc(failures);
  successes = std::trunc(successes);
  if (failures < 0.0 || successes < 1.0 || p < 0.0 || p > 1.0) return Num();
  if (cumulative) {
    return NumberResult(IncompleteBeta(successes, failures + 1.0, p, 1.0 - p).lower);
  }
  if (p == 0.0 || p == 1.0) return NumberResult(p == 1.0 && failures == 0.0 ? 1.0 : 0.0);
  return NumberResult(std::exp(LogChoose(failures + successes - 1.0, failures) +
                               successes * std::log(p) + failures * std::log1p(-p)));
}

EvalValue Poisson(Args args, CFunctionContext&) {
  double k = 0.0, mean = 0.0;
  bool cumulative = false;
  if (auto error = Read(args, k, mean, cumulative)) return *error;
  k = std::trunc(k);
  if (k < 0.0 || mean < 0.0) return Num();
  if (mean == 0.0) return EvalValue::Number(cumulative || k == 0.0 ? 1.0 : 0.0);
  if (cumulative) return NumberResult(IncompleteGamma(k + 1.0, mean).upper);
  return NumberResult(std::exp(k * std::log(mean) - mean - LogGamma(k + 1.0)));
}

EvalValue HypGeomDist(Args args, CFunctionContext&) {
  double drawnSuccesses = 0.0, drawn = 0.0, successes = 0.0, population = 0.0;
  bool cumulative = false;
  if (auto error = Read(args.first(4), drawnSuccesses, drawn, successes, population)) {
    return *error;
  }
  if (args.size() > 4) {
    if (auto error = GetBoolean(args[4], cumulative)) return *error;
  }
  const double s = std::trunc(drawnSuccesses);
  const double n = std::trunc(drawn);
  const double k = std::trunc(successes);
  const double total = std::trunc(population);
  if (total <= 0.0 || n <= 0.0 || n > total || k <= 0.0 || k > total || s < 0.0 ||
      s > std::min(n, k) || s < std::max(0.0, n - total + k)) {
    return Num();
  }
  const double denominator = LogChoose(total, n);
  const auto mass = [&](double i) {
    return std::exp(LogChoose(k, i) + LogChoose(total - k, n - i) - denominator);
  };
  if (!cumulative) return NumberResult(mass(s));
  double sum = 0.0;
  for (double i = std::max(0.0, n - total + k); i <= s; ++i) sum += mass(i);
  return NumberResult(std::min(1.0, sum));
}

// ---- gamma function ----------------------------------------------------------------------------

EvalValue Gamma(Args args, CFunctionContext&) {
  double x = 0.0;
  if (auto error = Read(args, x)) return *error;
  if (x == 0.0 || (x < 0.0 && x == std::floor(x))) return Num();
  return NumberResult(std::tgamma(x));
}

EvalValue GammaLn(Args args, CFunctionContext&) {
  double x = 0.0;
  if (auto error = Read(args, x)) return *error;
  if (x <= 0.0) return Num();
  return NumberResult(LogGamma(x));
}

// ---- confidence intervals and tests ------------------------------------------------------------

template <bool kStudent>
EvalValue Confidence(Args args, CFunctionContext&) {
  double alpha = 0.0, sd = 0.0, size = 0.0;
  if (auto error = Read(args, alpha, sd, size)) return *error;
  size = std::trunc(size);
  if (alpha <= 0.0 || alpha >= 1.0 || sd <= 0.0 || size < 1.0) return Num();
  if (kStudent && size == 1.0) return EvalValue::Error(ErrorCode::Div0);
  const double critical =
      kStudent ? StudentUpperQuantile(alpha / 2.0, size - 1.0) : -NormalQuantile(alpha / 2.0);
  return NumberResult(critical * sd / std::sqrt(size));
}

struct Sample {
  double n = 0.0;
  double mean = 0.0;
  double variance = 0.0;  // Sample variance; NaN below two values.
};

Sample Describe(const std::vector<double>& x) {
  Sample s;
  s.n = static_cast<double>(x.size());
  for (const double value : x) s.mean += value;
  s.mean /= s.n;
  double sum = 0.0;
  for (const double value : x) sum += (value - s.mean) * (value - s.mean);
  s.variance = s.n > 1.0 ? sum / (s.n - 1.0) : std::numeric_limits<double>::quiet_NaN();
  return s;
}

EvalValue ZTest(Args args, CFunctionContext& context) {
  std::vector<double> x;
  if (auto error = CollectNumbers(args.first(1), context, x)) return *error;
  double mu = 0.0;
  if (auto error = GetNumber(args[1], mu)) return *error;
  if (x.empty()) return EvalValue::Error(ErrorCode::NA);
  const Sample sample = Describe(x);
  double sigma = 0.0;
  if (args.size() > 2 && !args[2].IsEmpty()) {
    if (auto error = GetNumber(args[2], sigma)) return *error;
  } else {
    sigma = std::sqrt(sample.variance);
  }
  if (!(sigma > 0.0)) return EvalValue::Error(ErrorCode::Div0);
  return NumberResult(NormalTails((sample.mean - mu) / (sigma / std::sqrt(sample.n))).upper);
}

EvalValue TTest(Args args, CFunctionContext& context) {
  double tails = 0.0, type = 0.0;
  if (auto error = Read(args.subspan(2), tails, type)) return *error;
  tails = std::trunc(tails);
  type = std::trunc(type);
  if ((tails != 1.0 && tails != 2.0) || type < 1.0 || type > 3.0) return Num();
  double t = 0.0;
  double df = 0.0;
  if (type == 1.0) {
    // Paired: the differences at the positions where both arrays hold numbers.
    ValueArray first;
    ValueArray second;
    if (auto error = GetArray(args[0], context, first)) return *error;
    if (auto error = GetArray(args[1], context, second)) return *error;
    if (first.cells.size() != second.cells.size()) return EvalValue::Error(ErrorCode::NA);
    std::vector<double> differences;
    for (std::size_t i = 0; i < first.cells.size(); ++i) {
      if (first.cells[i].IsError()) return first.cells[i];
      if (second.cells[i].IsError()) return second.cells[i];
      if (first.cells[i].IsNumber() && second.cells[i].IsNumber()) {
        differences.push_back(first.cells[i].AsNumber() - second.cells[i].AsNumber());
      }
    }
    if (differences.size() < 2) return EvalValue::Error(ErrorCode::Div0);
    const Sample d = Describe(differences);
    t = d.mean / std::sqrt(d.variance / d.n);
    df = d.n - 1.0;
  } else {
    std::vector<double> x1;
    std::vector<double> x2;
    if (auto error = CollectNumbers(args.first(1), context, x1)) return *error;
    if (auto error = CollectNumbers(args.subspan(1, 1), context, x2)) return *error;
    if (x1.size() < 2 || x2.size() < 2) return EvalValue::Error(ErrorCode::Div0);
    const Sample a = Describe(x1);
    const Sample b = Describe(x2);
    if (type == 2.0) {
      df = a.n + b.n - 2.0;
      const double pooled = ((a.n - 1.0) * a.variance + (b.n - 1.0) * b.variance) / df;
      t = (a.mean - b.mean) / std::sqrt(pooled * (1.0 / a.n + 1.0 / b.n));
    } else {
      // Welch's test, with Satterthwaite's degrees of freedom left fractional.
      const double va = a.variance / a.n;
      const double vb = b.variance / b.n;
      t = (a.mean - b.mean) / std::sqrt(va + vb);
      df = (va + vb) * (va + vb) / (va * va / (a.n - 1.0) + vb * vb / (b.n - 1.0));
    }
  }
  if (!std::isfinite(t) || !(df > 0.0)) return EvalValue::Error(ErrorCode::Div0);
  return NumberResult(tails * StudentTails(std::fabs(t), df).upper);
}

// The numbers at the same positions of two ranges or arrays of one shape (#N/A otherwise), where
// both hold one; the first error met in either wins.
std::optional<EvalValue> NumberPairs(const EvalValue& first, const EvalValue& second,
                                     CFunctionContext& context, ValueArray& shape,
                                     std::vector<std::pair<double, double>>& pairs) {
  ValueArray other;
  if (auto error = GetArray(first, context, shape)) return error;
  if (auto error = GetArray(second, context, other)) return error;
  if (shape.rows != other.rows || shape.columns != other.columns) {
    return EvalValue::Error(ErrorCode::NA);
  }
  for (std::size_t i = 0; i < shape.cells.size(); ++i) {
    const EvalValue& a = shape.cells[i];
    const EvalValue& b = other.cells[i];
    if (a.IsError()) return a;
    if (b.IsError()) return b;
    if (a.IsNumber() && b.IsNumber()) pairs.emplace_back(a.AsNumber(), b.AsNumber());
  }
  return std::nullopt;
}

EvalValue ChiSqTest(Args args, CFunctionContext& context) {
  ValueArray shape;
  std::vector<std::pair<double, double>> pairs;
  if (auto error = NumberPairs(args[0], args[1], context, shape, pairs)) return *error;
  // A table's degrees of freedom; a single row or column has one fewer than its length.
  double df = 0.0;
  if (shape.rows > 1 && shape.columns > 1) {
    df = static_cast<double>(shape.rows - 1) * static_cast<double>(shape.columns - 1);
  } else {
    df = static_cast<double>(std::max(shape.rows, shape.columns) - 1);
  }
  if (df < 1.0) return EvalValue::Error(ErrorCode::NA);
  double statistic = 0.0;
  for (const auto& [observed, expected] : pairs) {
    if (expected == 0.0) return EvalValue::Error(ErrorCode::Div0);
    statistic += (observed - expected) * (observed - expected) / expected;
  }
  if (statistic < 0.0) return Num();
  return NumberResult(ChiSquareTails(statistic, df).upper);
}

// Two-tailed: the chance of variances at least this far apart, either way round.
EvalValue FTest(Args args, CFunctionContext& context) {
  std::vector<double> x1;
  std::vector<double> x2;
  if (auto error = CollectNumbers(args.first(1), context, x1)) return *error;
  if (auto error = CollectNumbers(args.subspan(1, 1), context, x2)) return *error;
  if (x1.size() < 2 || x2.size() < 2) return EvalValue::Error(ErrorCode::Div0);
  const Sample a = Describe(x1);
  const Sample b = Describe(x2);
  if (a.variance == 0.0 || b.variance == 0.0) return EvalValue::Error(ErrorCode::Div0);
  const Tails tails = FisherTails(a.variance / b.variance, a.n - 1.0, b.n - 1.0);
  return NumberResult(std::min(1.0, 2.0 * std::min(tails.lower, tails.upper)));
}

// Excel checks only that the probabilities add up to 1, not each of them.
EvalValue Prob(Args args, CFunctionContext& context) {
  ValueArray shape;
  std::vector<std::pair<double, double>> pairs;
  if (auto error = NumberPairs(args[0], args[1], context, shape, pairs)) return *error;
  double low = 0.0;
  if (auto error = GetNumber(args[2], low)) return *error;
  double high = low;
  if (args.size() > 3 && !args[3].IsEmpty()) {
    if (auto error = GetNumber(args[3], high)) return *error;
  }
  double total = 0.0;
  double inside = 0.0;
  for (const auto& [x, p] : pairs) {
    total += p;
    if (x >= low && x <= high) inside += p;
  }
  if (std::fabs(total - 1.0) > 1e-12) return Num();
  return NumberResult(inside);
}

// The chance of between `low` and `high` successes; the masses are added where that is cheap,
// which keeps small ranges far out in a tail precise.
EvalValue BinomDistRange(Args args, CFunctionContext&) {
  constexpr double kMostMassesAdded = 10000.0;
  double n = 0.0, p = 0.0, low = 0.0;
  if (auto error = Read(args.first(3), n, p, low)) return *error;
  double high = low;
  if (args.size() > 3 && !args[3].IsEmpty()) {
    if (auto error = GetNumber(args[3], high)) return *error;
  }
  n = std::trunc(n);
  low = std::trunc(low);
  high = std::trunc(high);
  if (n < 0.0 || p < 0.0 || p > 1.0 || low < 0.0 || low > n || high < low || high > n) {
    return Num();
  }
  if (high - low < kMostMassesAdded) {
    double sum = 0.0;
    for (double k = low; k <= high; ++k) sum += BinomialMass(k, n, p);
    return NumberResult(std::min(1.0, sum));
  }
  const double below = low > 0.0 ? BinomialCumulative(low - 1.0, n, p) : 0.0;
  return NumberResult(std::max(0.0, BinomialCumulative(high, n, p) - below));
}

}  // namespace

void RegisterDistributionFunctions(CFunctionTable& table) {
  const auto add = [&](std::wstring_view name, std::int16_t minArgs, std::int16_t maxArgs,
                       FunctionBody body) {
    AddFunction(table, {name, minArgs, maxArgs, "v", body, 0});
  };
  for (const std::wstring_view name : {L"NORM.DIST", L"NORMDIST"}) add(name, 4, 4, NormDist);
  for (const std::wstring_view name : {L"NORM.INV", L"NORMINV"}) add(name, 3, 3, NormInv);
  add(L"NORM.S.DIST", 2, 2, NormSDist);
  add(L"NORMSDIST", 1, 1, NormSDist);
  for (const std::wstring_view name : {L"NORM.S.INV", L"NORMSINV"}) add(name, 1, 1, NormSInv);
  add(L"PHI", 1, 1, Phi);
  add(L"GAUSS", 1, 1, Gauss);
  add(L"STANDARDIZE", 3, 3, Standardize);
  add(L"LOGNORM.DIST", 4, 4, LogNormDist);
  add(L"LOGNORMDIST", 3, 3, LogNormDist);
  for (const std::wstring_view name : {L"LOGNORM.INV", L"LOGINV"}) add(name, 3, 3, LogNormInv);
  add(L"FISHER", 1, 1, FisherTransform);
  add(L"FISHERINV", 1, 1, FisherTransformInverse);

  add(L"T.DIST", 3, 3, TDist<TTail::Left>);
  add(L"T.DIST.RT", 2, 2, TDist<TTail::Right>);
  add(L"T.DIST.2T", 2, 2, TDist<TTail::Two>);
  add(L"TDIST", 3, 3, TDistLegacy);
  add(L"T.INV", 2, 2, TInv);
  for (const std::wstring_view name : {L"T.INV.2T", L"TINV"}) add(name, 2, 2, TInvTwoTailed);

  add(L"CHISQ.DIST", 3, 3, ChiSqDist);
  for (const std::wstring_view name : {L"CHISQ.DIST.RT", L"CHIDIST"}) {
    add(name, 2, 2, ChiSqDistRight);
  }
  add(L"CHISQ.INV", 2, 2, ChiSqInv<false>);
  for (const std::wstring_view name : {L"CHISQ.INV.RT", L"CHIINV"}) add(name, 2, 2, ChiSqInv<true>);
  add(L"F.DIST", 4, 4, FDist);
  for (const std::wstring_view name : {L"F.DIST.RT", L"FDIST"}) add(name, 3, 3, FDistRight);
  add(L"F.INV", 3, 3, FInv<false>);
  for (const std::wstring_view name : {L"F.INV.RT", L"FINV"}) add(name, 3, 3, FInv<true>);

  for (const std::wstring_view name : {L"GAMMA.DIST", L"GAMMADIST"}) add(name, 4, 4, GammaDist);
  for (const std::wstring_view name : {L"GAMMA.INV", L"GAMMAINV"}) add(name, 3, 3, GammaInv);
  add(L"BETA.DIST", 4, 6, BetaDist<true>);
  add(L"BETADIST", 3, 5, BetaDist<false>);
  for (const std::wstring_view name : {L"BETA.INV", L"BETAINV"}) add(name, 3, 5, BetaInv);
  for (const std::wstring_view name : {L"EXPON.DIST", L"EXPONDIST"}) add(name, 3, 3, ExponDist);
  for (const std::wstring_view name : {L"WEIBULL", L"WEIBULL.DIST"}) add(name, 4, 4, Weibull);

  for (const std::wstring_view name : {L"BINOM.DIST", L"BINOMDIST"}) add(name, 4, 4, BinomDist);
  for (const std::wstring_view name : {L"BINOM.INV", L"CRITBINOM"}) add(name, 3, 3, BinomInv);
  add(L"NEGBINOM.DIST", 4, 4, NegBinomDist);
  add(L"NEGBINOMDIST", 3, 3, NegBinomDist);
  for (const std::wstring_view name : {L"POISSON", L"POISSON.DIST"}) add(name, 3, 3, Poisson);
  add(L"HYPGEOM.DIST", 5, 5, HypGeomDist);
  add(L"HYPGEOMDIST", 4, 4, HypGeomDist);

  add(L"GAMMA", 1, 1, Gamma);
  for (const std::wstring_view name : {L"GAMMALN", L"GAMMALN.PRECISE"}) add(name, 1, 1, GammaLn);

  for (const std::wstring_view name : {L"CONFIDENCE", L"CONFIDENCE.NORM"}) {
    add(name, 3, 3, Confidence<false>);
  }
  add(L"CONFIDENCE.T", 3, 3, Confidence<true>);
  for (const std::wstring_view name : {L"Z.TEST", L"ZTEST"}) {
    AddFunction(table, {name, 2, 3, "avv", ZTest, 0});
  }
  for (const std::wstring_view name : {L"T.TEST", L"TTEST"}) {
    AddFunction(table, {name, 4, 4, "aavv", TTest, 0});
  }
  for (const std::wstring_view name : {L"CHISQ.TEST", L"CHITEST"}) {
    AddFunction(table, {name, 2, 2, "aa", ChiSqTest, 0});
  }
  for (const std::wstring_view name : {L"F.TEST", L"FTEST"}) {
    AddFunction(table, {name, 2, 2, "aa", FTest, 0});
  }
  AddFunction(table, {L"PROB", 3, 4, "aavv", Prob, 0});
  add(L"BINOM.DIST.RANGE", 3, 4, BinomDistRange);
}

}  // namespace spreadsheet
