// SPDX-License-Identifier: GPL-3.0-or-later
#include "ini/text_encoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace velmo {
namespace {

// The shape of a UTF-8 sequence, known from its first byte.
struct SequenceShape {
  int continuationBytes;
  unsigned char low, high;  // allowed range of the first continuation byte
};

// The shape of the sequence that lead starts, or continuationBytes < 0 when
// lead cannot start one (a continuation byte, C0, C1, F5..FF).
SequenceShape shapeOf(unsigned char lead) {
  if (lead < 0x80) return {0, 0x80, 0xBF};
  if (lead >= 0xC2 && lead <= 0xDF) return {1, 0x80, 0xBF};
  if (lead == 0xE0) return {2, 0xA0, 0xBF};  // no overlong forms
  if (lead == 0xED) return {2, 0x80, 0x9F};  // no surrogates
  if (lead >= 0xE1 && lead <= 0xEF) return {2, 0x80, 0xBF};
  if (lead == 0xF0) return {3, 0x90, 0xBF};  // no overlong forms
  if (lead >= 0xF1 && lead <= 0xF3) return {3, 0x80, 0xBF};
  if (lead == 0xF4) return {3, 0x80, 0x8F};  // nothing above U+10FFFF
  return {-1, 0, 0};
}

bool isContinuation(unsigned char byte) {
  return byte >= 0x80 && byte <= 0xBF;
}

// Length in bytes of the well-formed multi-byte sequence that starts at
// text[pos], or 0 when none starts there.
std::size_t wellFormedLengthAt(std::string_view text, std::size_t pos) {
  const SequenceShape shape = shapeOf(static_cast<unsigned char>(text[pos]));
  if (shape.continuationBytes <= 0) return 0;
  const auto length = static_cast<std::size_t>(shape.continuationBytes) + 1;
  if (length > text.size() - pos) return 0;
  const auto first = static_cast<unsigned char>(text[pos + 1]);
  if (first < shape.low || first > shape.high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!isContinuation(static_cast<unsigned char>(text[pos + i]))) return 0;
  }
  return length;
}

// Position of the first byte at or after pos that is not ASCII, or the size
// of bytes. Looks at eight bytes at a time: ASCII is the bulk of any settings
// file, and a start-up checks the whole file once per lookup.
std::size_t skipAscii(std::string_view bytes, std::size_t pos) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080;
  for (; bytes.size() - pos >= sizeof(std::uint64_t); pos += sizeof(std::uint64_t)) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + pos, sizeof word);
    if (word & kHighBits) break;
  }
  while (pos < bytes.size() && static_cast<unsigned char>(bytes[pos]) < 0x80) ++pos;
  return pos;
}

// Windows-1252 bytes 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacementCharacter = U'\uFFFD';

// Writes the UTF-8 form of codePoint (one to four bytes) at out; returns how
// many bytes it wrote.
std::size_t encodeUtf8(char32_t codePoint, char* out) {
  if (codePoint < 0x80) {
    out[0] = static_cast<char>(codePoint);
    return 1;
  }
  if (codePoint < 0x800) {
    out[0] = static_cast<char>(0xC0 | (codePoint >> 6));
    out[1] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 2;
  }
  if (codePoint < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (codePoint >> 12));
    out[1] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (codePoint & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (codePoint >> 18));
  out[1] = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (codePoint & 0x3F));
  return 4;
}

}  // namespace

bool Utf8Validator::feed(std::string_view bytes) {
  for (std::size_t i = 0; valid_ && i < bytes.size(); ++i) {
    if (pending_ == 0) {
      i = skipAscii(bytes, i);
      if (i == bytes.size()) break;
    }
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (pending_ == 0) {
      const SequenceShape shape = shapeOf(byte);
      valid_ = shape.continuationBytes > 0;
      pending_ = shape.continuationBytes;
      low_ = shape.low;
      high_ = shape.high;
    } else {
      valid_ = byte >= low_ && byte <= high_;
      --pending_;
      low_ = 0x80;
      high_ = 0xBF;
    }
  }
  return valid_;
}

bool isValidUtf8(std::string_view text) {
  Utf8Validator validator;
  validator.feed(text);
  return validator.validSoFarAndComplete();
}

char32_t windows1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kWindows1252High[byte - 0x80];
  return byte;
}

void Utf16Decoder::feed(std::string_view bytes, std::string& out) {
  // Each code unit, and a surrogate held from the piece before, gives at most
  // three bytes: written in place, as this runs for every unit of the file.
  const std::size_t start = out.size();
  out.resize(start + (bytes.size() / 2 + 2) * 3);
  char* end = out.data() + start;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (pendingByte_ < 0) {
      pendingByte_ = byte;
      continue;
    }
    const auto first = static_cast<char16_t>(pendingByte_);
    pendingByte_ = -1;
    end = onCodeUnit(order_ == ByteOrder::LittleEndian ? static_cast<char16_t>(first | byte << 8)
                                                       : static_cast<char16_t>(first << 8 | byte),
                     end);
  }
  out.resize(static_cast<std::size_t>(end - out.data()));
}

void Utf16Decoder::finish(std::string& out) {
  if (highSurrogate_ != 0) appendUtf8(out, kReplacementCharacter);
  if (pendingByte_ >= 0) appendUtf8(out, kReplacementCharacter);
  highSurrogate_ = 0;
  pendingByte_ = -1;
}

char* Utf16Decoder::onCodeUnit(char16_t unit, char* out) {
  const bool high = unit >= 0xD800 && unit <= 0xDBFF, low = unit >= 0xDC00 && unit <= 0xDFFF;
  if (highSurrogate_ != 0) {
    const char16_t previous = highSurrogate_;
    highSurrogate_ = 0;
    if (low) return out + encodeUtf8(0x10000 + ((previous - 0xD800) << 10) + (unit - 0xDC00), out);
    out += encodeUtf8(kReplacementCharacter, out);
  }
  if (high) {
    highSurrogate_ = unit;
    return out;
  }
  return out + encodeUtf8(low ? kReplacementCharacter : unit, out);
}

char32_t nextCodePoint(std::string_view text, std::size_t& pos, TextEncoding encoding) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  const std::size_t length =
      encoding == TextEncoding::Utf8 && lead >= 0x80 ? wellFormedLengthAt(text, pos) : 0;
  if (length == 0) {
    ++pos;
    return windows1252ToUnicode(lead);
  }
  char32_t codePoint = lead & (0xFF >> (length + 1));
  for (std::size_t i = 1; i < length; ++i)
    codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
  pos += length;
  return codePoint;
}

void appendUtf8(std::string& out, char32_t codePoint) {
  char bytes[4];
  out.append(bytes, encodeUtf8(codePoint, bytes));
}

std::string toUtf8(std::string_view text, TextEncoding encoding, std::size_t maxCodePoints) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  for (std::size_t count = 0; count < maxCodePoints && pos < text.size(); ++count)
    appendUtf8(out, nextCodePoint(text, pos, encoding));
  return out;
}

TextEncoding encodingOf(std::string_view text) {
  return isValidUtf8(text) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

char32_t foldCase(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // À..Þ except ×
  switch (c) {
    case 0x0160:
      return 0x0161;  // Š
    case 0x017D:
      return 0x017E;  // Ž
    case 0x0152:
      return 0x0153;  // Œ
    case 0x0178:
      return 0x00FF;  // Ÿ
    default:
      return c;
  }
}

std::size_t incompleteUtf8Tail(std::string_view text) {
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if (isContinuation(byte)) continue;
    const int needed = shapeOf(byte).continuationBytes;
    return needed >= static_cast<int>(back) ? back : 0;
  }
  return 0;
}

std::string withVisibleControls(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if ((byte < 0x20 && byte != '\t' && byte != '\n') || byte == 0x7F) {
      appendUtf8(out, byte == 0x7F ? U'\u2421' : U'\u2400' + byte);
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      appendUtf8(out, kReplacementCharacter);
      ++i;
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out;
}

}  // namespace velmo
