// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the step-time conversion. The input is the text of a step time.
//
// Checked for every input, besides the sanitizers' findings:
// - blanks before the text and a character after it that cannot continue a
//   number change nothing;
// - a text that is wholly one decimal number ([sign] digits [. digits]
//   [E|D [sign] up to 3 digits], blanks anywhere) whose value has at most 9
//   integer digits, or wholly &H / &O with up to 8 hex or 11 octal digits,
//   gives the value computed here, independently of the code under test.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "chaser/interval_text.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using Interval = std::optional<std::int32_t>;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string withoutBlanks(std::string_view text) {
  std::string result;
  for (const char c : text)
    if (c != ' ' && c != '\t') result += c;
  return result;
}

// Moves pos past a run of decimal digits and returns them.
std::string_view takeDigits(std::string_view text, std::size_t& pos) {
  const std::size_t start = pos;
  while (pos < text.size() && isDigit(text[pos])) ++pos;
  return text.substr(start, pos - start);
}

// A decimal number as its digits with the point placed pointAt digits from
// their start (negative or past the end: zeros in between).
struct Decimal {
  bool negative = false;
  std::string digits;
  long pointAt = 0;
};

std::optional<Decimal> parseWholeDecimal(std::string_view text) {
  Decimal number;
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
    number.negative = text[pos++] == '-';
  number.digits = takeDigits(text, pos);
  number.pointAt = static_cast<long>(number.digits.size());
  if (pos < text.size() && text[pos] == '.') number.digits += takeDigits(text, ++pos);
  if (number.digits.empty()) return std::nullopt;
  if (pos < text.size() && std::string_view("EeDd").find(text[pos]) != std::string_view::npos) {
    ++pos;
    bool negativeExponent = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-'))
      negativeExponent = text[pos++] == '-';
    const std::string_view exponent = takeDigits(text, pos);
    if (exponent.empty() || exponent.size() > 3) return std::nullopt;
    const long shift = std::stol(std::string(exponent));
    number.pointAt += negativeExponent ? -shift : shift;
  }
  if (pos != text.size()) return std::nullopt;
  return number;
}

// The digit at index i of the number's digits, 0 outside them.
int digitAt(const Decimal& number, long i) {
  return i >= 0 && i < static_cast<long>(number.digits.size()) ? number.digits[i] - '0' : 0;
}

// The number rounded half to even; nullopt when it has more than 9 integer digits.
std::optional<long long> roundedDecimal(const Decimal& number) {
  long long whole = 0;
  int integerDigits = 0;
  for (long i = 0; i < number.pointAt; ++i) {
    whole = whole * 10 + digitAt(number, i);
    if (whole > 0 && ++integerDigits > 9) return std::nullopt;
  }
  const int next = digitAt(number, number.pointAt);
  bool restNonZero = false;
  for (long i = std::max(number.pointAt + 1, 0L); i < static_cast<long>(number.digits.size()); ++i)
    restNonZero |= number.digits[i] != '0';
  if (next > 5 || (next == 5 && (restNonZero || whole % 2 != 0))) ++whole;
  return number.negative ? -whole : whole;
}

int radixDigit(char c, int radix) {
  int value = radix;
  if (isDigit(c)) value = c - '0';
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < radix ? value : -1;
}

// &H or &O followed by nothing but digits of that radix: the value as a
// signed 16-bit number when written short and it fits 16 bits, else as a
// signed 32-bit number, else overflow (an empty optional inside).
std::optional<Interval> expectedRadix(std::string_view text) {
  if (text.size() < 2 || text[0] != '&') return std::nullopt;
  const bool hex = text[1] == 'H' || text[1] == 'h';
  if (!hex && text[1] != 'O' && text[1] != 'o') return std::nullopt;
  const int radix = hex ? 16 : 8;
  const std::string_view digits = text.substr(2);
  if (digits.size() > (hex ? 8U : 11U)) return std::nullopt;
  unsigned long long value = 0;
  for (const char c : digits) {
    if (radixDigit(c, radix) < 0) return std::nullopt;
    value = value * radix + radixDigit(c, radix);
  }
  if (value > 0xFFFFFFFFULL) return Interval{};
  if (digits.size() <= (hex ? 4U : 6U) && value <= 0xFFFF)
    return static_cast<std::int32_t>(static_cast<std::int16_t>(value));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

// The result by the documented rules, where this file can compute it.
std::optional<Interval> expectedInterval(std::string_view text) {
  const std::string compact = withoutBlanks(text);
  if (auto radix = expectedRadix(compact)) return radix;
  const std::optional<Decimal> number = parseWholeDecimal(compact);
  if (!number) return std::nullopt;
  const std::optional<long long> rounded = roundedDecimal(*number);
  if (!rounded) return std::nullopt;
  return Interval(static_cast<std::int32_t>(*rounded));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Interval result = velmo::chaser::intervalFromText(text);

  FUZZ_CHECK(velmo::chaser::intervalFromText(" \t" + std::string(text)) == result);
  FUZZ_CHECK(velmo::chaser::intervalFromText(std::string(text) + ";") == result);
  if (const std::optional<Interval> expected = expectedInterval(text))
    FUZZ_CHECK(result == *expected);
  return 0;
}
