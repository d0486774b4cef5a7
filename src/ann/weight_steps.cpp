#include "ann/weight_steps.h"

#include <cmath>

// Built with -fno-math-errno: a sqrt that need not set errno is one vector
// instruction, where the one that may is a call the loop cannot be
// vectorised around. The means of squares are never negative.

namespace {

// Adam's usual constants.
constexpr double kAdamMeanDecay = 0.9;
constexpr double kAdamSquareDecay = 0.999;
constexpr double kAdamEpsilon = 1e-8;

}  // namespace

void AddTotals(float* __restrict weights, const double* __restrict totals, size_t count) {
  for (size_t i = 0; i < count; ++i)
    weights[i] = static_cast<float>(static_cast<double>(weights[i]) + totals[i]);
}

CAdamRates AdamRatesAt(double alpha, long long step) {
  CAdamRates rates;
  rates.Alpha = alpha;
  rates.MeanScale = 1.0 / (1.0 - std::pow(kAdamMeanDecay, static_cast<double>(step)));
  rates.SquareScale = 1.0 / (1.0 - std::pow(kAdamSquareDecay, static_cast<double>(step)));
  return rates;
}

void AdamStep(float* __restrict weights, const double* __restrict totals, float* __restrict means,
              float* __restrict squares, size_t count, const CAdamRates& rates) {
  const double alpha = rates.Alpha, meanScale = rates.MeanScale, squareScale = rates.SquareScale;
  // Every sum carries the learning rate, so with none they are all 0.
  const double unscale = alpha != 0 ? alpha : 1.0;
  for (size_t i = 0; i < count; ++i) {
    const double gradient = totals[i] / unscale;
    const float mean = static_cast<float>(kAdamMeanDecay * means[i] + (1 - kAdamMeanDecay) * gradient);
    const float square =
        static_cast<float>(kAdamSquareDecay * squares[i] + (1 - kAdamSquareDecay) * gradient * gradient);
    means[i] = mean;
    squares[i] = square;
    const double step = alpha * (mean * meanScale) / (std::sqrt(square * squareScale) + kAdamEpsilon);
    weights[i] = static_cast<float>(static_cast<double>(weights[i]) + step);
  }
}
