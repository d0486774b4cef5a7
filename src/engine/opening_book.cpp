#include "engine/opening_book.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/exe_path.h"
#include "common/file_util.h"
#include "common/int_scan.h"
#include "common/notices.h"
#include "common/random.h"
#include "common/shipped_data.h"
#include "rules/pieces.h"

namespace {

// A cursor over the file text that reads the way the C library's scanf does
// with the book's formats: a blank or a line break in the format matches any
// run of white space (also none), other characters must match exactly, "%d"
// skips white space and reads a signed 32-bit decimal.
class CTextReader {
 public:
  CTextReader(const char* begin, const char* end) : P(begin), End(end) {}

  bool Match(const char* format, int32_t* value = nullptr) {
    const char* p = P;
    for (const char* f = format; *f; ++f) {
      if (IsSpace(*f)) {
        p = SkipSpace(p);
      } else if (f[0] == '%' && f[1] == 'd') {
        ++f;
        if (!value || !ReadInt(p, *value)) return false;
      } else {
        if (p >= End || *p != *f) return false;
        ++p;
      }
    }
    P = p;
    return true;
  }

  // Moves past the next occurrence of text; false when there is none.
  bool SkipPast(const char* text) {
    const size_t length = std::strlen(text);
    for (const char* p = P; p + length <= End; ++p)
      if (std::memcmp(p, text, length) == 0) {
        P = p + length;
        return true;
      }
    return false;
  }

  // One ";"-ended field holding just a number (white space around it allowed).
  // Fields that are not numbers are consumed too, so the reader stays aligned
  // on the separators: 1 number, 0 damaged field, -1 no further field.
  int Field(int32_t& value) {
    const char* semicolon = static_cast<const char*>(std::memchr(P, ';', static_cast<size_t>(End - P)));
    if (!semicolon) return -1;
    const char* p = P;
    const bool ok = ReadInt(p, value) && SkipSpace(p) == semicolon;
    P = semicolon + 1;
    return ok ? 1 : 0;
  }

  bool OnlySpaceLeft() const { return SkipSpace(P) == End; }

 private:
  static bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
  const char* SkipSpace(const char* p) const {
    while (p < End && IsSpace(*p)) ++p;
    return p;
  }
  bool ReadInt(const char*& p, int32_t& value) const { return ReadInt32(p, End, value); }

  const char* P;
  const char* End;
};

// Sort order of the book: LockHi descending (signed), then LockLo descending (unsigned).
int CompareLock(uint32_t lockLo, int32_t lockHi, const BookNode& node) {
  if (lockHi != node.LockHi) return lockHi > node.LockHi ? -1 : 1;
  if (lockLo != node.LockLo) return lockLo > node.LockLo ? -1 : 1;
  return 0;
}

bool SameLock(const BookNode& a, const BookNode& b) { return a.LockLo == b.LockLo && a.LockHi == b.LockHi; }

// A record the search can play: a piece that exists and a square on the board.
bool IsSoundNode(const BookNode& node) {
  return node.Piece >= 1 && node.Piece <= 32 && IsPlayable(node.ToRow, node.ToCol);
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Classic binary search over the sorted nodes. found = whether a node of the
// lock exists; the result is its index, or the insertion point when absent.
size_t FindLock(const std::vector<BookNode>& nodes, uint32_t lockLo, int32_t lockHi, bool& found) {
  int64_t low = 0, high = static_cast<int64_t>(nodes.size()) - 1;
  while (low <= high) {
    const int64_t middle = (low + high) / 2;
    const int order = CompareLock(lockLo, lockHi, nodes[static_cast<size_t>(middle)]);
    if (order == 0) {
      found = true;
      return static_cast<size_t>(middle);
    }
    if (order < 0)
      high = middle - 1;
    else
      low = middle + 1;
  }
  found = false;
  return static_cast<size_t>(low);
}

}  // namespace

COpeningBook::COpeningBook() {
  Reset();
  Load(DefaultPath());
}

std::string COpeningBook::DefaultPath() {
  SeedDataFolder();  // a new data folder starts with the shipped book
  return GetExePath() + "book/book.tab";
}

void COpeningBook::Reset() {
  MinWeight = 4;
  WonWeight = 3;
  DrawWeight = 1;
  LossWeight = -1;
  Nodes.clear();
}

int COpeningBook::Load(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, text)) return 0;
  Reset();
  LoadWarning.clear();
  const std::string name = FileNameOf(path);
  std::vector<std::string> problems;
  auto reportProblems = [&] {
    if (problems.empty()) return;
    std::string which = problems[0];
    for (size_t i = 1; i < problems.size(); ++i) which += "; " + problems[i];
    LoadWarning = EnglishNotice(CNoticeKind::BookReadInPart, name, which);
    PostNotice(CNoticeKind::BookReadInPart, name, which);
  };

  CTextReader reader(text.data(), text.data() + text.size());
  int32_t weights[4] = {MinWeight, WonWeight, DrawWeight, LossWeight};
  const char* weightFormats[4] = {"MinWeight =%d\n", "WonWeight =%d\n", "DrawWeight=%d\n", "LossWeight=%d\n"};
  bool headerSound = true;
  for (int i = 0; i < 4 && headerSound; ++i) headerSound = reader.Match(weightFormats[i], &weights[i]);
  if (headerSound) {
    MinWeight = weights[0];
    WonWeight = weights[1];
    DrawWeight = weights[2];
    LossWeight = weights[3];
  } else {
    problems.push_back("weight lines damaged, defaults kept");
  }

  // The count is only a promise: records are read while they are present,
  // so a wrong count never makes the reader run past the data.
  int32_t count = -1;
  bool countSound = headerSound ? reader.Match("\nBookNodeCount=%d\n\n", &count) : false;
  if (!countSound) {
    count = -1;
    if (!reader.SkipPast("BookNodeCount=")) {
      problems.push_back("no BookNodeCount line, no records read");
      reportProblems();
      return 1;
    }
    int32_t value = 0;
    if (reader.Match("%d\n\n", &value)) count = value;
  }
  if (count < 0) problems.push_back("BookNodeCount damaged");

  int64_t present = 0, damaged = 0;
  bool cutShort = false;  // the last record lost its tail; what is left belongs to it
  while (!cutShort) {
    int32_t fields[6] = {};
    bool sound = true;
    int read = 0;
    for (; read < 6; ++read) {
      const int result = reader.Field(fields[read]);
      if (result < 0) break;
      if (result == 0) sound = false;
    }
    if (read == 0) break;
    cutShort = read < 6;
    ++present;
    BookNode node;
    node.LockLo = static_cast<uint32_t>(fields[0]);
    node.LockHi = fields[1];
    node.Weight = fields[2];
    node.Piece = fields[3];
    node.ToRow = fields[4];
    node.ToCol = fields[5];
    if (read < 6 || !sound || !IsSoundNode(node)) {
      ++damaged;
      continue;
    }
    Nodes.push_back(node);
  }
  if (!cutShort && !reader.OnlySpaceLeft()) {
    ++present;  // a record cut short before its first ";"
    ++damaged;
  }

  if (damaged > 0)
    problems.push_back(std::to_string(damaged) + " of " + std::to_string(present) + " records damaged, dropped");
  if (count >= 0 && count != present)
    problems.push_back("BookNodeCount=" + std::to_string(count) + " but " + std::to_string(present) +
                       " records present");
  for (size_t i = 1; i < Nodes.size(); ++i)
    if (CompareLock(Nodes[i].LockLo, Nodes[i].LockHi, Nodes[i - 1]) < 0) {
      problems.push_back("records out of order, lookups may miss");
      break;
    }

  reportProblems();
  return 1;
}

int COpeningBook::Save(const std::string& path) {
  if (path == DefaultPath()) EnsureDirectory(GetExePath() + "book");
  CAtomicFile file;
  FILE* out = file.Open(path, "w");
  if (!out) return 0;
  std::fprintf(out, "MinWeight =%d\n", MinWeight);
  std::fprintf(out, "WonWeight =%d\n", WonWeight);
  std::fprintf(out, "DrawWeight=%d\n", DrawWeight);
  std::fprintf(out, "LossWeight=%d\n", LossWeight);
  std::fprintf(out, "\nBookNodeCount=%d\n\n", static_cast<int>(Nodes.size()));
  // The records as "%d;%d;%d;%d;%d;%d;" each, formatted in blocks: a built
  // book holds hundreds of thousands of them before it is culled.
  char block[1 << 16];
  size_t used = 0;
  for (const BookNode& node : Nodes) {
    if (used > sizeof block - 6 * 12) {
      std::fwrite(block, 1, used, out);
      used = 0;
    }
    for (const int32_t value : {static_cast<int32_t>(node.LockLo), node.LockHi, node.Weight, node.Piece,
                                node.ToRow, node.ToCol}) {
      used = static_cast<size_t>(std::to_chars(block + used, block + sizeof block, value).ptr - block);
      block[used++] = ';';
    }
  }
  std::fwrite(block, 1, used, out);
  std::fprintf(out, "\n");
  return file.Commit();
}

int COpeningBook::AddNode(const BookNode& node) {
  bool found = false;
  const size_t at = FindLock(Nodes, node.LockLo, node.LockHi, found);
  if (!found) {
    Nodes.insert(Nodes.begin() + static_cast<std::ptrdiff_t>(at), node);
    return 1;
  }
  auto sameMove = [&node](const BookNode& other) {
    return other.Piece == node.Piece && other.ToRow == node.ToRow && other.ToCol == node.ToCol;
  };
  if (sameMove(Nodes[at])) {
    Nodes[at].Weight = AddWeights(Nodes[at].Weight, node.Weight);
    return 1;
  }
  for (size_t i = at; i-- > 0 && SameLock(Nodes[i], node);)
    if (sameMove(Nodes[i])) {
      Nodes[i].Weight = AddWeights(Nodes[i].Weight, node.Weight);
      return 1;
    }
  size_t last = at;
  for (; last + 1 < Nodes.size() && SameLock(Nodes[last + 1], node); ++last)
    if (sameMove(Nodes[last + 1])) {
      Nodes[last + 1].Weight = AddWeights(Nodes[last + 1].Weight, node.Weight);
      return 1;
    }
  Nodes.insert(Nodes.begin() + static_cast<std::ptrdiff_t>(last + 1), node);
  return 1;
}

int COpeningBook::RandomIndex(int32_t draw, int count) {
  int index = static_cast<int>(std::floor(static_cast<double>(draw) * count / 2147483648.0));
  if (index < 0) index = 0;
  if (index > count - 1) index = count - 1;
  return index;
}

template <typename Visit>
void COpeningBook::ForEachCandidate(size_t at, int redToMove, Visit&& visit) const {
  const int side = redToMove ? RED : BLACK;
  auto consider = [&](size_t i) {
    const int id = Nodes[i].Piece;
    if (id >= 1 && id <= 32 && PieceSide[id] == side) visit(i);
  };
  consider(at);
  for (size_t i = at; i-- > 0 && SameLock(Nodes[i], Nodes[at]);) consider(i);
  for (size_t i = at + 1; i < Nodes.size() && SameLock(Nodes[i], Nodes[at]); ++i) consider(i);
}

int COpeningBook::Candidates(uint32_t lockLo, int32_t lockHi, int redToMove, BookNode* out, int maxCount) const {
  bool found = false;
  const size_t at = FindLock(Nodes, lockLo, lockHi, found);
  if (!found) return 0;
  int count = 0;
  ForEachCandidate(at, redToMove, [&](size_t i) {
    if (count < maxCount) out[count++] = Nodes[i];
  });
  return count;
}

int COpeningBook::Lookup(uint32_t lockLo, int32_t lockHi, int redToMove, int random, int& piece, int& toRow,
                         int& toCol) {
  bool found = false;
  const size_t at = FindLock(Nodes, lockLo, lockHi, found);
  if (!found) return 0;

  // The candidates are visited twice rather than collected, so a lookup
  // allocates nothing.
  int count = 0;
  size_t chosen = 0;
  ForEachCandidate(at, redToMove, [&](size_t i) {
    // Without the random flag: the largest weight, the earliest among equals.
    if (count == 0 || Nodes[i].Weight > Nodes[chosen].Weight) chosen = i;
    ++count;
  });
  if (count == 0) return 0;

  if (random) {
    SeedRandom();
    const int target = RandomIndex(static_cast<int32_t>(Random32()), count);
    int seen = 0;
    ForEachCandidate(at, redToMove, [&](size_t i) {
      if (seen++ == target) chosen = i;
    });
  }
  piece = Nodes[chosen].Piece;
  toRow = Nodes[chosen].ToRow;
  toCol = Nodes[chosen].ToCol;
  return 1;
}
