// Ordinary least squares as LINEST, LOGEST, TREND and GROWTH compute it: a QR decomposition of
// the (centered, with a constant) regressors that leaves out regressors dependent on earlier ones,
// with LINEST's statistics.
#pragma once

#include <cstddef>
#include <vector>

namespace spreadsheet {

struct LeastSquaresFit {
  // One per regressor, in the order given; 0 for a regressor left out.
  std::vector<double> coefficients;
  double intercept = 0.0;  // 0 without a constant.

  // LINEST's statistics; NaN where a division by zero leaves one undefined.
  std::vector<double> standardErrors;  // 0 for a regressor left out.
  double interceptError = 0.0;         // NaN without a constant.
  double rSquared = 0.0;
  double standardErrorOfY = 0.0;
  double fStatistic = 0.0;
  double degreesOfFreedom = 0.0;
  double regressionSumOfSquares = 0.0;
  double residualSumOfSquares = 0.0;
};

// Fits y ≈ intercept + Σ coefficients[j] * regressors[j][i]. Every regressor has y.size() values.
LeastSquaresFit FitLeastSquares(const std::vector<std::vector<double>>& regressors,
                                const std::vector<double>& y, bool constant);

}  // namespace spreadsheet
