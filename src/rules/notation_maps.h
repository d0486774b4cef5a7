#pragma once
// Lookup maps for reading FEN letters and Chinese notation characters, and
// the per-character spoken and digit forms. Keys are one FEN letter or one
// two-byte GB2312/GBK character; an absent key reads as 0 or empty text.
#include <functional>
#include <map>
#include <string>
#include <string_view>

using CNumberMap = std::map<std::string, int, std::less<>>;
using CTextMap = std::map<std::string, std::string, std::less<>>;

struct CNotationMaps {
  CNumberMap LetterKind;   // FEN letter -> piece kind ("1".."9", "/" -> 0)
  CNumberMap LetterSide;   // FEN letter -> side ("1".."9", "/" -> 9)
  CNumberMap NameKind;     // piece name -> kind (numerals and words -> 0)
  CNumberMap NameNumber;   // numeral -> 1..9 (piece names and words -> 0)
  CTextMap SpokenForm;     // character -> what the voice reads
  CTextMap DigitCode;      // character -> digit-code symbol
};

// The maps, built on first use; safe to call from any thread.
const CNotationMaps& NotationMaps();
// Builds the maps now (start-up); later calls do nothing.
void BuildNotationMaps();

// Map reads; an absent key gives 0 / empty text.
int MapNumber(const CNumberMap& map, std::string_view key);
std::string_view MapText(const CTextMap& map, std::string_view key);
