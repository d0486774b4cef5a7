#pragma once
// The sample-generation options of the command line, read alike by
// 'samples' and 'train --records' into whichever settings block holds them
// (CSampleSettings, CTrainParams). Ranges are the jobs' to check.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Where the options go: the block's own fields.
struct CSampleOptionFields {
  int32_t* CullDraw;
  int32_t* MinStatusCount;
  float* MinMoveCoeff;
  int32_t* MaxPatternListBytes;
  int32_t* TestOverflowFreq;
  float* TestOverflowCoeff;
  int32_t* SearchDepth;
  float* ScoreWeight;
  float* ScoreScale;
  int32_t* LeafPositions;
};

// The fields of any block that names them as the sample settings do.
template <class Settings>
CSampleOptionFields SampleOptionFieldsOf(Settings& s) {
  return {&s.CullDraw,          &s.MinStatusCount, &s.MinMoveCoeff, &s.MaxPatternListBytes,
          &s.TestOverflowFreq, &s.TestOverflowCoeff, &s.SearchDepth, &s.ScoreWeight,
          &s.ScoreScale,        &s.LeafPositions};
}

// False when args[i] is no sample option. Otherwise reads it into fields,
// moving i onto its value when it takes one, and returns true; problem is
// then set when the value is missing or no number.
bool ReadSampleOption(const std::vector<std::string>& args, size_t& i, const CSampleOptionFields& fields,
                      std::string& problem);

// The options for a usage line: "[--cull-draw] ... [--leaf]]".
extern const char kSampleOptionsUsage[];
// One help line per option, each ending in a newline.
extern const char kSampleOptionsHelp[];
