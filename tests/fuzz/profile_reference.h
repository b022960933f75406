// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A plain reading of the settings rules (the contract in
// platform/profile_reader.h), written apart from the reader so that the
// fuzzer can check one against the other: the whole file in memory, each
// line decoded to code points first, then split into names and values. It
// shares only the character tables with the reader (Windows-1252, case
// folding, UTF-8 encoding), and knows nothing of pieces or of the kept prefix
// of long lines, so it holds for files whose lines are all shorter than that.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "ini/text_encoding.h"

namespace velmo::fuzz {

// The code points of text, or nullopt when it is not well-formed UTF-8.
inline std::optional<std::u32string> decodeUtf8(std::string_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
    char32_t codePoint = lead;
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      codePoint = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;   // no overlong forms
      if (lead == 0xED) high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      codePoint = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
    } else {
      return std::nullopt;
    }
    if (text.size() - i < length) return std::nullopt;
    for (std::size_t k = 1; k < length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if (byte < (k == 1 ? low : 0x80) || byte > (k == 1 ? high : 0xBF)) return std::nullopt;
      codePoint = codePoint << 6 | (byte & 0x3F);
    }
    out += codePoint;
    i += length;
  }
  return out;
}

// A line or an argument: UTF-8 when it is that as a whole, else Windows-1252.
inline std::u32string decodeLine(std::string_view bytes) {
  if (auto utf8 = decodeUtf8(bytes)) return *utf8;
  std::u32string out;
  for (const char c : bytes) out += windows1252ToUnicode(static_cast<unsigned char>(c));
  return out;
}

inline std::string encodeUtf8(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) appendUtf8(out, c);
  return out;
}

// UTF-16 as UTF-8: a surrogate without its partner, and an odd last byte,
// become U+FFFD.
inline std::string utf16ToUtf8(std::string_view bytes, bool littleEndian) {
  std::u16string units;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]),
               second = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(littleEndian ? second << 8 | first : first << 8 | second);
  }
  const auto isHigh = [](char16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  const auto isLow = [](char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  std::u32string text;
  for (std::size_t i = 0; i < units.size(); ++i) {
    if (isHigh(units[i]) && i + 1 < units.size() && isLow(units[i + 1])) {
      text += 0x10000 + (char32_t(units[i] - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    } else {
      text += isHigh(units[i]) || isLow(units[i]) ? U'\uFFFD' : char32_t(units[i]);
    }
  }
  if (bytes.size() % 2 == 1) text += U'\uFFFD';
  return encodeUtf8(text);
}

// The file's bytes after its byte-order mark; UTF-16 as UTF-8.
inline std::string withoutByteOrderMark(std::string_view file) {
  if (file.starts_with("\xEF\xBB\xBF")) return std::string(file.substr(3));
  if (file.starts_with("\xFF\xFE")) return utf16ToUtf8(file.substr(2), true);
  if (file.starts_with("\xFE\xFF")) return utf16ToUtf8(file.substr(2), false);
  return std::string(file);
}

inline bool isBlank(char32_t c) {
  return c == U' ' || c == U'\t' || c == U'\v' || c == U'\f' || c == 0x1A;
}

inline std::u32string_view trimmed(std::u32string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// A name or value: up to its first NUL, blanks trimmed.
inline std::u32string_view cleaned(std::u32string_view text) {
  return trimmed(text.substr(0, text.find(U'\0')));
}

inline std::u32string folded(std::u32string_view name) {
  std::u32string out;
  for (const char32_t c : cleaned(name)) out += foldCase(c);
  return out;
}

// The value of key in the first section named section, or nullopt.
inline std::optional<std::string> referenceValue(std::string_view file, std::string_view section,
                                                 std::string_view key) {
  const std::u32string wantedSection = folded(decodeLine(section)),
                       wantedKey = folded(decodeLine(key));
  if (wantedSection.empty() || wantedKey.empty()) return std::nullopt;
  const std::string text = withoutByteOrderMark(file);
  bool inWantedSection = false;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    const std::u32string line = decodeLine(std::string_view(text).substr(start, end - start));
    start = end + 1;
    std::u32string_view rest = line;
    while (!rest.empty() && isBlank(rest.front())) rest.remove_prefix(1);
    if (rest.empty() || rest.front() == U';') continue;
    if (rest.front() == U'[') {
      const std::size_t close = rest.rfind(U']');
      if (close == std::u32string_view::npos) continue;
      if (inWantedSection) return std::nullopt;
      inWantedSection = folded(rest.substr(1, close - 1)) == wantedSection;
    } else if (inWantedSection) {
      const std::size_t equals = rest.find(U'=');
      if (folded(rest.substr(0, equals)) != wantedKey) continue;
      if (equals == std::u32string_view::npos) return "";
      std::u32string_view value = cleaned(rest.substr(equals + 1));
      if (value.size() >= 2 && (value.front() == U'"' || value.front() == U'\'') &&
          value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
      }
      return encodeUtf8(value);
    }
  }
  return std::nullopt;
}

}  // namespace velmo::fuzz
