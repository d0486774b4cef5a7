// The scanf-style "%d" reader the key file and the book file are read with.
#include <gtest/gtest.h>

#include <string>

#include "common/int_scan.h"

namespace {

// Reads one number from text; rest gets what is left after it.
bool Read(const std::string& text, int32_t& value, std::string* rest = nullptr) {
  const char* p = text.data();
  const bool ok = ReadInt32(p, text.data() + text.size(), value);
  if (ok && rest) *rest = std::string(p, text.data() + text.size());
  return ok;
}

TEST(IntScanTest, ReadsAsScanfDoes) {
  int32_t value = 0;
  std::string rest;
  ASSERT_TRUE(Read("  \t\r\n-123;45", value, &rest));
  EXPECT_EQ(value, -123);
  EXPECT_EQ(rest, ";45");
  ASSERT_TRUE(Read("+7", value, &rest));
  EXPECT_EQ(value, 7);
  EXPECT_EQ(rest, "");
  ASSERT_TRUE(Read("0009x", value, &rest));
  EXPECT_EQ(value, 9);
  EXPECT_EQ(rest, "x");
}

TEST(IntScanTest, RefusesWhatIsNoNumber) {
  int32_t value = 5;
  for (const char* text : {"", "   ", "-", "+", "- 1", "x1", ";", "\v"}) {
    EXPECT_FALSE(Read(text, value)) << '"' << text << '"';
  }
  EXPECT_EQ(value, 5);  // untouched on failure
}

TEST(IntScanTest, ThirtyTwoBitBoundaries) {
  int32_t value = 0;
  ASSERT_TRUE(Read("2147483647", value));
  EXPECT_EQ(value, 2147483647);
  ASSERT_TRUE(Read("-2147483648", value));
  EXPECT_EQ(value, INT32_MIN);
  EXPECT_FALSE(Read("2147483648", value));
  EXPECT_FALSE(Read("-2147483649", value));
  EXPECT_FALSE(Read("99999999999999999999999", value));
}

TEST(IntScanTest, NeverReadsPastTheEnd) {
  // The digits go on in memory, but the end given stops the reader.
  const std::string text = "12345";
  const char* p = text.data();
  int32_t value = 0;
  ASSERT_TRUE(ReadInt32(p, text.data() + 3, value));
  EXPECT_EQ(value, 123);
  EXPECT_EQ(p, text.data() + 3);
  const std::string blanks = "   7";
  p = blanks.data();
  EXPECT_FALSE(ReadInt32(p, blanks.data() + 3, value));
}

}  // namespace
