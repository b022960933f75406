// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/ftdi/ftdi_board.h"

#include <ftdi.h>
#include <libusb.h>

#include <cstdio>

#include "port/backends/lines_module_entries.h"
#include "port/backends/udev_rule.h"

namespace velmo::port {
namespace {

constexpr int kVendor = 0x0403;
constexpr int kFt245rOrFt232r = 0x6001;
constexpr unsigned char kAllOutputs = 0xFF;

// The device list of a search, freed at the end of the scope.
struct DeviceList {
  ~DeviceList() { ftdi_list_free(&first); }
  ftdi_device_list* first = nullptr;
};

// "s:0x0403:0x6001:A50285BI (FT245R USB FIFO)", or the bus and device
// when the board's strings cannot be read.
std::string describe(ftdi_context* context, libusb_device* device) {
  libusb_device_descriptor descriptor{};
  libusb_get_device_descriptor(device, &descriptor);
  char product[128] = "";
  char serial[64] = "";
  char text[256];
  if (ftdi_usb_get_strings(context, device, nullptr, 0, product, sizeof product, serial,
                           sizeof serial) == 0 &&
      serial[0] != '\0') {
    std::snprintf(text, sizeof text, "s:0x%04x:0x%04x:%s (%s)", descriptor.idVendor,
                  descriptor.idProduct, serial, product);
  } else {
    std::snprintf(text, sizeof text, "d:%03u/%03u (0x%04x:0x%04x)", libusb_get_bus_number(device),
                  libusb_get_device_address(device), descriptor.idVendor, descriptor.idProduct);
  }
  return text;
}

// The FTDI boards libftdi finds, for people.
std::string boardsFound(ftdi_context* context) {
  DeviceList list;
  if (ftdi_usb_find_all(context, &list.first, 0, 0) < 0) return "";
  std::string found;
  for (const ftdi_device_list* entry = list.first; entry; entry = entry->next) {
    found += (found.empty() ? "" : ", ") + describe(context, entry->dev);
  }
  return found;
}

}  // namespace

std::unique_ptr<OutputLines> makeModuleLines(const std::vector<std::string>& fields) {
  if (fields.size() != 1) throw PortAccessError("The FTDI module takes one field, the device.");
  return std::make_unique<FtdiBoard>(fields[0]);
}

FtdiBoard::FtdiBoard(std::string device) : device_(std::move(device)) {}

FtdiBoard::~FtdiBoard() {
  release();
}

std::string FtdiBoard::name() const {
  return device_.empty() ? "FT245R or FT232R board" : "FTDI board " + device_;
}

void FtdiBoard::check() {
  if (!context_) return open();
  unsigned char pins = 0;
  if (ftdi_read_pins(context_, &pins) < 0) away(ftdi_get_error_string(context_));
}

void FtdiBoard::open() {
  context_ = ftdi_new();
  if (!context_) throw PortAccessError("Cannot set up libftdi: out of memory.");
  // libftdi's results: 0 done, -3 no such device (for a device string),
  // -4 it cannot be opened, -5 it cannot be claimed.
  int result = 0;
  bool missing = false;
  if (device_.empty()) {
    DeviceList list;
    missing = ftdi_usb_find_all(context_, &list.first, kVendor, kFt245rOrFt232r) <= 0;
    if (!missing) result = ftdi_usb_open_dev(context_, list.first->dev);
  } else {
    result = ftdi_usb_open_string(context_, device_.c_str());
    missing = result == -3;
  }
  if (!missing && result == 0) result = ftdi_set_bitmode(context_, kAllOutputs, BITMODE_BITBANG);
  if (!missing && result == 0) return;
  std::string problem;
  if (missing) {
    const std::string found = boardsFound(context_);
    problem = "There is no " + name() + ". " +
              (found.empty() ? "No FTDI board was found: plug the board in."
                             : "FTDI boards found: " + found +
                                   ". Set VELMO_PORT=ftdi:DEVICE with one of these.");
  } else if (result == -4) {
    problem = "Cannot open the " + name() + ": permission denied (" +
              ftdi_get_error_string(context_) + "). " + VELMO_UDEV_RULE_FIX;
  } else if (result == -5) {
    problem = "The " + name() + " is in use by another program (" +
              ftdi_get_error_string(context_) + "): close it and try again.";
  } else {
    problem = "Cannot open the " + name() + ": " + ftdi_get_error_string(context_) + ".";
  }
  release();
  throw PortAccessError(problem);
}

void FtdiBoard::write(std::uint8_t value) {
  if (!context_) open();
  if (ftdi_write_data(context_, &value, 1) != 1) away(ftdi_get_error_string(context_));
}

void FtdiBoard::release() {
  if (!context_) return;
  ftdi_usb_close(context_);
  ftdi_free(context_);
  context_ = nullptr;
}

void FtdiBoard::away(const std::string& what) {
  release();
  throw OutputAwayError("The " + name() + " went away (" + what +
                        "). It is opened again as soon as it is plugged in.");
}

}  // namespace velmo::port
