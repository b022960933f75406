// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QSocketNotifier>
#include <QWidget>
#include <array>

#include "port/port_lines.h"
#include "port/port_view.h"
#include "tools/portmonitor/lamp.h"

namespace velmo::portmonitor {

// The port monitor's window: eight lamps for lines 1 to 8 and the byte in
// decimal, hex and binary, redrawn whenever the watcher reports a change.
// Layout and wiring only; the watcher does the work.
class MonitorWindow final : public QWidget {
 public:
  // watcher must outlive the window.
  explicit MonitorWindow(port::RegisterWatcher& watcher, QWidget* parent = nullptr);

  const Lamp& lamp(int line) const { return *lamps_.at(line - 1); }
  QString decimalShown() const { return decimal_->text(); }
  QString hexShown() const { return hex_->text(); }
  QString binaryShown() const { return binary_->text(); }
  // The register's path (and why the output is away, while it is), why it
  // is not followed (waiting for its folder to come back), or the reason it
  // cannot be read.
  QString statusShown() const { return status_->text(); }

 private:
  void registerMayHaveChanged();
  void showByte(std::uint8_t byte);
  void showWhatIsFollowed();

  port::RegisterWatcher& watcher_;
  QSocketNotifier notifier_;
  std::array<Lamp*, port::kLineCount> lamps_{};
  QLabel* decimal_;
  QLabel* hex_;
  QLabel* binary_;
  QLabel* status_;
};

}  // namespace velmo::portmonitor
