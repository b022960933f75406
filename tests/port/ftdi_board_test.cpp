// SPDX-License-Identifier: GPL-3.0-or-later
// The FTDI module's board against a fake of the libftdi entries it binds.
#include "port/backends/ftdi/ftdi_board.h"

#include <ftdi.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <libusb.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "port/backends/udev_rule.h"

// The few entries of libftdi (and libusb) that the FTDI module binds, as a
// fake board that logs every call.
namespace {

// What the fake libftdi does, and the calls it got ("write 05").
struct FakeFtdi {
  bool plugged = true;  // else no board is found, writes and reads fail
  int openResult = 0;   // of ftdi_usb_open_string and ftdi_usb_open_dev
  std::vector<std::string> calls;
};
FakeFtdi fakeFtdi;

ftdi_context context;
ftdi_device_list entry{nullptr, reinterpret_cast<libusb_device*>(&entry)};

std::string hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02x", value);
  return text;
}

int logged(const std::string& call, int result) {
  fakeFtdi.calls.push_back(call);
  return result;
}

}  // namespace

extern "C" {

ftdi_context* ftdi_new(void) {
  fakeFtdi.calls.push_back("new");
  return &context;
}

void ftdi_free(ftdi_context*) {
  fakeFtdi.calls.push_back("free");
}

int ftdi_usb_find_all(ftdi_context*, ftdi_device_list** list, int vendor, int product) {
  *list = fakeFtdi.plugged ? &entry : nullptr;
  return logged("find_all " + hex(vendor) + ":" + hex(product), fakeFtdi.plugged ? 1 : 0);
}

void ftdi_list_free(ftdi_device_list** list) {
  *list = nullptr;
}

int ftdi_usb_get_strings(ftdi_context*, libusb_device*, char*, int, char* description, int,
                         char* serial, int) {
  std::strcpy(description, "FT245R USB FIFO");
  std::strcpy(serial, "A9HXJ2PK");
  return 0;
}

int ftdi_usb_open_dev(ftdi_context*, libusb_device*) {
  return logged("open_dev", fakeFtdi.openResult);
}

int ftdi_usb_open_string(ftdi_context*, const char* description) {
  return logged(std::string("open_string ") + description, fakeFtdi.openResult);
}

int ftdi_set_bitmode(ftdi_context*, unsigned char mask, unsigned char mode) {
  return logged("set_bitmode " + hex(mask) + " " + hex(mode), 0);
}

int ftdi_write_data(ftdi_context*, const unsigned char* bytes, int size) {
  std::string call = "write";
  for (int i = 0; i < size; ++i) call += " " + hex(bytes[i]);
  return logged(call, fakeFtdi.plugged ? size : -666);
}

int ftdi_read_pins(ftdi_context*, unsigned char* pins) {
  *pins = 0;
  return logged("read_pins", fakeFtdi.plugged ? 0 : -1);
}

int ftdi_usb_close(ftdi_context*) {
  return logged("close", 0);
}

const char* ftdi_get_error_string(ftdi_context*) {
  return "fake failure";
}

int LIBUSB_CALL libusb_get_device_descriptor(libusb_device*, libusb_device_descriptor* descriptor) {
  descriptor->idVendor = 0x0403;
  descriptor->idProduct = 0x6001;
  return 0;
}

uint8_t LIBUSB_CALL libusb_get_bus_number(libusb_device*) {
  return 1;
}

uint8_t LIBUSB_CALL libusb_get_device_address(libusb_device*) {
  return 5;
}

}  // extern "C"

namespace velmo::port {
namespace {

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
