#pragma once
// What may change from one training pass to the next: the learning rate,
// lowered from its start value to an end value over the passes, and the
// order in which the patterns are visited.
#include <cstdint>
#include <vector>

#include "ann/sample_file.h"

// The learning rate of pass `pass` (1..passes): geometric from start at
// pass 1 to end at the last pass, start * (end / start)^((pass - 1) / (passes - 1)),
// so every pass lowers it by the same factor. One pass, or start or end not
// above 0, keeps start.
float PassAlpha(float start, float end, int32_t pass, int32_t passes);

// Puts the patterns in a random order fixed by (seed, pass): the same seed
// and pass always give the same order, on every machine (a generator of its
// own, not the process-wide one, whose sequence other parts rely on).
void ShufflePatterns(std::vector<CPatternView>& patterns, uint32_t seed, int32_t pass);
