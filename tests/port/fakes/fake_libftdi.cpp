// SPDX-License-Identifier: GPL-3.0-or-later
// The few entries of libftdi (and libusb) that the FTDI module binds, as a
// fake board that logs every call.
#include "tests/port/fakes/fake_libftdi.h"

#include <libusb.h>

#include <cstdio>
#include <cstring>

namespace velmo::test {

FakeFtdi fakeFtdi;

}  // namespace velmo::test

namespace {

using velmo::test::fakeFtdi;

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
