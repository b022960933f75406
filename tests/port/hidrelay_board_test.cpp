// SPDX-License-Identifier: GPL-3.0-or-later
// The HID relay module's board against a fake of the hidapi entries it
// binds.
#include "port/backends/hidrelay/hidrelay_board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/port/fakes/fake_hidapi.h"

namespace velmo::port {
namespace {

using test::fakeHidapi;
using ::testing::ElementsAre;

class HidRelayBoardTest : public ::testing::Test {
 protected:
  void SetUp() override { fakeHidapi = {}; }
};

TEST_F(HidRelayBoardTest, OneReportPerChangedRelayFromTheStateReadBackAndTheLinesItHasNot) {
  fakeHidapi.relays = 0x02;
  HidRelayBoard board("ABCDE");
  board.check();
  EXPECT_EQ(board.takeRemark(),
            "Relay board\nThe board USBRelay4 (serial ABCDE) has relays for lines 1 to 4 only; "
            "lines 5 to 8 switch nothing.");
  board.write(0xF3);
  board.write(0x01);
  EXPECT_THAT(fakeHidapi.sent, ElementsAre("ff 01", "fd 02"));
  EXPECT_EQ(fakeHidapi.relays, 0x01);
  EXPECT_EQ(board.takeRemark(), "") << "said once";
}

TEST_F(HidRelayBoardTest, ABoardOfAnotherSerialIsNamedAtStart) {
  try {
    HidRelayBoard("QWERT").check();
    ADD_FAILURE() << "opened";
  } catch (const PortAccessError& error) {
    EXPECT_STREQ(error.what(),
                 "There is no USB HID relay board QWERT. Relay boards found: ABCDE (USBRelay4). "
                 "Set VELMO_PORT=hidrelay:SERIAL with one of these.");
  }
}

TEST_F(HidRelayBoardTest, ABoardUnpluggedMidShowIsAwayAndTakesTheByteOfNowWhenBack) {
  HidRelayBoard board("");
  board.write(0x01);
  fakeHidapi.plugged = false;
  EXPECT_THROW(board.check(), OutputAwayError);
  fakeHidapi = {};  // plugged in again, its relays off
  board.check();
  board.write(0x05);
  EXPECT_THAT(fakeHidapi.sent, ElementsAre("ff 01", "ff 03"));
}

}  // namespace
}  // namespace velmo::port
