#include "sample_options.h"

#include "number_option.h"

namespace {

// An option that takes a number: one of the two fields is its target.
struct CNumberOption {
  const char* Name;
  int32_t* CSampleOptionFields::*Whole;
  float* CSampleOptionFields::*Real;
};

constexpr CNumberOption kNumberOptions[] = {
    {"--min-status-count", &CSampleOptionFields::MinStatusCount, nullptr},
    {"--min-move-coeff", nullptr, &CSampleOptionFields::MinMoveCoeff},
    {"--max-bytes", &CSampleOptionFields::MaxPatternListBytes, nullptr},
    {"--test-freq", &CSampleOptionFields::TestOverflowFreq, nullptr},
    {"--test-coeff", nullptr, &CSampleOptionFields::TestOverflowCoeff},
    {"--search-depth", &CSampleOptionFields::SearchDepth, nullptr},
    {"--score-weight", nullptr, &CSampleOptionFields::ScoreWeight},
    {"--score-scale", nullptr, &CSampleOptionFields::ScoreScale},
};

}  // namespace

bool ReadSampleOption(const std::vector<std::string>& args, size_t& i, const CSampleOptionFields& fields,
                      std::string& problem) {
  const std::string& arg = args[i];
  if (arg == "--cull-draw" || arg == "--leaf") {
    *(arg == "--leaf" ? fields.LeafPositions : fields.CullDraw) = 1;
    return true;
  }
  for (const CNumberOption& option : kNumberOptions) {
    if (arg != option.Name) continue;
    if (i + 1 >= args.size()) {
      problem = arg + " needs a value";
      return true;
    }
    const std::string& text = args[++i];
    const bool ok = option.Whole ? ReadInt32Text(text, *(fields.*option.Whole))
                                 : ReadFloatText(text, *(fields.*option.Real));
    if (!ok) problem = "'" + text + "' is not a number, for " + arg;
    return true;
  }
  return false;
}

const char kSampleOptionsUsage[] =
    "[--cull-draw] [--min-status-count N] [--min-move-coeff X] [--max-bytes N] "
    "[--test-freq N] [--test-coeff X] [--search-depth N [--score-weight X] [--score-scale CP] [--leaf]]";

const char kSampleOptionsHelp[] =
    "  --cull-draw           skip games that are not won by either side\n"
    "  --min-status-count N  skip games of fewer than N moves (default 6)\n"
    "  --min-move-coeff X    leave out this fraction of each game's first moves (0..1, default 0)\n"
    "  --max-bytes N         memory budget of the gathered patterns (default 1073741824)\n"
    "  --test-freq N         test the budget every N patterns (default 1000)\n"
    "  --test-coeff X        write a file when this fraction of the budget is used (default 0.8)\n"
    "  --search-depth N      the piece-value model searches every sampled position N plies\n"
    "                        deep (1..8; default 0, no search)\n"
    "  --score-weight X      every position becomes a pattern of its own whose target is\n"
    "                        (1-X) x the result + X x (0.1 + 0.8 logistic(score / scale)),\n"
    "                        the score the search's, from red's side (0..1, default 0)\n"
    "  --score-scale CP      centipawns to one unit of the logistic (default 400)\n"
    "  --leaf                sample the position at the end of the search's principal line\n"
    "                        instead of the position itself (TD-leaf)\n";
