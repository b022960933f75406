// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/interval_text.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace velmo::chaser {
namespace {

// Walks the text, skipping blanks and tabs before every character it shows.
class TextCursor {
 public:
  explicit TextCursor(std::string_view text) : text_(text) {}

  // The next character that is not a blank or tab; '\0' at the end.
  char peek() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }
  void advance() { ++pos_; }

  // Consumes the next character if it is one of the two given.
  bool accept(char a, char b) {
    const char c = peek();
    if (c != a && c != b) return false;
    advance();
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool isDecimalDigit(char c) {
  return c >= '0' && c <= '9';
}

// Positions and exponents are clamped here: far beyond any value that fits
// 32 bits, and far from the limits of long long, so sums never overflow.
constexpr long long kExponentLimit = 1LL << 60;

long long clampedAdd(long long a, long long b) {
  return std::clamp(a + b, -kExponentLimit, kExponentLimit);
}

// A decimal magnitude 0.d1 d2 d3 ... x 10^exponent. Only the leading
// significant digits are kept: a value that fits 32 bits has at most 10
// integer digits, and rounding needs just the next digit and whether any
// digit after it is non-zero.
class DecimalMagnitude {
 public:
  void addIntegerDigit(char digit) {
    if (!addSignificant(digit)) return;
    exponent_ = clampedAdd(exponent_, 1);
  }
  void addFractionDigit(char digit) {
    // Zeros right after the point only move the first significant digit.
    if (!addSignificant(digit)) exponent_ = clampedAdd(exponent_, -1);
  }
  void scaleByPowerOfTen(long long power) { exponent_ = clampedAdd(exponent_, power); }

  // The magnitude rounded to a whole number, halves to even; nullopt when it
  // has more than ten integer digits.
  std::optional<long long> rounded() const {
    if (count_ == 0 || exponent_ < 0) return 0;  // below 0.1 rounds to 0
    if (exponent_ > kMaxIntegerDigits) return std::nullopt;
    const auto integerDigits = static_cast<std::size_t>(exponent_);
    long long whole = 0;
    for (std::size_t i = 0; i < integerDigits; ++i) whole = whole * 10 + digitAt(i);
    const int next = digitAt(integerDigits);
    bool restNonZero = nonZeroDropped_;
    for (std::size_t i = integerDigits + 1; i < count_; ++i) restNonZero |= digits_[i] != 0;
    const bool aboveHalf = next > 5 || (next == 5 && restNonZero);
    const bool exactlyHalf = next == 5 && !restNonZero;
    if (aboveHalf || (exactlyHalf && whole % 2 != 0)) ++whole;
    return whole;
  }

 private:
  static constexpr long long kMaxIntegerDigits = 10;
  static constexpr std::size_t kKeptDigits = kMaxIntegerDigits + 2;

  // Records a digit; false for a leading zero, which is not significant.
  bool addSignificant(char digit) {
    const int value = digit - '0';
    if (count_ == 0 && value == 0) return false;
    if (count_ < kKeptDigits) {
      digits_[count_++] = value;
    } else {
      nonZeroDropped_ |= value != 0;
    }
    return true;
  }
  int digitAt(std::size_t i) const { return i < count_ ? digits_[i] : 0; }

  std::array<int, kKeptDigits> digits_{};
  std::size_t count_ = 0;
  bool nonZeroDropped_ = false;
  long long exponent_ = 0;
};

std::optional<std::int32_t> toInt32(long long value) {
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// Sign, digits, point, digits, exponent; the cursor stands at the start.
std::optional<std::int32_t> readDecimal(TextCursor& cursor) {
  bool negative = false;
  if (cursor.peek() == '-' || cursor.peek() == '+') {
    negative = cursor.peek() == '-';
    cursor.advance();
  }
  DecimalMagnitude magnitude;
  for (char c = cursor.peek(); isDecimalDigit(c); c = cursor.peek()) {
    magnitude.addIntegerDigit(c);
    cursor.advance();
  }
  if (cursor.accept('.', '.')) {
    for (char c = cursor.peek(); isDecimalDigit(c); c = cursor.peek()) {
      magnitude.addFractionDigit(c);
      cursor.advance();
    }
  }
  if (cursor.accept('E', 'e') || cursor.accept('D', 'd')) {
    bool negativeExponent = false;
    if (cursor.peek() == '-' || cursor.peek() == '+') {
      negativeExponent = cursor.peek() == '-';
      cursor.advance();
    }
    long long exponent = 0;
    for (char c = cursor.peek(); isDecimalDigit(c); c = cursor.peek()) {
      exponent = exponent > kExponentLimit / 10
                     ? kExponentLimit
                     : std::min(exponent * 10 + (c - '0'), kExponentLimit);
      cursor.advance();
    }
    magnitude.scaleByPowerOfTen(negativeExponent ? -exponent : exponent);
  }
  const std::optional<long long> whole = magnitude.rounded();
  if (!whole) return std::nullopt;
  return toInt32(negative ? -*whole : *whole);
}

int radixDigit(char c, int radix) {
  int value = radix;  // not a digit
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < radix ? value : -1;
}

// The digits after &H or &O. shortDigits is how many digits a 16-bit
// number is written with.
std::optional<std::int32_t> readRadixNumber(TextCursor& cursor, int radix, int shortDigits) {
  constexpr unsigned long long kMax32 = 0xFFFFFFFFULL;
  unsigned long long value = 0;
  int digits = 0;
  bool tooBig = false;
  for (int d = radixDigit(cursor.peek(), radix); d >= 0; d = radixDigit(cursor.peek(), radix)) {
    value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
    if (value > kMax32) {
      tooBig = true;
      value = kMax32;  // keeps the next multiplication in range
    }
    digits = std::min(digits + 1, shortDigits + 1);
    cursor.advance();
  }
  if (tooBig) return std::nullopt;
  if (digits <= shortDigits && value <= 0xFFFF) {
    return static_cast<std::int32_t>(value >= 0x8000 ? static_cast<long long>(value) - 0x10000
                                                     : static_cast<long long>(value));
  }
  return static_cast<std::int32_t>(value >= 0x80000000ULL
                                       ? static_cast<long long>(value) - 0x100000000LL
                                       : static_cast<long long>(value));
}

}  // namespace

std::optional<std::int32_t> intervalFromText(std::string_view text) {
  TextCursor cursor(text);
  if (!cursor.accept('&', '&')) return readDecimal(cursor);
  if (cursor.accept('H', 'h')) return readRadixNumber(cursor, 16, 4);
  if (cursor.accept('O', 'o')) return readRadixNumber(cursor, 8, 6);
  return 0;  // "&" that starts no number
}

}  // namespace velmo::chaser
