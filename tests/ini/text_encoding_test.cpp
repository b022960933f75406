// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace velmo {
namespace {

using namespace std::string_literals;

TEST(WithVisibleControls, ShowsEachControlCharacterAsASymbol) {
  struct Case {
    std::string text, shown;
  };
  const Case cases[] = {
      {"plain text, ø and € stay", "plain text, ø and € stay"},
      {"a\0b"s, "a␀b"},
      {"\x01\x1F", "␁␟"},
      {"\x1B[31mred", "␛[31mred"},
      {"\r", "␍"},
      {"tab\tand\nline break stay", "tab\tand\nline break stay"},
      {"\x7F", "␡"},
      {"C1 \xC2\x80\xC2\x9B\xC2\x9F, not \xC2\xA0", "C1 \uFFFD\uFFFD\uFFFD, not \u00A0"},
      {"\xC2", "\xC2"},
  };
  for (const Case& c : cases) EXPECT_EQ(withVisibleControls(c.text), c.shown) << c.text;
}

std::string decodedUtf16(std::string_view bytes, Utf16Decoder::ByteOrder order,
                         std::size_t pieceSize) {
  Utf16Decoder decoder(order);
  std::string out;
  for (std::size_t pos = 0; pos < bytes.size(); pos += pieceSize)
    decoder.feed(bytes.substr(pos, pieceSize), out);
  decoder.finish(out);
  return out;
}

// Damaged UTF-16 never stops the decoding: what cannot be a character
// becomes U+FFFD, wherever the pieces break.
TEST(Utf16Decoder, JoinsSplitCharactersAndReplacesBrokenOnes) {
  struct Case {
    const char* what;
    std::string littleEndian;
    std::string utf8;
  };
  const Case cases[] = {
      {"ASCII and ø", "a\0\xF8\0"s, "aø"},
      {"surrogate pair", "\x3D\xD8\x00\xDE"s, "😀"},
      {"high surrogate at the end", "a\0\x3D\xD8"s, "a\uFFFD"},
      {"high surrogate before a plain unit",
       "\x3D\xD8"
       "a\0"s,
       "\uFFFDa"},
      {"two high surrogates, then a low one", "\x3D\xD8\x3D\xD8\x00\xDE"s, "\uFFFD😀"},
      {"low surrogate alone",
       "\x00\xDE"
       "a\0"s,
       "\uFFFDa"},
      {"odd byte at the end", "a\0b"s, "a\uFFFD"},
  };
  for (const Case& c : cases) {
    std::string bigEndian = c.littleEndian;
    for (std::size_t pos = 0; pos + 1 < bigEndian.size(); pos += 2)
      std::swap(bigEndian[pos], bigEndian[pos + 1]);
    for (std::size_t pieceSize = 1; pieceSize <= 4; ++pieceSize) {
      SCOPED_TRACE(std::string(c.what) + ", pieces of " + std::to_string(pieceSize));
      EXPECT_EQ(decodedUtf16(c.littleEndian, Utf16Decoder::ByteOrder::LittleEndian, pieceSize),
                c.utf8);
      EXPECT_EQ(decodedUtf16(bigEndian, Utf16Decoder::ByteOrder::BigEndian, pieceSize), c.utf8);
    }
  }
}

}  // namespace
}  // namespace velmo
