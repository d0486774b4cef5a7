// The network model: encoding a position into the 91 inputs, the network's
// score, and loading or creating the networks at start-up.
#include <bit>
#include <filesystem>
#include <system_error>

#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/notices.h"
#include "common/shipped_data.h"
#include "engine/evaluator.h"
#include "engine/score.h"

namespace {

// Input value of each identity: red positive, black negative, 0 when empty.
constexpr auto kInputValue = [] {
  std::array<float, 48> table {};
  constexpr float byKind[8] = {0.0f, 0.01f, 0.02f, 0.0208f, 0.045f, 0.0475f, 0.1f, 1.0f};
  for (int id = 1; id <= 32; ++id)
    table[id] = id > 16 ? -byKind[PieceKind[id]] : byKind[PieceKind[id]];
  return table;
}();

constexpr float kRedToMoveInput = 0.005f;

bool FileExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace

int CEvaluator::EncodeInputs(const CPosition& position, int redToMove, float* inputs) const {
  for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row)
    for (int col = COL_LEFT; col <= COL_RIGHT; ++col)
      inputs[9 * (row - ROW_TOP) + (col - COL_LEFT)] =
          kInputValue[position.Board[SquareOf(row, col)]];
  inputs[90] = redToMove ? kRedToMoveInput : -kRedToMoveInput;
  return 1;
}

// The inputs of the occupied squares only, taken row by row from the
// occupancy masks: an empty square's input is 0 and adds nothing to any sum.
int CEvaluator::StaticAnn(const CPosition& position, int redToMove) {
  const int category = GetCategory(position);
  if (category < 0 || category >= AnnList.Count()) return NO_SCORE;
  CTdbpAnn& network = AnnList.GetAt(category);
  if (!network.IsEmpty() && network.Count0 != ANN_INPUT_COUNT) return NO_SCORE;

  int count = 0;
  for (int row = ROW_TOP; row <= ROW_BOTTOM; ++row) {
    uint32_t columns = (position.RowBits[row] >> COL_LEFT) & 0x1FFu;
    const int base = 9 * (row - ROW_TOP);
    const int32_t* board = position.Board + SquareOf(row, COL_LEFT);
    while (columns) {
      const int col = std::countr_zero(columns);
      columns &= columns - 1;
      ActiveIndex[count] = base + col;
      ActiveValue[count++] = kInputValue[board[col]];
    }
  }
  ActiveIndex[count] = ANN_INPUT_COUNT - 1;
  ActiveValue[count++] = redToMove ? kRedToMoveInput : -kRedToMoveInput;
  if (!UsePacked || network.IsEmpty() || !CPackedAnn::Fits(network)) {
    network.EvaluateSparse(ActiveIndex, ActiveValue, count);
  } else {
    if (!Packed.IsCopyOf(network)) Packed.Pack(network);
    Packed.Evaluate(ActiveIndex, ActiveValue, count, network);
  }

  // Exact in double: Out has 24 significant bits.
  const int score =
      static_cast<int>((2.0 * static_cast<double>(network.Out) - 1.0) * ANN_SCORE_SCALE);
  return redToMove ? score : -score;
}

int CEvaluator::InitAnnList(int count, int count0, int count11, int count12, const char* name,
                            const char* extension, const char* directory) {
  if (count <= 0 || count0 <= 0 || count11 <= 0 || count12 <= 0 || !name || !extension ||
      !directory)
    return 0;
  EnsureDirectory(directory);
  AnnList.Clear();
  int result = 1;
  for (int i = 0; i < count; ++i) {
    const std::string path = CTdbpAnnList::FileName(directory, name, i, extension);
    CTdbpAnn network;
    if (network.Load(path) && network.Count0 == count0 && network.Count11 == count11 &&
        network.Count12 == count12) {
      AnnList.Add(std::move(network));
      continue;
    }
    // Missing, damaged or of other sizes: a fresh network takes its place,
    // and an existing file is first kept aside under a new name.
    const bool existed = FileExists(path);
    const bool keptAside = !existed || !KeepAside(path).empty();
    if (!network.Create(count0, count11, count12, ANN_DEFAULT_LOWER, ANN_DEFAULT_UPPER,
                        ANN_DEFAULT_MAX_LEARN_COUNT, ANN_DEFAULT_AUTO_SAVE_COUNT,
                        ANN_DEFAULT_THREAD_COUNT, ANN_DEFAULT_ALPHA, ANN_DEFAULT_LAMBDA))
      return 0;
    // A file that could not be moved aside is never overwritten; the fresh
    // network is then used in memory only.
    const bool saved = keptAside && network.Save(path);
    if (!saved) {
      result = 0;
      PostNotice(CNoticeKind::NetworkInMemoryOnly, path);
    } else if (existed) {
      PostNotice(CNoticeKind::NetworkReplaced, path);
    }
    AnnList.Add(std::move(network));
  }
  return result;
}

int CEvaluator::InitDefaultAnnList() {
  SeedDataFolder();
  const std::string directory = GetExePath() + "ann/";
  return InitAnnList(1, ANN_INPUT_COUNT, 31, 11, "eval", ".ann", directory.c_str());
}
