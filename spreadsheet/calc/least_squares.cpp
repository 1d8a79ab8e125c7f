// Householder QR of the regressors, one column at a time in the order given, so that a column
// dependent on earlier ones is the one left out, as Excel leaves it out.
#include "spreadsheet/calc/least_squares.h"

#include <cmath>
#include <limits>
#include <numeric>

namespace spreadsheet {

namespace {

// Below this part of its own length, what is left of a column after the earlier ones is rounding.
constexpr double kDependentColumn = 1e-12;

double SquaredNorm(const std::vector<double>& v, std::size_t from) {
  double sum = 0.0;
  for (std::size_t i = from; i < v.size(); ++i) sum += v[i] * v[i];
  return sum;
}

// A regressor that is constant (with a constant term, once centered) or zero carries nothing. Excel
// gives it a 0 coefficient without counting it as removed from the degrees of freedom.
bool IsFlat(const std::vector<double>& column, bool constant) {
  for (const double value : column) {
    if (value != (constant ? column.front() : 0.0)) return false;
  }
  return true;
}

}  // namespace

LeastSquaresFit FitLeastSquares(const std::vector<std::vector<double>>& regressors,
                                const std::vector<double>& y, bool constant) {
  const std::size_t n = y.size();
  const std::size_t k = regressors.size();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  LeastSquaresFit fit;
  fit.coefficients.assign(k, 0.0);
  fit.standardErrors.assign(k, 0.0);

  // Centering takes the constant out of the decomposition and keeps it well conditioned.
  std::vector<double> means(k, 0.0);
  double meanY = 0.0;
  if (constant) {
    for (std::size_t j = 0; j < k; ++j) {
      means[j] =
          std::accumulate(regressors[j].begin(), regressors[j].end(), 0.0) / static_cast<double>(n);
    }
    meanY = std::accumulate(y.begin(), y.end(), 0.0) / static_cast<double>(n);
  }
  std::vector<std::vector<double>> columns(k);
  for (std::size_t j = 0; j < k; ++j) {
    columns[j].resize(n);
    for (std::size_t i = 0; i < n; ++i) columns[j][i] = regressors[j][i] - means[j];
  }
  std::vector<double> centeredY(n);
  for (std::size_t i = 0; i < n; ++i) centeredY[i] = y[i] - meanY;
  std::vector<double> rotatedY = centeredY;

  std::vector<bool> usable(k);
  for (std::size_t j = 0; j < k; ++j) usable[j] = !IsFlat(regressors[j], constant);
  std::vector<double> originalNorms(k);
  for (std::size_t j = 0; j < k; ++j) originalNorms[j] = std::sqrt(SquaredNorm(columns[j], 0));

  std::vector<std::size_t> kept;  // Columns of R, in order.
  std::size_t removed = 0;
  for (std::size_t j = 0; j < k; ++j) {
    if (!usable[j]) continue;
    const std::size_t row = kept.size();
    std::vector<double>& column = columns[j];
    const double norm = row < n ? std::sqrt(SquaredNorm(column, row)) : 0.0;
    if (!(norm > kDependentColumn * originalNorms[j])) {
      usable[j] = false;
      ++removed;
      continue;
    }
    const double alpha = column[row] > 0.0 ? -norm : norm;
    std::vector<double> v(column.begin() + static_cast<std::ptrdiff_t>(row), column.end());
    v[0] -= alpha;
    const double vv = SquaredNorm(v, 0);
    const auto reflect = [&](std::vector<double>& target) {
      double dot = 0.0;
      for (std::size_t i = 0; i < v.size(); ++i) dot += v[i] * target[row + i];
      const double scale = 2.0 * dot / vv;
      for (std::size_t i = 0; i < v.size(); ++i) target[row + i] -= scale * v[i];
    };
    for (std::size_t later = j + 1; later < k; ++later) {
      if (usable[later]) reflect(columns[later]);
    }
    reflect(rotatedY);
    column[row] = alpha;
    for (std::size_t i = row + 1; i < n; ++i) column[i] = 0.0;
    kept.push_back(j);
  }

  // R b = Q'y by back substitution, and R's inverse for the standard errors.
  const std::size_t p = kept.size();
  const auto r = [&](std::size_t i, std::size_t m) { return columns[kept[m]][i]; };
  std::vector<double> b(p, 0.0);
  for (std::size_t m = p; m-- > 0;) {
    double sum = rotatedY[m];
    for (std::size_t c = m + 1; c < p; ++c) sum -= r(m, c) * b[c];
    b[m] = sum / r(m, m);
  }
  std::vector<std::vector<double>> inverse(p, std::vector<double>(p, 0.0));
  for (std::size_t c = 0; c < p; ++c) {
    inverse[c][c] = 1.0 / r(c, c);
    for (std::size_t m = c; m-- > 0;) {
      double sum = 0.0;
      for (std::size_t t = m + 1; t <= c; ++t) sum += r(m, t) * inverse[t][c];
      inverse[m][c] = -sum / r(m, m);
    }
  }

  double intercept = meanY;
  for (std::size_t m = 0; m < p; ++m) {
    fit.coefficients[kept[m]] = b[m];
    intercept -= b[m] * means[kept[m]];
  }
  fit.intercept = constant ? intercept : 0.0;

  const double total = SquaredNorm(centeredY, 0);
  double residual = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    double fitted = 0.0;
    for (std::size_t m = 0; m < p; ++m) fitted += b[m] * (regressors[kept[m]][i] - means[kept[m]]);
    residual += (centeredY[i] - fitted) * (centeredY[i] - fitted);
  }
  const double constantTerms = constant ? 1.0 : 0.0;
  const double df = static_cast<double>(n) - static_cast<double>(k) - constantTerms +
                    static_cast<double>(removed);
  // An exact fit, up to rounding; and with no degrees of freedom left Excel reports none.
  if (residual <= kDependentColumn * kDependentColumn * total || df <= 0.0) residual = 0.0;
  const double regression = total - residual;
  const double errorOfY = df > 0.0 ? std::sqrt(residual / df) : 0.0;
  const double modelDf = static_cast<double>(n) - df - constantTerms;

  fit.degreesOfFreedom = df;
  fit.residualSumOfSquares = residual;
  fit.regressionSumOfSquares = regression;
  fit.standardErrorOfY = errorOfY;
  fit.rSquared = total > 0.0 ? regression / total : nan;
  fit.fStatistic =
      df > 0.0 && residual > 0.0 && modelDf > 0.0 ? (regression / modelDf) / (residual / df) : nan;
  for (std::size_t m = 0; m < p; ++m) {
    double sum = 0.0;
    for (std::size_t c = m; c < p; ++c) sum += inverse[m][c] * inverse[m][c];
    fit.standardErrors[kept[m]] = errorOfY * std::sqrt(sum);
  }
  if (constant) {
    // Var(b) = σ²(1/n + x̄' (X'X)⁻¹ x̄) with X'X = R'R.
    double quadratic = 0.0;
    for (std::size_t c = 0; c < p; ++c) {
      double component = 0.0;
      for (std::size_t m = 0; m <= c; ++m) component += inverse[m][c] * means[kept[m]];
      quadratic += component * component;
    }
    fit.interceptError = errorOfY * std::sqrt(1.0 / static_cast<double>(n) + quadratic);
  } else {
    fit.interceptError = nan;
  }
  return fit;
}

}  // namespace spreadsheet
