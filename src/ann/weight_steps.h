#pragma once
// How a batch's summed update moves a run of weights: added as it is (the
// plain rule) or through Adam's rule. Every thread has summed its share of
// the batch into an accumulator of its own; a run's total is the sum of the
// accumulators in thread order, each starting from 0 as a one-thread sum
// does, and the applying thread clears its own accumulator as it reads it.
// Adam's state lies in flat arrays beside the run. Every weight takes exactly
// the operations of the one-weight formula, in loops the compiler turns into
// vector code.
#include <cstddef>

// One run's sums in every thread's accumulator.
struct CRunSums {
  double* const* Parts;  // Parts[a]: thread a's sums of the run
  int Count = 1;               // threads
  int Own = 0;                 // the applying thread, whose sums are cleared
};

// weights[i] += the total, added in double and rounded once to float.
void AddTotals(float* weights, const CRunSums& sums, size_t count);

// One Adam step's rates: the learning rate and the bias corrections of the
// running means after `step` steps.
struct CAdamRates {
  double Alpha = 0;
  double MeanScale = 1, SquareScale = 1;
};
CAdamRates AdamRatesAt(double alpha, long long step);

// Adam's rule: the total (the update at the learning rate, so the gradient
// sum is total / Alpha) feeds running means m of the gradient and v of its
// square, and each weight moves by Alpha * m / (sqrt(v) + 1e-8),
// bias-corrected.
void AdamStep(float* weights, const CRunSums& sums, float* means, float* squares, size_t count,
              const CAdamRates& rates);
