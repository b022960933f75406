// SPDX-License-Identifier: GPL-3.0-or-later
// The HID relay module's board against a fake of the hidapi entries it
// binds.
#include "port/backends/hidrelay/hidrelay_board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <hidapi.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// The few entries of hidapi that the HID relay module binds, as a fake
// four-relay board.
namespace {

// What the fake hidapi does: one relay board USBRelay4 with serial
// "ABCDE", unless unplugged; and the feature reports sent to it ("ff 01").
struct FakeHidapi {
  bool plugged = true;
  std::uint8_t relays = 0;  // the board's state
  std::vector<std::string> sent;
};
FakeHidapi fakeHidapi;

char path[] = "/dev/null";
wchar_t product[] = L"USBRelay4";
hid_device_info board = [] {
  hid_device_info info{};
  info.path = path;
  info.vendor_id = 0x16c0;
  info.product_id = 0x05df;
  info.product_string = product;
  return info;
}();
hid_device* const handle = reinterpret_cast<hid_device*>(&board);

}  // namespace

extern "C" {

int hid_init(void) {
  return 0;
}

hid_device_info* hid_enumerate(unsigned short, unsigned short) {
  return fakeHidapi.plugged ? &board : nullptr;
}

void hid_free_enumeration(hid_device_info*) {}

hid_device* hid_open_path(const char*) {
  return fakeHidapi.plugged ? handle : nullptr;
}

void hid_close(hid_device*) {}

int hid_get_feature_report(hid_device*, unsigned char* data, size_t length) {
  if (!fakeHidapi.plugged || length < 9) return -1;
  std::memcpy(data + 1, "ABCDE", 5);
  data[8] = fakeHidapi.relays;
  return 9;
}

int hid_send_feature_report(hid_device*, const unsigned char* data, size_t length) {
  if (!fakeHidapi.plugged || length != 9 || data[0] != 0) return -1;
  char text[8];
  std::snprintf(text, sizeof text, "%02x %02x", data[1], data[2]);
  fakeHidapi.sent.push_back(text);
  const unsigned bit = 1u << (data[2] - 1);
  fakeHidapi.relays = static_cast<std::uint8_t>(data[1] == 0xFF ? fakeHidapi.relays | bit
                                                                : fakeHidapi.relays & ~bit);
  return 9;
}

}  // extern "C"

namespace velmo::port {
namespace {

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
