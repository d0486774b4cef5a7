#pragma once
// Reading a game file's text with bounded memory: only regular files up to a
// size no game record comes near, and only text.
#include <cstddef>
#include <string>

// Larger files are refused: a game of 1,024 plies with long comments stays
// far below it, and a file of this size is no game record.
constexpr size_t MAX_GAME_FILE_BYTES = 8u << 20;
constexpr const char* MAX_GAME_FILE_TEXT = "8 MB";

// Why a file could not be read as game text: a code each front end words
// in its own language.
enum class CGameFileFailure {
  None,
  System,      // the system refused to open or read it (SystemError holds errno)
  Folder,      // a folder, not a file of games
  NotRegular,  // a device or a pipe
  TooLarge,    // larger than MAX_GAME_FILE_BYTES
  NulBytes,    // holds NUL bytes: no text
};
struct CGameFileError {
  CGameFileFailure Kind = CGameFileFailure::None;
  int SystemError = 0;
};
// The reason in English ("is a folder, not a file of games") and in Chinese.
std::string DescribeGameFileError(const CGameFileError& error);
std::string DescribeGameFileErrorChinese(const CGameFileError& error);

// Opens a regular file for reading (never a folder, a device or a pipe).
// Returns the descriptor, or -1 with the reason in `error`.
int OpenRegularFile(const std::string& path, CGameFileError& error);
// The same with the reason in English.
int OpenRegularFile(const std::string& path, std::string& error);

// Reads the whole file as game text: a UTF-8 byte-order mark is dropped and
// UTF-8 text is converted to GB2312 (GBK) bytes. 1 on success; 0 with the
// reason in `error`.
int ReadGameTextFile(const std::string& path, std::string& text, CGameFileError& error);

// Drops a UTF-8 byte-order mark and turns UTF-8 text into GB2312 (GBK)
// bytes; GB2312 text is left as it is.
void ToGameText(std::string& text);
