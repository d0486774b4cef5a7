#include "common/text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace {

std::string Convert(std::string_view input, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return {};
  std::string output;
  output.resize(input.size() * 4 + 16);
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char* out = output.data();
  size_t outLeft = output.size();
  while (inLeft > 0) {
    size_t rc = iconv(cd, &in, &inLeft, &out, &outLeft);
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      size_t used = static_cast<size_t>(out - output.data());
      output.resize(output.size() * 2);
      out = output.data() + used;
      outLeft = output.size() - used;
    } else {
      // An invalid or incomplete sequence: skip one byte and go on.
      ++in;
      --inLeft;
    }
  }
  output.resize(static_cast<size_t>(out - output.data()));
  iconv_close(cd);
  return output;
}

}  // namespace

std::string Gb2312ToUtf8(std::string_view gb) { return Convert(gb, "UTF-8", "GB18030"); }

std::string Utf8ToGb18030(std::string_view utf8) { return Convert(utf8, "GB18030", "UTF-8"); }

bool LooksLikeUtf8(std::string_view bytes) {
  bool multibyte = false;
  size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    size_t length;
    uint32_t minimum;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      minimum = 0x10000;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    uint32_t code = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    multibyte = true;
    i += length;
  }
  return multibyte;
}

size_t GbCharLength(std::string_view text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x81 || lead > 0xFE || at + 1 >= text.size()) return 1;
  const unsigned char second = byte(at + 1);
  if (second >= 0x30 && second <= 0x39) {
    if (at + 3 < text.size() && byte(at + 2) >= 0x81 && byte(at + 2) <= 0xFE &&
        byte(at + 3) >= 0x30 && byte(at + 3) <= 0x39)
      return 4;
    return 1;
  }
  return second >= 0x40 && second <= 0xFE && second != 0x7F ? 2 : 1;
}
