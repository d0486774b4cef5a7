#pragma once
// How a batch's summed update moves a run of weights: added as it is (the
// plain rule) or through Adam's rule. The sums and Adam's state lie in flat
// arrays beside the run; every weight takes exactly the operations of the
// one-weight formula, in loops the compiler turns into vector code.
#include <cstddef>

// weights[i] += totals[i], added in double and rounded once to float.
void AddTotals(float* weights, const double* totals, size_t count);

// One Adam step's rates: the learning rate and the bias corrections of the
// running means after `step` steps.
struct CAdamRates {
  double Alpha = 0;
  double MeanScale = 1, SquareScale = 1;
};
CAdamRates AdamRatesAt(double alpha, long long step);

// Adam's rule: totals (the update at the learning rate, so the gradient sum
// is totals / Alpha) feed running means m of the gradient and v of its
// square, and each weight moves by Alpha * m / (sqrt(v) + 1e-8),
// bias-corrected.
void AdamStep(float* weights, const double* totals, float* means, float* squares, size_t count,
              const CAdamRates& rates);
