#pragma once
// Reading the numeric values of command options: the whole text must be a
// number within the given range.
#include <cstdint>
#include <string>

// True with value set when text is a whole number in min..max.
bool ReadIntOption(const std::string& text, long long min, long long max, int32_t& value);
// True with value set when text is a finite number in min..max.
bool ReadFloatOption(const std::string& text, double min, double max, float& value);
// True with value set when text is a whole number in the 32-bit range; the
// jobs check the range of their settings themselves.
bool ReadInt32Text(const std::string& text, int32_t& value);
// The same for 64-bit whole numbers (seeds).
bool ReadInt64Text(const std::string& text, int64_t& value);
// True with value set when text is a number (the job checks its range).
bool ReadFloatText(const std::string& text, float& value);
