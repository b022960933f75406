// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

#include "port_client/port.h"

class QSocketNotifier;

namespace velmo::qt {

// Tells the user the port library's notices (an output lost while the show
// goes on, and back) without stopping anything: each as one line on standard
// error, "chaser: Output lost: <details>", and as a desktop notification
// through the session bus's org.freedesktop.Notifications, where the session
// has that service (it is never started for this). A notice that is back
// replaces the one it follows on the desktop.
class PortNoticeRelay final : public QObject {
 public:
  // Watches port's notices from the event loop; does nothing for a library
  // without notices. port must outlive this. Throws RunTimeError when the
  // port library cannot be loaded.
  explicit PortNoticeRelay(LibraryPort& port, QObject* parent = nullptr);

 private:
  void relayWaiting();
  void notify(const QString& headline, const QString& details);

  LibraryPort& port_;
  QSocketNotifier* notifier_ = nullptr;
  unsigned shownId_ = 0;  // the desktop notification on show, 0 for none
};

}  // namespace velmo::qt
