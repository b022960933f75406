// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "http/server.h"
#include "port/port_view.h"
#include "tools/remote/bus_programs.h"
#include "tools/remote/command_runner.h"
#include "tools/remote/dmx_input.h"
#include "tools/remote/mqtt_front.h"
#include "tools/remote/osc_receiver.h"
#include "tools/remote/register_feed.h"
#include "tools/remote/remote_api.h"
#include "tools/remote/remote_on_bus.h"
#include "tools/remote/remote_options.h"

namespace velmo::remote {

// The remote, wired: the register and the programs on the bus make the
// state; the HTTP server carries the page, the API and the push channel to
// RemoteApi; OSC, Home Assistant over MQTT and a lighting desk's universe,
// each when asked for, drive the programs too, through the same
// CommandRunner.
class RemoteApp : public QObject {
  Q_OBJECT

 public:
  // Starts serving. Throws std::runtime_error (or port::PortAccessError)
  // that says what to do when the port target, the token, an address or the
  // bus cannot be had.
  RemoteApp(const RemoteOptions& options, QDBusConnection bus);
  ~RemoteApp() override;

  // What to tell the user at start: where the page is, with the token and
  // (on a network) a QR code of the address when told to a terminal, else
  // where the token is kept; and where OSC, MQTT and DMX are taken.
  std::string notice(bool terminal) const;

 private:
  RemoteState state() const;
  void stateMayHaveChanged();
  void push();
  void listen();
  // The page's address for a phone on the network, or on this computer.
  std::string networkAddress() const;
  std::string localAddress() const;

  RemoteOptions options_;
  port::PortView target_;
  std::string token_;
  RegisterFeed feed_;
  BusPrograms programs_;
  CommandRunner commands_;
  http::Server http_;
  RemoteApi api_;
  std::unique_ptr<OscReceiver> osc_;
  std::unique_ptr<MqttFront> mqtt_;
  std::unique_ptr<DmxInput> dmx_;
  std::unique_ptr<RemoteOnBus> onBus_;
  QTimer pushSoon_;
  RemoteState pushed_;
};

}  // namespace velmo::remote
