// SPDX-License-Identifier: GPL-3.0-or-later
// The FTDI module's board against a fake of the libftdi entries it binds.
#include "port/backends/ftdi/ftdi_board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "port/backends/udev_rule.h"
#include "tests/port/fakes/fake_libftdi.h"

namespace velmo::port {
namespace {

using test::fakeFtdi;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class FtdiBoardTest : public ::testing::Test {
 protected:
  void SetUp() override { fakeFtdi = {}; }

  std::string startError(const std::string& device) {
    try {
      FtdiBoard(device).check();
    } catch (const PortAccessError& error) {
      return error.what();
    }
    return "";
  }
};

TEST_F(FtdiBoardTest, AllPinsAreOutputsInBitBangModeAndEachWriteIsOneByte) {
  FtdiBoard board("s:0x0403:0x6001:A9HXJ2PK");
  board.check();
  board.write(0x05);
  board.write(0xFA);
  EXPECT_THAT(fakeFtdi.calls, ElementsAre("new", "open_string s:0x0403:0x6001:A9HXJ2PK",
                                          "set_bitmode ff 01", "write 05", "write fa"));
}

TEST_F(FtdiBoardTest, WithoutADeviceTheFirstFt245rOrFt232rIsOpened) {
  FtdiBoard board("");
  board.check();
  EXPECT_THAT(fakeFtdi.calls,
              ElementsAre("new", "find_all 403:6001", "open_dev", "set_bitmode ff 01"));
}

TEST_F(FtdiBoardTest, StartFaultsNameTheBoardsThereAreOrTheFix) {
  fakeFtdi.openResult = -3;
  EXPECT_EQ(startError("s:0x0403:0x6001:B"),
            "There is no FTDI board s:0x0403:0x6001:B. FTDI boards found: "
            "s:0x0403:0x6001:A9HXJ2PK (FT245R USB FIFO). Set VELMO_PORT=ftdi:DEVICE with one of "
            "these.");
  fakeFtdi.openResult = -4;
  EXPECT_THAT(startError(""), HasSubstr("permission denied (fake failure). " VELMO_UDEV_RULE_FIX));
  fakeFtdi.plugged = false;
  EXPECT_EQ(startError(""),
            "There is no FT245R or FT232R board. No FTDI board was found: plug the board in.");
}

TEST_F(FtdiBoardTest, ABoardUnpluggedMidShowIsAwayAndOpenedAgainWhenBack) {
  FtdiBoard board("i:0x0403:0x6001");
  board.write(0x01);
  fakeFtdi.plugged = false;
  EXPECT_THROW(board.write(0x02), OutputAwayError);
  fakeFtdi.plugged = true;
  fakeFtdi.calls.clear();
  board.check();
  board.write(0x02);
  EXPECT_THAT(fakeFtdi.calls,
              ElementsAre("new", "open_string i:0x0403:0x6001", "set_bitmode ff 01", "write 02"));
}

}  // namespace
}  // namespace velmo::port
