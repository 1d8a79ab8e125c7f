// The special functions behind the statistical distributions: log-gamma and log-beta, the
// regularized incomplete gamma and beta functions with both tails, the normal distribution and
// its quantile, and a safeguarded inverse of any continuous distribution's tails.
#pragma once

#include <functional>

namespace spreadsheet {

// The two tails of a distribution at a point: P(X <= x) and P(X > x). Each is computed on its
// own, so that a tail far below 1 keeps its precision rather than being 1 minus a number near 1.
struct Tails {
  double lower = 0.0;
  double upper = 1.0;
};

// ln Γ(x) for x > 0.
double LogGamma(double x);
// ln B(a, b) for a, b > 0, without the cancellation of three log-gammas when a or b is large.
double LogBeta(double a, double b);

// The regularized incomplete gamma function: lower P(a, x) and upper Q(a, x), for a > 0, x >= 0.
Tails IncompleteGamma(double a, double x);
// The regularized incomplete beta function I_x(a, b) and 1 - I_x(a, b), for a, b > 0. `y` is
// 1 - x, passed separately because callers can often compute it more precisely than 1 - x.
Tails IncompleteBeta(double a, double b, double x, double y);

// The densities that go with them: x^(a-1) e^-x / Γ(a), and x^(a-1) y^(b-1) / B(a, b) with
// y = 1 - x.
double GammaDensity(double a, double x);
double BetaDensity(double a, double b, double x, double y);
// ln(x^a y^b / B(a, b)), the factor in front of the incomplete beta function.
double LogBetaFront(double a, double b, double x, double y);

// The standard normal distribution: density, tails and quantile (0 < p < 1).
double NormalDensity(double z);
Tails NormalTails(double z);
double NormalQuantile(double p);

// A continuous distribution as its inverse functions see it.
struct ContinuousDistribution {
  std::function<Tails(double)> tails;
  std::function<double(double)> density;
  double low = 0.0;  // The support's ends; `high` may be infinite.
  double high = 1.0;
  double guess = 1.0;  // Where to start looking, inside the support.
};

// The point where the lower tail is `p`, `q` being 1 - p given as precisely as the caller has it
// (the smaller of the two is the one matched). Gives NaN when no point is found.
double InverseOfTails(const ContinuousDistribution& distribution, double p, double q);

}  // namespace spreadsheet
