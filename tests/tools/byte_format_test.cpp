// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/portmonitor/byte_format.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <regex>
#include <string>

namespace velmo::portmonitor {
namespace {

TEST(ByteFormat, ShowsTheByteInEveryBase) {
  const struct {
    std::uint8_t byte;
    const char* hex;
    const char* binary;
    const char* linesOn;
  } rows[] = {{0, "0x00", "00000000", "--------"},
              {1, "0x01", "00000001", "1-------"},
              {129, "0x81", "10000001", "1------8"},
              {0xA5, "0xA5", "10100101", "1-3--6-8"},
              {255, "0xFF", "11111111", "12345678"}};
  for (const auto& row : rows) {
    EXPECT_EQ(hexText(row.byte), row.hex);
    EXPECT_EQ(binaryText(row.byte), row.binary);
    std::string lines;
    for (int line = 1; line <= kLineCount; ++line) {
      lines += lineIsOn(row.byte, line) ? static_cast<char>('0' + line) : '-';
    }
    EXPECT_EQ(lines, row.linesOn) << int{row.byte};
  }
}

TEST(ByteFormat, WatchLineCarriesLocalTimeToTheMillisecond) {
  tm noon{};
  noon.tm_year = 124;
  noon.tm_mon = 5;
  noon.tm_mday = 1;
  noon.tm_hour = 12;
  noon.tm_min = 0;
  noon.tm_sec = 1;
  noon.tm_isdst = -1;
  const auto when =
      std::chrono::system_clock::from_time_t(mktime(&noon)) + std::chrono::milliseconds(234);
  EXPECT_EQ(watchLine(when, "out", 129), "12:00:01.234  out 0x81  129  10000001");
  EXPECT_EQ(watchLine(when, "now", 7), "12:00:01.234  now 0x07    7  00000111");
  EXPECT_EQ(watchNote(when, "back", "/run/velmo/port-888"),
            "12:00:01.234  back /run/velmo/port-888");
}

}  // namespace
}  // namespace velmo::portmonitor
