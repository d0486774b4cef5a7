// The node totals of `tarvo-cli bench`: the engine's signature. Work that
// only makes the search faster leaves them as they are; any change of what
// the search or the evaluation does shows up here.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "test_support.h"

namespace {

std::string BenchTotal(const std::string& depth) {
  ScopedTarvoHome home;
  int code = -1;
  const std::string out = RunCommand(std::string(TARVO_CLI_PATH) + " bench " + depth + " 2>&1", &code);
  EXPECT_EQ(code, 0) << out;
  std::smatch match;
  if (!std::regex_search(out, match, std::regex(R"(\nnodes=(\d+) ms=)"))) return "none";
  return match[1];
}

}  // namespace

TEST(BenchSignature, NodeTotalAtDepthFour) { EXPECT_EQ(BenchTotal("4"), "128624"); }

TEST(BenchSignature, SlowNodeTotalAtDepthSix) { EXPECT_EQ(BenchTotal("6"), "2892031"); }
