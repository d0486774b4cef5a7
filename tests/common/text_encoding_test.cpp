// GB2312 (GBK) and UTF-8 at the edges: what counts as UTF-8, the tables the
// conversions use, and how a GB18030 scanner steps over characters.
#include <gtest/gtest.h>

#include <string>

#include "common/text_encoding.h"

namespace {

TEST(TextEncoding, OnlyWellFormedUtf8IsTakenForUtf8) {
  EXPECT_TRUE(LooksLikeUtf8("\xE7\x82\xAE"));  // 炮
  EXPECT_TRUE(LooksLikeUtf8("a\xC3\xA9z"));
  EXPECT_FALSE(LooksLikeUtf8("plain ASCII"));  // nothing to convert
  EXPECT_FALSE(LooksLikeUtf8("\xC0\xAF"));  // "/" in an overlong form
  EXPECT_FALSE(LooksLikeUtf8("\xC1\xBF"));
  EXPECT_FALSE(LooksLikeUtf8("\xE0\x80\xAF"));
  EXPECT_FALSE(LooksLikeUtf8("\xF0\x80\x80\xAF"));
  EXPECT_FALSE(LooksLikeUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(LooksLikeUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(LooksLikeUtf8("\xE7\x82"));  // cut short
  EXPECT_FALSE(LooksLikeUtf8("\xC5\xDA\xB6\xFE"));  // 炮二 in GB2312
  EXPECT_FALSE(LooksLikeUtf8("\xF8\x88\x80\x80\x80"));
}

TEST(TextEncoding, PieceNamesOutsideGb2312ConvertWithGbkTables) {
  // 車 馬 砲 are GBK characters, not GB2312 ones: the bytes players' files hold.
  EXPECT_EQ(Utf8ToGb18030("車馬砲"), "\xDC\x87\xF1\x52\xB3\x68");
  EXPECT_EQ(Gb2312ToUtf8("\xDC\x87\xF1\x52\xB3\x68"), "車馬砲");
  EXPECT_EQ(Utf8ToGb18030("炮８进７"), "\xC5\xDA\xA3\xB8\xBD\xF8\xA3\xB7");
  // Characters outside GBK still survive the round trip, as GB18030 four-byte forms.
  EXPECT_EQ(Utf8ToGb18030("\xF0\x9F\x98\x80"), "\x94\x39\xFC\x36");
  EXPECT_EQ(Gb2312ToUtf8("\x94\x39\xFC\x36"), "\xF0\x9F\x98\x80");
  // A broken byte is dropped, not the whole text.
  EXPECT_EQ(Gb2312ToUtf8("a\xFF" "b"), "ab");
}

TEST(TextEncoding, CharacterLengths) {
  const std::string text = "a\xB0\x7D\x81\x30\x81\x30\xFF";  // a, 皚, a four-byte form, a stray byte
  EXPECT_EQ(GbCharLength(text, 0), 1u);
  EXPECT_EQ(GbCharLength(text, 1), 2u);  // its second byte is "}" but belongs to it
  EXPECT_EQ(GbCharLength(text, 3), 4u);
  EXPECT_EQ(GbCharLength(text, 7), 1u);
  EXPECT_EQ(GbCharLength("\xB0", 0), 1u);  // cut short
  EXPECT_EQ(GbCharLength("\xB0\x7F", 0), 1u);
}

}  // namespace
