#include "rules/notation.h"

#include <cstdlib>
#include <cstring>

#include "rules/move_rules.h"
#include "rules/move_tables.h"

namespace {

// One two-byte character of an eight-byte notation.
std::string_view CharAt(std::string_view text, int index) {
  return text.substr(static_cast<size_t>(index) * 2, 2);
}

char* Put(char* out, const char* twoBytes) {
  out[0] = twoBytes[0];
  out[1] = twoBytes[1];
  return out + 2;
}

int PawnsOnColumn(const CPosition& position, int side, int col) {
  int count = 0;
  for (int id = KindIdRange[PAWN][side][0]; id <= KindIdRange[PAWN][side][1]; ++id)
    if (position.IsOnBoard(id) && position.PieceSquare[id].Col == col) ++count;
  return count;
}

// Pawns sharing a file are told apart by their place from the front; when a
// second file also holds two or more, the pawns of both files are numbered
// together, lower file number first (一兵 二兵 三兵 ...).
char* PutPawnPrefix(const CPosition& position, int id, char* out) {
  const int side = PieceSide[id];
  const CSquare square = position.PieceSquare[id];
  const int rank = RankNumber(square.Row, side);
  int count = 0, place = 1;
  for (int other = KindIdRange[PAWN][side][0]; other <= KindIdRange[PAWN][side][1]; ++other) {
    if (!position.IsOnBoard(other) || position.PieceSquare[other].Col != square.Col) continue;
    ++count;
    if (RankNumber(position.PieceSquare[other].Row, side) > rank) ++place;
  }
  const char* name = PieceName[PAWN][side];
  if (count == 1) return Put(Put(out, name), Numeral[FileNumber(square.Col, side)][side]);
  if (count >= 4) return Put(Put(out, Numeral[place][RED]), name);
  const int file = FileNumber(square.Col, side);
  for (int otherFile = 1; otherFile <= 9; ++otherFile) {
    if (otherFile == file) continue;
    const int otherCount = PawnsOnColumn(position, side, FileColumn(otherFile, side));
    if (otherCount < 2) continue;
    if (otherFile < file) place += otherCount;
    return Put(Put(out, Numeral[place][RED]), name);
  }
  const char* word = place == 1 ? GB_FRONT : (place == count ? GB_REAR : GB_MIDDLE);
  return Put(Put(out, word), name);
}

// Writes the two characters that name the piece (without NUL); nullptr when
// the piece is not on the board.
char* PutPrefix(const CPosition& position, int id, char* out) {
  if (id < 1 || id > 32 || !position.IsOnBoard(id)) return nullptr;
  const int kind = PieceKind[id], side = PieceSide[id];
  const CSquare square = position.PieceSquare[id];
  const char* name = PieceName[kind][side];
  switch (kind) {
    case PAWN:
      return PutPawnPrefix(position, id, out);
    case CHARIOT:
    case CANNON:
    case HORSE: {
      const int pair = MirrorPiece[id];
      const CSquare pairSquare = position.PieceSquare[pair];
      if (!pairSquare.IsNone() && pairSquare.Col == square.Col) {
        const bool front = RankNumber(square.Row, side) > RankNumber(pairSquare.Row, side);
        return Put(Put(out, front ? GB_FRONT : GB_REAR), name);
      }
      break;
    }
    default:
      break;
  }
  return Put(Put(out, name), Numeral[FileNumber(square.Col, side)][side]);
}

bool MovesByFile(int kind) { return kind == ELEPHANT || kind == ADVISOR || kind == HORSE; }

// Where the piece on `from` goes for a direction word and number; false
// when the words name no square on the board.
bool Destination(int kind, int side, const CSquare& from, std::string_view direction, int number,
                 CSquare& to) {
  if (number < 1 || number > 9) return false;
  const int rank = RankNumber(from.Row, side);
  int newRank = rank, col = from.Col;
  if (direction == GB_SIDEWAYS) {
    col = FileColumn(number, side);
  } else {
    int sign;
    if (direction == GB_FORWARD)
      sign = 1;
    else if (direction == GB_BACKWARD)
      sign = -1;
    else
      return false;
    if (!MovesByFile(kind)) {
      newRank = rank + sign * number;
    } else {
      col = FileColumn(number, side);
      int step;
      if (kind == HORSE) {
        const int across = std::abs(number - FileNumber(from.Col, side));
        if (across != 1 && across != 2) return false;
        step = across == 1 ? 2 : 1;
      } else {
        step = kind == ADVISOR ? 1 : 2;
      }
      newRank = rank + sign * step;
    }
  }
  if (col == 0 || newRank < 1 || newRank > 10) return false;
  to = CSquare {RankRow(newRank, side), col};
  return true;
}

}  // namespace

int FormatMove(const CPosition& position, const CMove& move, char* buffer) {
  buffer[0] = '\0';
  const int id = move.Piece;
  if (id < 1 || id > 32 || !IsPlayable(move.From.Row, move.From.Col) ||
      !IsPlayable(move.To.Row, move.To.Col))
    return 0;
  char* out = PutPrefix(position, id, buffer);
  if (out == nullptr) {
    buffer[0] = '\0';
    return 0;
  }
  const int kind = PieceKind[id], side = PieceSide[id];
  const int ranks = RankNumber(move.To.Row, side) - RankNumber(move.From.Row, side);
  out = Put(out, ranks > 0 ? GB_FORWARD : (ranks < 0 ? GB_BACKWARD : GB_SIDEWAYS));
  const int number = ranks == 0 || MovesByFile(kind) ? FileNumber(move.To.Col, side) : std::abs(ranks);
  out = Put(out, Numeral[number][side]);
  *out = '\0';
  return 1;
}

std::string FormatMove(const CPosition& position, const CMove& move) {
  char buffer[NOTATION_BUFFER_SIZE];
  return FormatMove(position, move, buffer) ? std::string(buffer) : std::string();
}

int ParseMove(const CPosition& position, int redToMove, std::string_view text, CMove& move) {
  move = CMove {};
  const int side = redToMove ? RED : BLACK;
  char normal[NOTATION_BUFFER_SIZE];
  if (!NormaliseNotation(side, text, normal)) return 0;
  const std::string_view notation(normal, NOTATION_BYTES);
  const std::string_view direction = CharAt(notation, 2);
  const int number = MapNumber(NotationMaps().NameNumber, CharAt(notation, 3));
  BuildMoveTables();
  constexpr int kindOrder[] = {PAWN, ELEPHANT, ADVISOR, HORSE, CANNON, CHARIOT, KING};
  for (const int kind : kindOrder) {
    bool found = false;
    for (int id = KindIdRange[kind][side][0]; id <= KindIdRange[kind][side][1] && !found; ++id) {
      char prefix[4];
      if (PutPrefix(position, id, prefix) == nullptr) continue;
      if (std::memcmp(prefix, normal, 4) != 0) continue;
      const CSquare from = position.PieceSquare[id];
      CSquare to;
      if (!Destination(kind, side, from, direction, number, to)) continue;
      move = CMove {id, position.Board[to.Index()], from, to};
      // Two elephants or advisors may share a file: take the one that can move.
      found = (kind != ELEPHANT && kind != ADVISOR) || IsPseudoLegal(position, redToMove, move);
    }
    if (found) break;
  }
  return IsPseudoLegal(position, redToMove, move);
}

int NormaliseNotation(int side, std::string_view text, char* buffer) {
  buffer[0] = '\0';
  if (text.size() != NOTATION_BYTES || (side != RED && side != BLACK)) return 0;
  const CNotationMaps& maps = NotationMaps();
  char* out = buffer;
  for (int index = 0; index < 4; ++index) {
    const std::string_view ch = CharAt(text, index);
    const int kind = MapNumber(maps.NameKind, ch);
    const int number = MapNumber(maps.NameNumber, ch);
    if (kind >= PAWN && kind <= KING) {
      out = Put(out, PieceName[kind][side]);
    } else if (number >= 1 && number <= 9) {
      // A leading numeral before a piece name is a pawn's place (二卒), which
      // is written in Chinese numerals for both sides.
      const bool place = index == 0 && MapNumber(maps.NameKind, CharAt(text, 1)) != KIND_NONE;
      out = Put(out, Numeral[number][place ? RED : side]);
    } else {
      out = Put(out, ch.data());
    }
  }
  *out = '\0';
  return 1;
}

std::string NormaliseNotation(int side, std::string_view text) {
  char buffer[NOTATION_BUFFER_SIZE];
  return NormaliseNotation(side, text, buffer) ? std::string(buffer) : std::string();
}

namespace {

int ConvertEach(std::string_view text, const CTextMap& map, std::string& out) {
  out.clear();
  if (text.size() != NOTATION_BYTES) return 0;
  for (int index = 0; index < 4; ++index) out += MapText(map, CharAt(text, index));
  return out.empty() ? 0 : 1;
}

}  // namespace

int ToSpokenText(std::string_view text, std::string& out) {
  return ConvertEach(text, NotationMaps().SpokenForm, out);
}

int ToDigitCode(std::string_view text, std::string& out) {
  return ConvertEach(text, NotationMaps().DigitCode, out);
}
