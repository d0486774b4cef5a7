#pragma once
// Reading a game file's text with bounded memory: only regular files up to a
// size no game record comes near, and only text.
#include <cstddef>
#include <string>

// Larger files are refused: a game of 1,024 plies with long comments stays
// far below it, and a file of this size is no game record.
constexpr size_t MAX_GAME_FILE_BYTES = 8u << 20;
constexpr const char* MAX_GAME_FILE_TEXT = "8 MB";

// Opens a regular file for reading (never a folder, a device or a pipe).
// Returns the descriptor, or -1 with the reason in `error`.
int OpenRegularFile(const std::string& path, std::string& error);

// Reads the whole file as game text: a UTF-8 byte-order mark is dropped and
// UTF-8 text is converted to GB2312 (GBK) bytes. 1 on success; 0 with the
// reason in `error` (for example "is a folder", "holds NUL bytes: not a text
// file").
int ReadGameTextFile(const std::string& path, std::string& text, std::string& error);

// Drops a UTF-8 byte-order mark and turns UTF-8 text into GB2312 (GBK)
// bytes; GB2312 text is left as it is.
void ToGameText(std::string& text);
