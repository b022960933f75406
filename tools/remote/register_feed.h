// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <cstdint>
#include <memory>

#include "port/port_view.h"

namespace velmo::remote {

// The port register's byte, followed on the event loop: changed() comes
// the moment anyone writes a new byte.
class RegisterFeed : public QObject {
  Q_OBJECT

 public:
  explicit RegisterFeed(std::unique_ptr<port::RegisterWatcher> watcher, QObject* parent = nullptr);

  std::uint8_t byte() const { return watcher_->byte(); }

 signals:
  void changed();

 private:
  void mayHaveChanged();

  std::unique_ptr<port::RegisterWatcher> watcher_;
  QSocketNotifier notifier_;
};

}  // namespace velmo::remote
