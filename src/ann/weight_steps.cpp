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

// Calls step(i, total) for every sum of the run, the totals in thread
// order, and clears the applying thread's sums. One and two threads have
// loops of their own, which the compiler vectorises.
template <typename Step>
inline void ForEachTotal(const CRunSums& sums, size_t count, const Step& step) {
  if (sums.Count == 1) {
    double* __restrict own = sums.Parts[0];
    for (size_t i = 0; i < count; ++i) {
      const double total = 0.0 + own[i];
      own[i] = 0.0;
      step(i, total);
    }
  } else if (sums.Count == 2) {
    double* __restrict own = sums.Parts[sums.Own];
    const double* __restrict other = sums.Parts[1 - sums.Own];
    if (sums.Own == 0)
      for (size_t i = 0; i < count; ++i) {
        const double total = (0.0 + own[i]) + other[i];
        own[i] = 0.0;
        step(i, total);
      }
    else
      for (size_t i = 0; i < count; ++i) {
        const double total = (0.0 + other[i]) + own[i];
        own[i] = 0.0;
        step(i, total);
      }
  } else {
    for (size_t i = 0; i < count; ++i) {
      double total = 0.0;
      for (int a = 0; a < sums.Count; ++a) total += sums.Parts[a][i];
      sums.Parts[sums.Own][i] = 0.0;
      step(i, total);
    }
  }
}

}  // namespace

void AddTotals(float* __restrict weights, const CRunSums& sums, size_t count) {
  ForEachTotal(sums, count, [&](size_t i, double total) {
    weights[i] = static_cast<float>(static_cast<double>(weights[i]) + total);
  });
}

CAdamRates AdamRatesAt(double alpha, long long step) {
  CAdamRates rates;
  rates.Alpha = alpha;
  rates.MeanScale = 1.0 / (1.0 - std::pow(kAdamMeanDecay, static_cast<double>(step)));
  rates.SquareScale = 1.0 / (1.0 - std::pow(kAdamSquareDecay, static_cast<double>(step)));
  return rates;
}

void AdamStep(float* __restrict weights, const CRunSums& sums, float* __restrict means,
              float* __restrict squares, size_t count, const CAdamRates& rates) {
  const double alpha = rates.Alpha, meanScale = rates.MeanScale, squareScale = rates.SquareScale;
  // Every sum carries the learning rate, so with none they are all 0.
  const double unscale = alpha != 0 ? alpha : 1.0;
  ForEachTotal(sums, count, [&](size_t i, double total) {
    const double gradient = total / unscale;
    const float mean = static_cast<float>(kAdamMeanDecay * means[i] + (1 - kAdamMeanDecay) * gradient);
    const float square =
        static_cast<float>(kAdamSquareDecay * squares[i] + (1 - kAdamSquareDecay) * gradient * gradient);
    means[i] = mean;
    squares[i] = square;
    const double step = alpha * (mean * meanScale) / (std::sqrt(square * squareScale) + kAdamEpsilon);
    weights[i] = static_cast<float>(static_cast<double>(weights[i]) + step);
  });
}
