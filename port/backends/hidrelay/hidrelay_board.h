// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "port/backends/output_lines.h"

typedef struct hid_device_ hid_device;

namespace velmo::port {

// A USB HID relay board (16c0:05df, product "USBRelay1" to "USBRelay8" for
// one to eight relays) through hidapi: one feature report per relay that
// changed, the relays' state read back from the board's report when it is
// opened. A board with fewer relays than lines drives its own, and says so
// once. The relays keep their state when the board is let go.
class HidRelayBoard final : public OutputLines {
 public:
  // serial: the board's serial (five characters, in its report), "" for
  // the first board. Opens nothing yet.
  explicit HidRelayBoard(std::string serial);
  ~HidRelayBoard() override;
  HidRelayBoard(const HidRelayBoard&) = delete;
  HidRelayBoard& operator=(const HidRelayBoard&) = delete;

  // Throws OutputAwayError when the board went away.
  void write(std::uint8_t value) override;
  std::optional<std::uint8_t> read() override { return std::nullopt; }

  // Opens the board and reads its relays unless open, or checks that it
  // still answers. Throws PortAccessError naming the board and the fix: no
  // such board (with the boards there are), permission denied (the udev
  // rule); OutputAwayError when an open board went away.
  void check() override;

  void release() override;
  std::string takeRemark() override;

 private:
  void open();
  [[noreturn]] void away();
  std::string name() const;

  std::string serial_;
  hid_device* board_ = nullptr;
  unsigned relayCount_ = 0;
  std::uint8_t relays_ = 0;  // as the board has them
  std::string remark_;
  bool told_ = false;
};

}  // namespace velmo::port
