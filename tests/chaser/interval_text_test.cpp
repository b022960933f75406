// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/interval_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velmo::chaser {
namespace {

struct Case {
  const char* text;
  std::optional<std::int32_t> expected;  // nullopt: overflow
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << '"' << c.text << '"';
}

class IntervalFromText : public ::testing::TestWithParam<Case> {};

TEST_P(IntervalFromText, ReadsTheLeadingNumberAndRoundsHalfToEven) {
  EXPECT_EQ(intervalFromText(GetParam().text), GetParam().expected);
}

constexpr std::optional<std::int32_t> kOverflow = std::nullopt;

INSTANTIATE_TEST_SUITE_P(Decimal, IntervalFromText,
                         ::testing::Values(Case{"100", 100}, Case{"65535", 65535},
                                           Case{"65536", 65536}, Case{"-1", -1}, Case{"+7", 7},
                                           Case{"0", 0}, Case{"-0", 0}, Case{"007", 7}));

INSTANTIATE_TEST_SUITE_P(
    Rounding, IntervalFromText,
    ::testing::Values(Case{"250.5", 250}, Case{"251.5", 252}, Case{"100.5", 100},
                      Case{"101.5", 102}, Case{"0.5", 0}, Case{"1.5", 2}, Case{"-2.5", -2},
                      Case{"-3.5", -4}, Case{"-0.4", 0}, Case{"2.4999", 2}, Case{"2.5001", 3},
                      // A half only in decimal: binary floating point would round these wrong.
                      Case{"0.50000000000000000001", 1}, Case{"2.49999999999999999999", 2},
                      Case{".5", 0}, Case{".51", 1}, Case{"9.", 9}));

INSTANTIATE_TEST_SUITE_P(BlanksAndTrailingText, IntervalFromText,
                         ::testing::Values(Case{"300 ms", 300}, Case{"1 000", 1000},
                                           Case{" 500 ms", 500}, Case{"\t500", 500},
                                           Case{"5\t0 0", 500}, Case{"- 12", -12},
                                           Case{"1 2 . 5", 12}, Case{"1e 2", 100},
                                           Case{"40ms5", 40}, Case{"1,5", 1}, Case{"12-3", 12},
                                           Case{"1.2.3", 1}));

INSTANTIATE_TEST_SUITE_P(NoNumber, IntervalFromText,
                         ::testing::Values(Case{"", 0}, Case{"abc", 0}, Case{"   ", 0},
                                           Case{"-", 0}, Case{".", 0}, Case{"+-5", 0},
                                           Case{"ms 500", 0}, Case{"&", 0}, Case{"&X1", 0},
                                           Case{"&H", 0}, Case{"&Hzz", 0}, Case{"E5", 0}));

INSTANTIATE_TEST_SUITE_P(
    Exponent, IntervalFromText,
    ::testing::Values(Case{"1E2", 100}, Case{"1e2", 100}, Case{"1D2", 100}, Case{"1d2", 100},
                      Case{"2.5E1", 25}, Case{"15E-1", 2}, Case{"25E-1", 2}, Case{"1E+3", 1000},
                      Case{"1E", 1}, Case{"1E+", 1}, Case{"5E-400", 0},
                      Case{"0E999999999999999999999", 0}, Case{"1E400", kOverflow},
                      Case{"1E99999999999999999999999999", kOverflow}, Case{"0.000001E6", 1},
                      Case{"123456789012345E-10", 12346}));

INSTANTIATE_TEST_SUITE_P(
    HexAndOctal, IntervalFromText,
    ::testing::Values(Case{"&H64", 100}, Case{"&h64", 100}, Case{"&HFFFF", -1},
                      Case{"&H8000", -32768}, Case{"&H7FFF", 32767}, Case{"&H10000", 65536},
                      Case{"&H0FFFF", 65535}, Case{"&HFFFFFFFF", -1}, Case{"&H80000000", INT32_MIN},
                      Case{"&H7FFFFFFF", INT32_MAX}, Case{"&H100000000", kOverflow},
                      Case{"&H000000064", 100}, Case{"&H1F4 ms", 500}, Case{"& H 1F4", 500},
                      Case{"&H12G4", 18}, Case{"&O144", 100}, Case{"&o144", 100},
                      Case{"&O177777", -1}, Case{"&O200000", 65536}, Case{"&O777777", 262143},
                      Case{"&O37777777777", -1}, Case{"&O40000000000", kOverflow},
                      Case{"&O18", 1}));

INSTANTIATE_TEST_SUITE_P(
    SignedThirtyTwoBitRange, IntervalFromText,
    ::testing::Values(Case{"2147483647", INT32_MAX}, Case{"2147483647.4", INT32_MAX},
                      Case{"2147483647.5", kOverflow}, Case{"2147483648", kOverflow},
                      Case{"-2147483648", INT32_MIN}, Case{"-2147483648.5", INT32_MIN},
                      Case{"-2147483649", kOverflow}, Case{"3000000000", kOverflow},
                      Case{"99999999999", kOverflow}));

TEST(IntervalFromTextLong, HugeInputsFinishWithoutOverflowingInternally) {
  EXPECT_EQ(intervalFromText(std::string(100000, '9')), kOverflow);
  EXPECT_EQ(intervalFromText("0." + std::string(100000, '0') + "1"), 0);
  EXPECT_EQ(intervalFromText(std::string(100000, '0') + "42"), 42);
  EXPECT_EQ(intervalFromText("1" + std::string(100000, '0') + "E-100000"), 1);
  EXPECT_EQ(intervalFromText("&H" + std::string(100000, 'F')), kOverflow);
  EXPECT_EQ(intervalFromText("&H" + std::string(100000, '0') + "1"), 1);
  EXPECT_EQ(intervalFromText(std::string(100000, ' ') + "7"), 7);
  EXPECT_EQ(intervalFromText("1E" + std::string(100000, '9')), kOverflow);
  EXPECT_EQ(intervalFromText("1E-" + std::string(100000, '9')), 0);
}

TEST(IntervalFromTextLong, EmbeddedNulEndsTheNumber) {
  EXPECT_EQ(intervalFromText(std::string("12\0"
                                         "3",
                                         4)),
            12);
}

}  // namespace
}  // namespace velmo::chaser
