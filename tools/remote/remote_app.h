// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "port/port_view.h"
#include "tools/remote/bus_programs.h"
#include "tools/remote/guarded_listener.h"
#include "tools/remote/http_api.h"
#include "tools/remote/osc_receiver.h"
#include "tools/remote/push_channel.h"
#include "tools/remote/register_feed.h"
#include "tools/remote/remote_options.h"
#include "tools/remote/request_gate.h"

namespace velmo::remote {

// The remote, wired: the register and the programs on the bus make the
// state; the page, the API and the push channel serve it behind the guard;
// OSC, when asked for, drives the programs too.
class RemoteApp : public QObject {
  Q_OBJECT

 public:
  // Starts serving. Throws std::runtime_error (or port::PortAccessError)
  // that says what to do when the port target, the token, an address or the
  // bus cannot be had.
  RemoteApp(const RemoteOptions& options, QDBusConnection bus);

  // What to tell the user at start: where the page is (with the token and a
  // QR code of the address when one is needed) and where OSC is taken.
  std::string notice() const;

 private:
  RemoteState state() const;
  void stateMayHaveChanged();
  void push();
  std::string pageAddress() const;

  RemoteOptions options_;
  port::PortView target_;
  std::string token_;
  RegisterFeed feed_;
  BusPrograms programs_;
  RequestGate gate_;
  HttpApi http_;
  HandOverServer* handOver_;  // owned by http_
  GuardedListener listener_;
  PushChannel push_;
  std::unique_ptr<OscReceiver> osc_;
  QTimer pushSoon_;
  RemoteState pushed_;
};

}  // namespace velmo::remote
