#include "ann/packed_ann.h"

#include <cstring>

namespace {

using V4f = float __attribute__((vector_size(16)));

inline V4f Broadcast(float x) { return V4f {x, x, x, x}; }

}  // namespace

void CPackedAnn::Pack(const CTdbpAnn& ann) {
  std::memset(Layer1, 0, sizeof Layer1);
  std::memset(Layer2, 0, sizeof Layer2);
  std::memset(Output, 0, sizeof Output);
  Units1 = ann.Count11;
  Units2 = ann.Count12;
  for (int u = 0; u < Units1; ++u)
    for (int j = 0; j < ann.Count0; ++j) Layer1[j][u] = ann.Weight11s[static_cast<size_t>(u)][static_cast<size_t>(j)];
  for (int u = 0; u < Units2; ++u)
    for (int j = 0; j < Units1; ++j) Layer2[j][u] = ann.Weight12s[static_cast<size_t>(u)][static_cast<size_t>(j)];
  for (int u = 0; u < Units2; ++u) Output[u] = ann.Weight2s[static_cast<size_t>(u)];
  Source = &ann;
  Version = ann.WeightVersion;
}

// Products and sums are separate statements and the build contracts no
// floating-point expressions, so no fused multiply-add changes a rounding.
void CPackedAnn::Evaluate(const int32_t* index, const float* value, int count, CTdbpAnn& ann) const {
  constexpr int kBlocks1 = MAX_UNITS1 / 4;
  constexpr int kBlocks2 = MAX_UNITS2 / 4;
  V4f sums1[kBlocks1] = {};
  for (int k = 0; k < count; ++k) {
    const V4f x = Broadcast(value[k]);
    const float* row = Layer1[index[k]];
    for (int q = 0; q < kBlocks1; ++q) {
      V4f w;
      std::memcpy(&w, row + 4 * q, sizeof w);
      const V4f product = x * w;
      sums1[q] = sums1[q] + product;
    }
  }
  alignas(16) float sum11[MAX_UNITS1];
  alignas(16) float out11[MAX_UNITS1];
  std::memcpy(sum11, sums1, sizeof sum11);
  LogisticMany(sum11, out11, Units1);

  V4f sums2[kBlocks2] = {};
  for (int j = 0; j < Units1; ++j) {
    const V4f x = Broadcast(out11[j]);
    const float* row = Layer2[j];
    for (int q = 0; q < kBlocks2; ++q) {
      V4f w;
      std::memcpy(&w, row + 4 * q, sizeof w);
      const V4f product = x * w;
      sums2[q] = sums2[q] + product;
    }
  }
  alignas(16) float sum12[MAX_UNITS2];
  alignas(16) float out12[MAX_UNITS2];
  std::memcpy(sum12, sums2, sizeof sum12);
  LogisticMany(sum12, out12, Units2);
  float sumOut = 0.0f;
  for (int i = 0; i < Units2; ++i) {
    const float product = out12[i] * Output[i];
    sumOut = sumOut + product;
  }

  const auto units1 = static_cast<size_t>(Units1) * sizeof(float);
  const auto units2 = static_cast<size_t>(Units2) * sizeof(float);
  std::memcpy(ann.Sum11.data(), sum11, units1);
  std::memcpy(ann.Out11.data(), out11, units1);
  std::memcpy(ann.Sum12.data(), sum12, units2);
  std::memcpy(ann.Out12.data(), out12, units2);
  ann.SumOut = sumOut;
  ann.Out = Logistic(sumOut);
}
