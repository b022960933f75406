// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/hidrelay/hidrelay_board.h"

#include <hidapi.h>
#include <unistd.h>

#include <array>
#include <cwchar>
#include <memory>
#include <utility>

#include "port/backends/lines_module_entries.h"
#include "port/backends/udev_rule.h"
#include "port/port_lines.h"

namespace velmo::port {
namespace {

constexpr unsigned short kVendor = 0x16c0;
constexpr unsigned short kProduct = 0x05df;
constexpr std::wstring_view kProductPrefix = L"USBRelay";
// The report: no report number (0), then eight bytes. Commands: 0xFF
// switches a relay on, 0xFD off; the board's report holds its serial in
// bytes 1 to 5 and the relays' state (bit N-1 for relay N) in byte 8.
using Report = std::array<unsigned char, 9>;
constexpr unsigned char kOn = 0xFF;
constexpr unsigned char kOff = 0xFD;
constexpr std::size_t kSerialLength = 5;
constexpr std::size_t kStateByte = 8;

// A board hidapi lists, as far as we learnt it.
struct Board {
  std::string path;
  unsigned relays = 0;
  std::string serial;  // "" when it could not be read
  bool permitted = true;
};

std::optional<Report> readReport(hid_device* device) {
  Report report{};
  if (hid_get_feature_report(device, report.data(), report.size()) <
      static_cast<int>(kStateByte + 1)) {
    return std::nullopt;
  }
  return report;
}

std::string serialOf(const Report& report) {
  std::string serial(report.begin() + 1, report.begin() + 1 + kSerialLength);
  return serial.substr(0, serial.find('\0'));
}

// The relay boards there are, with their serials when they can be opened.
std::vector<Board> listBoards() {
  std::vector<Board> boards;
  const std::unique_ptr<hid_device_info, void (*)(hid_device_info*)> list(
      hid_enumerate(kVendor, kProduct), hid_free_enumeration);
  for (const hid_device_info* info = list.get(); info; info = info->next) {
    const std::wstring_view product = info->product_string ? info->product_string : L"";
    if (!product.starts_with(kProductPrefix) || product.size() != kProductPrefix.size() + 1)
      continue;
    const unsigned relays = static_cast<unsigned>(product.back() - L'0');
    if (relays < 1 || relays > kLineCount) continue;
    Board board{info->path, relays, "", access(info->path, R_OK | W_OK) == 0};
    if (hid_device* device = board.permitted ? hid_open_path(info->path) : nullptr) {
      if (const auto report = readReport(device)) board.serial = serialOf(*report);
      hid_close(device);
    }
    boards.push_back(board);
  }
  return boards;
}

std::string describe(const std::vector<Board>& boards) {
  std::string text;
  for (const Board& board : boards) {
    text += (text.empty() ? "" : ", ") +
            (board.serial.empty() ? std::string("one at ") + board.path : board.serial) +
            " (USBRelay" + std::to_string(board.relays) +
            (board.permitted ? "" : ", which you may not open") + ")";
  }
  return text;
}

}  // namespace

std::unique_ptr<OutputLines> makeModuleLines(const std::vector<std::string>& fields) {
  if (fields.size() != 1)
    throw PortAccessError("The HID relay module takes one field, the serial.");
  return std::make_unique<HidRelayBoard>(fields[0]);
}

HidRelayBoard::HidRelayBoard(std::string serial) : serial_(std::move(serial)) {}

HidRelayBoard::~HidRelayBoard() {
  release();
}

std::string HidRelayBoard::name() const {
  return serial_.empty() ? "USB HID relay board" : "USB HID relay board " + serial_;
}

void HidRelayBoard::check() {
  if (!board_) return open();
  if (!readReport(board_)) away();
}

void HidRelayBoard::open() {
  hid_init();
  const std::vector<Board> boards = listBoards();
  const Board* chosen = nullptr;
  for (const Board& board : boards) {
    if (serial_.empty() || board.serial == serial_) {
      chosen = &board;
      break;
    }
  }
  if (chosen && !chosen->permitted) {
    throw PortAccessError("Cannot open the " + name() + " at " + chosen->path +
                          ": permission denied. " VELMO_UDEV_RULE_FIX);
  }
  board_ = chosen ? hid_open_path(chosen->path.c_str()) : nullptr;
  const auto report = board_ ? readReport(board_) : std::nullopt;
  if (!report) {
    release();
    throw PortAccessError("There is no " + name() + ". " +
                          (boards.empty()
                               ? "No USB HID relay board was found: plug the board in."
                               : "Relay boards found: " + describe(boards) +
                                     ". Set VELMO_PORT=hidrelay:SERIAL with one of these."));
  }
  relayCount_ = chosen->relays;
  relays_ = (*report)[kStateByte];
  if (relayCount_ < kLineCount && !told_) {
    remark_ = "Relay board\nThe board USBRelay" + std::to_string(relayCount_) + " (" +
              (chosen->serial.empty() ? chosen->path : "serial " + chosen->serial) +
              ") has relays for lines 1 to " + std::to_string(relayCount_) + " only; lines " +
              std::to_string(relayCount_ + 1) + " to 8 switch nothing.";
  }
}

std::string HidRelayBoard::takeRemark() {
  told_ = told_ || !remark_.empty();
  return std::exchange(remark_, {});
}

void HidRelayBoard::write(std::uint8_t value) {
  if (!board_) open();
  for (unsigned relay = 1; relay <= relayCount_; ++relay) {
    const unsigned bit = 1u << (relay - 1);
    if (((value ^ relays_) & bit) == 0) continue;
    const Report command{0, (value & bit) ? kOn : kOff, static_cast<unsigned char>(relay)};
    if (hid_send_feature_report(board_, command.data(), command.size()) < 0) away();
    relays_ ^= static_cast<std::uint8_t>(bit);
  }
}

void HidRelayBoard::release() {
  if (board_) hid_close(board_);
  board_ = nullptr;
}

void HidRelayBoard::away() {
  release();
  throw OutputAwayError("The " + name() +
                        " went away. It is opened again as soon as it is plugged in.");
}

}  // namespace velmo::port
