#pragma once
#include <string>
#include <string_view>

// Game text stays GB2312 bytes in memory and on disk; these convert at the
// edges (screen, speech, typed input). Bytes that cannot be converted are
// dropped rather than failing the whole text.
std::string Gb2312ToUtf8(std::string_view gb);
// Text a person types, to GB18030 (a superset of GB2312).
std::string Utf8ToGb18030(std::string_view utf8);
// Whether the bytes hold at least one multi-byte UTF-8 sequence and no byte
// sequence that is invalid in UTF-8 (so the text is UTF-8 rather than GB2312).
bool LooksLikeUtf8(std::string_view bytes);
