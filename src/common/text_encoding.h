#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Game text stays GB2312 bytes in memory and on disk. What people call
// GB2312 is code page 936 (GBK) in practice: 車, 馬 and 砲 are GBK characters
// outside GB2312 proper. Conversions therefore use the GB18030 tables, which
// hold GBK and every other character. They run only at the edges (screen,
// speech, typed input, UTF-8 files). Bytes that cannot be converted are
// dropped rather than failing the whole text.
std::string Gb2312ToUtf8(std::string_view gb);
// UTF-8 to GB18030 bytes (GBK bytes for every GBK character).
std::string Utf8ToGb18030(std::string_view utf8);
// Whether the bytes hold at least one multi-byte UTF-8 sequence and no byte
// sequence that is invalid in UTF-8 (so the text is UTF-8 rather than GB2312).
// Overlong forms, surrogates and code points past U+10FFFF are invalid.
bool LooksLikeUtf8(std::string_view bytes);
// The length in bytes of the GB18030 character at `at`: 1 for ASCII and for
// a byte that starts no valid sequence, 2 for a GBK character, 4 for a
// four-byte GB18030 sequence. Scanners use it so that a second byte in the
// ASCII range (0x40..0x7E, such as "{" or "}") is never taken for ASCII.
size_t GbCharLength(std::string_view text, size_t at);
// The UTF-8 byte-order mark some editors put at the start of a file.
constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
