#pragma once
// A small feed-forward network without biases: Count0 inputs, two logistic
// hidden layers (Count11, Count12 units) and one logistic output, read as
// the expected result from red's side. It also carries its own training
// parameters, which its file stores with it.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "ann/logistic.h"

class CTdbpAnn {
 public:
  // Parameter block, in file order.
  int32_t Count0 = 0;
  int32_t Count11 = 0;
  int32_t Count12 = 0;
  float Lower = 0;
  float Upper = 0;
  int32_t MaxLearnCount = 0;
  int32_t AutoSaveCount = 0;
  int32_t ThreadCount = 0;
  float Alpha = 0;
  float Lambda = 0;

  std::vector<std::vector<float>> Weight11s;  // [Count11][Count0]
  std::vector<std::vector<float>> Weight12s;  // [Count12][Count11]
  std::vector<float> Weight2s;                // [Count12]

  // Scratch of Evaluate.
  std::vector<float> Sum11, Out11, Sum12, Out12;
  float SumOut = 0;
  float Out = 0;

  int32_t CurrLearnCount = 0;
  std::atomic<int> Running {0};  // 1 while a training run may go on; 0 asks it to stop

  // Moves on (to a value no network had before) whenever the weights change:
  // copies of the weights in another layout (CPackedAnn) are refreshed when
  // it differs from theirs. Whoever writes weights in place calls WeightsChanged.
  uint64_t WeightVersion = 0;
  void WeightsChanged();

  CTdbpAnn() = default;
  CTdbpAnn(int count0, int count11, int count12, float lower, float upper, int maxLearnCount,
           int autoSaveCount, int threadCount, float alpha, float lambda);
  CTdbpAnn(const CTdbpAnn& other) { CopyFrom(other); }
  CTdbpAnn& operator=(const CTdbpAnn& other) {
    if (this != &other) CopyFrom(other);
    return *this;
  }
  // Moving hands the weights over without drawing new random ones.
  CTdbpAnn(CTdbpAnn&& other) noexcept { MoveFrom(other); }
  CTdbpAnn& operator=(CTdbpAnn&& other) noexcept {
    if (this != &other) MoveFrom(other);
    return *this;
  }
  virtual ~CTdbpAnn() = default;

  int Create(int count0, int count11, int count12, float lower, float upper, int maxLearnCount,
             int autoSaveCount, int threadCount, float alpha, float lambda);
  void Destroy();
  bool IsEmpty() const { return Count0 <= 0 || Count11 <= 0 || Count12 <= 0; }
  int Randomize(float lower, float upper);
  // Forward pass into caller-supplied buffers (training keeps one set per position).
  int Forward(const float* input, float* sum11, float* sum12, float* out11, float* out12,
              float& sumOut, float& out) const;
  // The same pass given only the non-zero inputs: count (index, value) pairs
  // with ascending indexes below Count0. A zero input adds nothing to any
  // sum, so the results equal Forward's bit for bit.
  int ForwardSparse(const int32_t* index, const float* value, int count, float* sum11,
                    float* sum12, float* out11, float* out12, float& sumOut, float& out) const;
  // Forward pass into the network's own scratch; the result is left in Out.
  int Evaluate(const float* input);
  int EvaluateSparse(const int32_t* index, const float* value, int count) {
    return ForwardSparse(index, value, count, Sum11.data(), Sum12.data(), Out11.data(),
                         Out12.data(), SumOut, Out);
  }
  int CopyFrom(const CTdbpAnn& other);
  // Takes the other's contents; the other is left empty.
  void MoveFrom(CTdbpAnn& other) noexcept;

  // Text (binary = 0) or binary network files. Load fails (0) on a file that
  // cannot be opened or is damaged (a missing or non-finite value, truncated
  // weights, absurd sizes, trailing data), and leaves the network empty then.
  // A whole parameter block with a count of 0 loads as an empty network.
  int Load(const std::string& path, int binary = 0);
  int Save(const std::string& path, int binary = 0) const;
};

// Largest unit count and weight count a network file may declare; anything
// bigger is a damaged file, not a request for gigabytes.
constexpr int ANN_MAX_UNITS = 65536;
constexpr long long ANN_MAX_WEIGHTS = 1LL << 24;

// The default parameter set of a network made without a file.
constexpr float ANN_DEFAULT_LOWER = -0.1f;
constexpr float ANN_DEFAULT_UPPER = 0.1f;
constexpr int ANN_DEFAULT_MAX_LEARN_COUNT = 10000000;
constexpr int ANN_DEFAULT_AUTO_SAVE_COUNT = 1;
constexpr int ANN_DEFAULT_THREAD_COUNT = 1;
constexpr float ANN_DEFAULT_ALPHA = 0.01f;
constexpr float ANN_DEFAULT_LAMBDA = 0.9f;
