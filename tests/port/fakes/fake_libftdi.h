// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ftdi.h>

#include <string>
#include <vector>

namespace velmo::test {

// What the fake libftdi does, and the calls it got ("write 05").
struct FakeFtdi {
  bool plugged = true;  // else no board is found, writes and reads fail
  int openResult = 0;   // of ftdi_usb_open_string and ftdi_usb_open_dev
  std::vector<std::string> calls;
};
extern FakeFtdi fakeFtdi;

}  // namespace velmo::test
