// Series and Lentz continued fractions for the incomplete gamma and beta functions, Stirling's
// series where log-gammas of large arguments would cancel, and Acklam's normal quantile polished
// by a Halley step.
#include "spreadsheet/calc/gamma_beta_functions.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace spreadsheet {

namespace {

constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
constexpr double kTiny = 1e-300;  // Keeps Lentz's denominators away from zero.
constexpr int kMaxIterations = 100000;
constexpr double kStirlingFrom = 10.0;

// ln Γ(z) minus Stirling's approximation (z - 1/2) ln z - z + ln(2π)/2, for z >= 10.
double StirlingRemainder(double z) {
  static constexpr double kCoefficients[] = {1.0 / 12.0,    -1.0 / 360.0,      1.0 / 1260.0,
                                             -1.0 / 1680.0, 1.0 / 1188.0,      -691.0 / 360360.0,
                                             1.0 / 156.0,   -3617.0 / 122400.0};
  const double z2 = 1.0 / (z * z);
  double sum = 0.0;
  for (int i = static_cast<int>(std::size(kCoefficients)) - 1; i >= 0; --i) {
    sum = sum * z2 + kCoefficients[i];
  }
  return sum / z;
}

// ln(x^a e^-x / Γ(a)), the factor in front of both incomplete gamma expansions.
double LogGammaFront(double a, double x) {
  if (a < kStirlingFrom) return a * std::log(x) - x - LogGamma(a);
  // a ln(x/a) - (x - a), through log1p where x is near a so that nothing cancels.
  const double d = (x - a) / a;
  const double main = std::fabs(d) < 0.5 ? a * (std::log1p(d) - d) : a * std::log(x / a) - (x - a);
  return main + 0.5 * std::log(a / (2.0 * std::numbers::pi)) - StirlingRemainder(a);
}

// Σ x^n / (a (a+1) ... (a+n)), the series for the lower tail.
double GammaSeries(double a, double x) {
  double term = 1.0 / a;
  double sum = term;
  for (int n = 1; n < kMaxIterations; ++n) {
    term *= x / (a + n);
    sum += term;
    if (std::fabs(term) < std::fabs(sum) * kEpsilon) break;
  }
  return sum;
}

// The continued fraction for the upper tail, by Lentz's method.
double GammaContinuedFraction(double a, double x) {
  double b = x + 1.0 - a;
  double c = 1.0 / kTiny;
  double d = 1.0 / b;
  double h = d;
  for (int i = 1; i < kMaxIterations; ++i) {
    const double an = -i * (i - a);
    b += 2.0;
    d = an * d + b;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = b + an / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    const double delta = d * c;
    h *= delta;
    if (std::fabs(delta - 1.0) < kEpsilon) break;
  }
  return h;
}

// The continued fraction of I_x(a, b), by Lentz's method; converges fast for x < (a+1)/(a+b+2).
double BetaContinuedFraction(double a, double b, double x) {
  const double sum = a + b;
  double c = 1.0;
  double d = 1.0 - sum * x / (a + 1.0);
  if (std::fabs(d) < kTiny) d = kTiny;
  d = 1.0 / d;
  double h = d;
  for (int m = 1; m < kMaxIterations; ++m) {
    const double m2 = 2.0 * m;
    double step = m * (b - m) * x / ((a - 1.0 + m2) * (a + m2));
    d = 1.0 + step * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + step / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    h *= d * c;
    step = -(a + m) * (sum + m) * x / ((a + m2) * (a + 1.0 + m2));
    d = 1.0 + step * d;
    if (std::fabs(d) < kTiny) d = kTiny;
    c = 1.0 + step / c;
    if (std::fabs(c) < kTiny) c = kTiny;
    d = 1.0 / d;
    const double delta = d * c;
    h *= delta;
    if (std::fabs(delta - 1.0) < kEpsilon) break;
  }
  return h;
}

// Acklam's rational approximation of the normal quantile (relative error about 1e-9), for
// 0 < p <= 0.5.
double AcklamLowerHalf(double p) {
  static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                 -2.759285104469687e+02, 1.383577518672690e+02,
                                 -3.066479806614716e+01, 2.506628277459239e+00};
  static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                 -1.556989798598866e+02, 6.680131188771972e+01,
                                 -1.328068155288572e+01};
  static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                 -2.400758277161838e+00, -2.549732539343734e+00,
                                 4.374664141464968e+00,  2.938163982698783e+00};
  static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                 2.445134137142996e+00, 3.754408661907416e+00};
  if (p < 0.02425) {
    const double q = std::sqrt(-2.0 * std::log(p));
    return (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
           ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
  }
  const double q = p - 0.5;
  const double r = q * q;
  return (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
         (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
}

}  // namespace

double LogGamma(double x) {
  return std::lgamma(x);
}

double LogBeta(double a, double b) {
  if (a < b) std::swap(a, b);  // a is the larger.
  const double sum = a + b;
  if (b >= kStirlingFrom) {
    return 0.5 * std::log(2.0 * std::numbers::pi) - 0.5 * std::log(sum) -
           (a - 0.5) * std::log1p(b / a) + (b - 0.5) * std::log(b / sum) + StirlingRemainder(a) +
           StirlingRemainder(b) - StirlingRemainder(sum);
  }
  if (a >= kStirlingFrom) {
    return LogGamma(b) - (a - 0.5) * std::log1p(b / a) - b * std::log(sum) + b +
           StirlingRemainder(a) - StirlingRemainder(sum);
  }
  return LogGamma(a) + LogGamma(b) - LogGamma(sum);
}

Tails IncompleteGamma(double a, double x) {
  if (!(x > 0.0)) return {0.0, 1.0};
  if (std::isinf(x)) return {1.0, 0.0};
  const double front = LogGammaFront(a, x);
  if (x < a + 1.0) {
    const double lower = std::min(1.0, std::exp(front + std::log(GammaSeries(a, x))));
    return {lower, 1.0 - lower};
  }
  const double upper = std::min(1.0, std::exp(front + std::log(GammaContinuedFraction(a, x))));
  return {1.0 - upper, upper};
}

double LogBetaFront(double a, double b, double x, double y) {
  // The logarithm of whichever of x and y is near 1 comes from the other, which is exact there.
  const double logX = x < 0.5 ? std::log(x) : std::log1p(-y);
  const double logY = y < 0.5 ? std::log(y) : std::log1p(-x);
  return a * logX + b * logY - LogBeta(a, b);
}

double GammaDensity(double a, double x) {
  if (x < 0.0) return 0.0;
  if (x == 0.0) return a < 1.0 ? std::numeric_limits<double>::infinity() : (a == 1.0 ? 1.0 : 0.0);
  return std::exp(LogGammaFront(a, x)) / x;
}

double BetaDensity(double a, double b, double x, double y) {
  if (x < 0.0 || y < 0.0) return 0.0;
  if (x == 0.0 || y == 0.0) {
    const double power = x == 0.0 ? a : b;
    if (power < 1.0) return std::numeric_limits<double>::infinity();
    return power == 1.0 ? std::exp(-LogBeta(a, b)) : 0.0;
  }
  return std::exp(LogBetaFront(a, b, x, y)) / (x * y);
}

Tails IncompleteBeta(double a, double b, double x, double y) {
  if (!(x > 0.0)) return {0.0, 1.0};
  if (!(y > 0.0)) return {1.0, 0.0};
  const double front = LogBetaFront(a, b, x, y);
  if (x < (a + 1.0) / (a + b + 2.0)) {
    const double lower =
        std::min(1.0, std::exp(front + std::log(BetaContinuedFraction(a, b, x) / a)));
    return {lower, 1.0 - lower};
  }
  const double upper =
      std::min(1.0, std::exp(front + std::log(BetaContinuedFraction(b, a, y) / b)));
  return {1.0 - upper, upper};
}

double NormalDensity(double z) {
  return std::exp(-0.5 * z * z) / std::sqrt(2.0 * std::numbers::pi);
}

Tails NormalTails(double z) {
  return {0.5 * std::erfc(-z / std::numbers::sqrt2), 0.5 * std::erfc(z / std::numbers::sqrt2)};
}

double NormalQuantile(double p) {
  if (!(p > 0.0 && p < 1.0)) return std::numeric_limits<double>::quiet_NaN();
  // 1 - p is exact for p >= 0.5, so the upper half is the mirror of the lower.
  if (p > 0.5) return -NormalQuantile(1.0 - p);
  double x = AcklamLowerHalf(p);
  for (int step = 0; step < 2; ++step) {
    const double error = NormalTails(x).lower - p;
    const double u = error * std::sqrt(2.0 * std::numbers::pi) * std::exp(0.5 * x * x);
    x -= u / (1.0 + 0.5 * x * u);
  }
  return x;
}

double InverseOfTails(const ContinuousDistribution& distribution, double p, double q) {
  const bool matchLower = p <= q;
  const double target = matchLower ? p : q;
  // Increasing in x, zero at the answer.
  const auto miss = [&](double x) {
    const Tails tails = distribution.tails(x);
    return matchLower ? tails.lower - target : target - tails.upper;
  };
  double low = distribution.low;
  double high = distribution.high;
  double x = std::clamp(distribution.guess, low, high);
  if (std::isinf(high)) {
    high = std::max(x, 1.0);
    for (int i = 0; miss(high) < 0.0; ++i) {
      if (i > 2100) return std::numeric_limits<double>::quiet_NaN();
      low = high;
      high *= 2.0;
    }
    x = std::clamp(x, low, high);
  }
  for (int iteration = 0; iteration < 400; ++iteration) {
    const double f = miss(x);
    if (f == 0.0) return x;
    if (f < 0.0) {
      low = x;
    } else {
      high = x;
    }
    if (high - low <= 4.0 * kEpsilon * std::fabs(x)) return x;
    const double slope = distribution.density(x);
    double next = x - f / slope;
    if (!(slope > 0.0) || !std::isfinite(next) || next <= low || next >= high) {
      // Bisect, geometrically across orders of magnitude.
      next = low > 0.0 && high > 4.0 * low ? std::sqrt(low * high) : 0.5 * (low + high);
    }
    if (std::fabs(next - x) <= kEpsilon * std::fabs(x)) return next;
    x = next;
  }
  return x;
}

}  // namespace spreadsheet
