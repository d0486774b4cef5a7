#include "rules/position.h"

#include <cstdio>
#include <cstring>

CPosition::CPosition() {
  Clear();
  SetFromBoard(InitialBoard.data(), 1, nullptr);
}

void CPosition::CopyFrom(const CPosition& other) {
  std::memcpy(Board, other.Board, sizeof Board);
  std::memcpy(static_cast<void*>(PieceSquare), other.PieceSquare, sizeof PieceSquare);
  std::memcpy(RowBits, other.RowBits, sizeof RowBits);
  std::memcpy(ColBits, other.ColBits, sizeof ColBits);
}

void CPosition::Clear() {
  std::memset(Board, 0, sizeof Board);
  for (auto& square : PieceSquare) square = CSquare {};
  std::memset(RowBits, 0, sizeof RowBits);
  std::memset(ColBits, 0, sizeof ColBits);
}

int CPosition::SetFromBoard(const int32_t* board, int redToMove, char* fen) {
  CSquare found[48] {};
  for (int r = ROW_TOP; r <= ROW_BOTTOM; ++r) {
    for (int c = COL_LEFT; c <= COL_RIGHT; ++c) {
      const int id = board[SquareOf(r, c)];
      if (id == 0) continue;
      if (id < 1 || id > 32) return 0;
      found[id] = CSquare {r, c};
      if (!CanStand[PieceKind[id]][PieceSide[id]][SquareOf(r, c)]) return 0;
    }
  }
  Clear();
  std::memcpy(Board, board, sizeof Board);
  for (int id = 1; id <= 32; ++id) PieceSquare[id] = found[id];
  for (int r = ROW_TOP; r <= ROW_BOTTOM; ++r) {
    for (int c = COL_LEFT; c <= COL_RIGHT; ++c) {
      if (Board[SquareOf(r, c)] == 0) continue;
      RowBits[r] |= Bit[c];
      ColBits[c] |= Bit[r];
    }
  }
  if (fen) WriteFen(redToMove, fen);
  return 1;
}

void CPosition::WriteFen(int redToMove, char* fen) const {
  char* out = fen;
  for (int r = ROW_TOP; r <= ROW_BOTTOM; ++r) {
    int empty = 0;
    for (int c = COL_LEFT; c <= COL_RIGHT; ++c) {
      const int id = Board[SquareOf(r, c)];
      if (id == 0) {
        ++empty;
        continue;
      }
      if (empty > 0) out += std::sprintf(out, "%d", empty);
      *out++ = PieceLetter[id];
      empty = 0;
    }
    if (empty > 0) out += std::sprintf(out, "%d", empty);
    if (r < ROW_BOTTOM) *out++ = '/';
  }
  std::strcpy(out, redToMove == 1 ? " w - - 0 1" : " b - - 0 1");
}

std::string CPosition::Fen(int redToMove) const {
  char fen[FEN_BUFFER_SIZE];
  WriteFen(redToMove, fen);
  return fen;
}

namespace {
// Kind and side of a FEN piece letter; kind 0 for anything else.
void LetterToPiece(char letter, int& kind, int& side) {
  side = (letter >= 'a' && letter <= 'z') ? BLACK : RED;
  switch (letter) {
    case 'R': case 'r': kind = CHARIOT; return;
    case 'C': case 'c': kind = CANNON; return;
    case 'N': case 'n': case 'H': case 'h': kind = HORSE; return;
    case 'A': case 'a': kind = ADVISOR; return;
    case 'B': case 'b': case 'E': case 'e': kind = ELEPHANT; return;
    case 'P': case 'p': kind = PAWN; return;
    case 'K': case 'k': kind = KING; return;
    default: kind = KIND_NONE; side = NO_SIDE; return;
  }
}

// The side recorded in SetFromFen's letter board (NO_SIDE when empty).
int PieceSideOfLetter(int32_t letter) { return letter == 0 ? NO_SIDE : (letter - 1) % 2; }
}  // namespace

// Like pieces are numbered as in the start position: each side from its own
// back rank and its own right-hand side, so black in reading order (top row
// first, left to right) and red in the reverse order (bottom row first, right
// to left). The start FEN thus gives exactly the start position's identities,
// and a game loaded from a file names the same pieces as one begun new.
int CPosition::SetFromFen(const char* text, int& redToMove) {
  int32_t letters[256] {};  // kind * 2 + side + 1 per square, 0 when empty
  int pieceCount[8][2] {};
  int row = ROW_TOP, col = COL_LEFT;
  const char* p = text;
  for (; *p != ' '; ++p) {
    const char ch = *p;
    if (ch == '\0') return 0;  // no blank after the board part
    if (ch == '/') {
      ++row;
      col = COL_LEFT;
      continue;
    }
    if (row < ROW_TOP || row > ROW_BOTTOM || col < COL_LEFT || col > COL_RIGHT) return 0;
    int kind, side;
    LetterToPiece(ch, kind, side);
    if (kind == KIND_NONE) {
      if (ch < '1' || ch > '9') return 0;
      col += ch - '0';
      continue;
    }
    // A sixth pawn, a third chariot, a second king... of one side.
    if (++pieceCount[kind][side] > KindIdRange[kind][side][1] - KindIdRange[kind][side][0] + 1) return 0;
    letters[SquareOf(row, col)] = kind * 2 + side + 1;
    ++col;
  }
  while (*p == ' ') ++p;
  redToMove = (*p == 'b' || *p == 'B') ? 0 : 1;

  int32_t board[256] {};
  int nextId[8][2] {};
  for (int kind = 1; kind <= 7; ++kind)
    for (int side = RED; side <= BLACK; ++side) nextId[kind][side] = KindIdRange[kind][side][0];
  auto number = [&](int square) {
    if (letters[square] == 0) return;
    const int kind = (letters[square] - 1) / 2, side = (letters[square] - 1) % 2;
    board[square] = nextId[kind][side]++;
  };
  for (int square = 0; square < 256; ++square)
    if (PieceSideOfLetter(letters[square]) == BLACK) number(square);
  for (int square = 255; square >= 0; --square)
    if (PieceSideOfLetter(letters[square]) == RED) number(square);
  return SetFromBoard(board, redToMove, nullptr);
}

int CPosition::CountPieces(int* difference) const {
  int count[2] = {0, 0};
  for (int id = 1; id <= 32; ++id)
    if (IsOnBoard(id)) ++count[PieceSide[id]];
  if (difference) *difference = count[RED] - count[BLACK];
  return count[RED] < count[BLACK] ? count[RED] : count[BLACK];
}

int CPosition::MirrorInto(CPosition& target) const {
  int32_t board[256] {};
  for (int r = ROW_TOP; r <= ROW_BOTTOM; ++r)
    for (int c = COL_LEFT; c <= COL_RIGHT; ++c)
      if (const int id = Board[SquareOf(r, c)]; id != 0) board[SquareOf(r, 14 - c)] = MirrorPiece[id];
  return target.SetFromBoard(board, 1, nullptr);
}

int CPosition::RotateInto(CPosition& target) const {
  int32_t board[256] {};
  for (int r = ROW_TOP; r <= ROW_BOTTOM; ++r)
    for (int c = COL_LEFT; c <= COL_RIGHT; ++c)
      if (const int id = Board[SquareOf(r, c)]; id != 0)
        board[SquareOf(15 - r, 14 - c)] = SwapColourPiece[id];
  return target.SetFromBoard(board, 1, nullptr);
}

bool CPosition::SamePlacement(const CPosition& other) const {
  return std::memcmp(Board, other.Board, sizeof Board) == 0 &&
         std::memcmp(static_cast<const void*>(PieceSquare), other.PieceSquare, sizeof PieceSquare) == 0 &&
         std::memcmp(RowBits, other.RowBits, sizeof RowBits) == 0 &&
         std::memcmp(ColBits, other.ColBits, sizeof ColBits) == 0;
}
