#pragma once
// A network's weights laid out for evaluation in the search: for each input
// the first layer's weights of all units side by side, and for each first-layer
// unit the second layer's weights side by side, so that one vector register
// carries four units' sums. Each unit's sum still takes its terms in input
// order with every partial sum rounded to float, so the results equal
// CTdbpAnn::Forward bit for bit. Fixed arrays: packing allocates nothing.
#include <cstdint>

#include "ann/tdbp_ann.h"

class CPackedAnn {
 public:
  static constexpr int MAX_INPUTS = 96;
  static constexpr int MAX_UNITS1 = 32;
  static constexpr int MAX_UNITS2 = 16;

  // Whether a network's sizes fit the fixed arrays.
  static bool Fits(const CTdbpAnn& ann) {
    return ann.Count0 <= MAX_INPUTS && ann.Count11 <= MAX_UNITS1 && ann.Count12 <= MAX_UNITS2;
  }
  // Whether this copy holds the network's current weights.
  bool IsCopyOf(const CTdbpAnn& ann) const {
    return Source == &ann && Version == ann.WeightVersion;
  }
  // Makes the next IsCopyOf false, whatever happened to the weights.
  void Forget() { Source = nullptr; }
  // Copies a non-empty network that Fits.
  void Pack(const CTdbpAnn& ann);

  // The forward pass over the non-zero inputs (count (index, value) pairs,
  // ascending indexes below Count0), leaving every sum and output in the
  // network's scratch fields as CTdbpAnn::Evaluate does.
  void Evaluate(const int32_t* index, const float* value, int count, CTdbpAnn& ann) const;

 private:
  alignas(16) float Layer1[MAX_INPUTS][MAX_UNITS1] {};
  alignas(16) float Layer2[MAX_UNITS1][MAX_UNITS2] {};
  float Output[MAX_UNITS2] {};
  int Units1 = 0;
  int Units2 = 0;
  const CTdbpAnn* Source = nullptr;
  uint64_t Version = 0;
};
