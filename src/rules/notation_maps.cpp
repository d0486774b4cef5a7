#include "rules/notation_maps.h"

#include "rules/notation_names.h"

namespace {

void AddLetters(CNotationMaps& maps) {
  struct Letter {
    char Red;
    char Black;
    int Kind;
  };
  constexpr Letter letters[] = {{'R', 'r', CHARIOT}, {'C', 'c', CANNON},   {'N', 'n', HORSE},
                                {'H', 'h', HORSE},   {'A', 'a', ADVISOR},  {'B', 'b', ELEPHANT},
                                {'E', 'e', ELEPHANT}, {'P', 'p', PAWN},    {'K', 'k', KING}};
  for (const Letter& letter : letters) {
    maps.LetterKind[std::string(1, letter.Red)] = letter.Kind;
    maps.LetterKind[std::string(1, letter.Black)] = letter.Kind;
    maps.LetterSide[std::string(1, letter.Red)] = RED;
    maps.LetterSide[std::string(1, letter.Black)] = BLACK;
  }
  for (char digit = '1'; digit <= '9'; ++digit) {
    maps.LetterKind[std::string(1, digit)] = KIND_NONE;
    maps.LetterSide[std::string(1, digit)] = NO_SIDE;
  }
  maps.LetterKind["/"] = KIND_NONE;
  maps.LetterSide["/"] = NO_SIDE;
}

void AddNames(CNotationMaps& maps) {
  const char* const words[] = {GB_FRONT, GB_REAR, GB_MIDDLE, GB_FORWARD, GB_BACKWARD, GB_SIDEWAYS};
  for (int kind = PAWN; kind <= KING; ++kind) {
    for (int side = RED; side <= BLACK; ++side) {
      maps.NameKind[PieceName[kind][side]] = kind;
      maps.NameNumber[PieceName[kind][side]] = 0;
    }
  }
  maps.NameKind[GB_CHARIOT_SIMPLE] = CHARIOT;
  maps.NameKind[GB_HORSE_SIMPLE] = HORSE;
  maps.NameNumber[GB_CHARIOT_SIMPLE] = 0;
  maps.NameNumber[GB_HORSE_SIMPLE] = 0;
  for (int number = 1; number <= 9; ++number) {
    for (int side = RED; side <= BLACK; ++side) {
      maps.NameKind[Numeral[number][side]] = KIND_NONE;
      maps.NameNumber[Numeral[number][side]] = number;
    }
  }
  for (const char* word : words) {
    maps.NameKind[word] = KIND_NONE;
    maps.NameNumber[word] = 0;
  }
}

void AddSpokenForms(CNotationMaps& maps) {
  // The voice reads 車 as 驹 (the spoken "ju"); the other names in their
  // simplified form; numerals always as Chinese numerals.
  CTextMap& spoken = maps.SpokenForm;
  spoken[GB_CHARIOT] = spoken[GB_CHARIOT_SIMPLE] = GB_SPOKEN_CHARIOT;
  spoken[GB_RED_CANNON] = spoken[GB_BLACK_CANNON] = GB_BLACK_CANNON;
  spoken[GB_HORSE] = spoken[GB_HORSE_SIMPLE] = GB_HORSE_SIMPLE;
  spoken[GB_RED_ADVISOR] = spoken[GB_BLACK_ADVISOR] = GB_BLACK_ADVISOR;
  spoken[GB_RED_ELEPHANT] = spoken[GB_BLACK_ELEPHANT] = GB_BLACK_ELEPHANT;
  for (const char* same : {GB_RED_PAWN, GB_BLACK_PAWN, GB_RED_KING, GB_BLACK_KING, GB_FRONT,
                           GB_REAR, GB_MIDDLE, GB_FORWARD, GB_BACKWARD, GB_SIDEWAYS})
    spoken[same] = same;
  for (int number = 1; number <= 9; ++number)
    spoken[Numeral[number][RED]] = spoken[Numeral[number][BLACK]] = Numeral[number][RED];
}

void AddDigitCodes(CNotationMaps& maps) {
  CTextMap& code = maps.DigitCode;
  // Both characters of a pair get one symbol (built as a std::string each
  // time: GCC 12 at -O3 warns falsely on chained assignments of literals).
  const auto pair = [&code](const char* a, const char* b, const std::string& symbol) {
    code[a] = symbol;
    code[b] = symbol;
  };
  pair(GB_RED_KING, GB_BLACK_KING, "1");
  pair(GB_RED_ADVISOR, GB_BLACK_ADVISOR, "2");
  pair(GB_RED_ELEPHANT, GB_BLACK_ELEPHANT, "3");
  pair(GB_HORSE, GB_HORSE_SIMPLE, "4");
  pair(GB_CHARIOT, GB_CHARIOT_SIMPLE, "5");
  pair(GB_RED_CANNON, GB_BLACK_CANNON, "6");
  pair(GB_RED_PAWN, GB_BLACK_PAWN, "7");
  for (int number = 1; number <= 9; ++number)
    pair(Numeral[number][RED], Numeral[number][BLACK], std::string(1, char('0' + number)));
  pair(GB_FRONT, GB_FORWARD, "+");
  pair(GB_REAR, GB_BACKWARD, "-");
  pair(GB_MIDDLE, GB_SIDEWAYS, ".");
}

CNotationMaps Build() {
  CNotationMaps maps;
  AddLetters(maps);
  AddNames(maps);
  AddSpokenForms(maps);
  AddDigitCodes(maps);
  return maps;
}

}  // namespace

const CNotationMaps& NotationMaps() {
  static const CNotationMaps maps = Build();  // initialised once, thread-safe
  return maps;
}

void BuildNotationMaps() { NotationMaps(); }

int MapNumber(const CNumberMap& map, std::string_view key) {
  const auto found = map.find(key);
  return found == map.end() ? 0 : found->second;
}

std::string_view MapText(const CTextMap& map, std::string_view key) {
  const auto found = map.find(key);
  return found == map.end() ? std::string_view {} : std::string_view(found->second);
}
