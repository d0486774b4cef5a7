#pragma once
// The logistic function 1 / (1 + e^-x) of the network's units, rounded
// correctly to float: the float nearest the exact value, ties to even.
#include <cstdint>

float Logistic(float x);

// out[i] = Logistic(in[i]) for i < count; the same results, two at a time.
void LogisticMany(const float* in, float* out, int count);

// The slow path alone (what Logistic falls back to near a rounding boundary),
// exposed for tests.
float LogisticExact(float x);
