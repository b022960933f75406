// SPDX-License-Identifier: GPL-3.0-or-later
// The few entries of hidapi that the HID relay module binds, as a fake
// four-relay board.
#include "tests/port/fakes/fake_hidapi.h"

#include <hidapi.h>

#include <cstdio>
#include <cstring>

namespace velmo::test {

FakeHidapi fakeHidapi;

}  // namespace velmo::test

namespace {

using velmo::test::fakeHidapi;

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
