// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_app.h"

#include <QHostInfo>
#include <QNetworkInterface>
#include <stdexcept>

#include "tools/remote/terminal_qr.h"
#include "tools/remote/token_store.h"

namespace velmo::remote {
namespace {

QString hostText(const QHostAddress& address) {
  QHostAddress plain = address;
  plain.setScopeId({});
  const QString text = plain.toString().toLower();
  return address.protocol() == QAbstractSocket::IPv6Protocol ? "[" + text + "]" : text;
}

bool listensEverywhere(const QHostAddress& address) {
  return address == QHostAddress::Any || address == QHostAddress::AnyIPv4 ||
         address == QHostAddress::AnyIPv6;
}

// The Host values that name the remote: its addresses, and names of this
// machine, each with the port.
std::vector<std::string> ownHosts(const QHostAddress& listen, quint16 port) {
  QList<QHostAddress> addresses{listen};
  if (listensEverywhere(listen)) addresses = QNetworkInterface::allAddresses();
  QStringList names{"localhost"};
  if (!listen.isLoopback()) {
    const QString machine = QHostInfo::localHostName().toLower();
    names << machine << machine + ".local";
  }
  if (listen.isLoopback() || listensEverywhere(listen))
    addresses << QHostAddress(QHostAddress::LocalHost) << QHostAddress(QHostAddress::LocalHostIPv6);
  for (const QHostAddress& address : addresses) names << hostText(address);
  std::vector<std::string> hosts;
  for (const QString& name : names)
    hosts.push_back((name + ":" + QString::number(port)).toStdString());
  return hosts;
}

// The address a phone on the network opens: the listen address, or the
// machine's first address on a network when it listens on all of them.
QHostAddress addressToOpen(const QHostAddress& listen) {
  if (!listensEverywhere(listen)) return listen;
  for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
    if (!address.isLoopback() && address.protocol() == QAbstractSocket::IPv4Protocol)
      return address;
  }
  return QHostAddress::LocalHost;
}

QDBusConnection connected(QDBusConnection bus) {
  if (!bus.isConnected()) {
    throw std::runtime_error("cannot reach the session bus (" +
                             bus.lastError().message().toStdString() +
                             "): the remote drives the programs through it; start it in the "
                             "desktop session where they run");
  }
  return bus;
}

}  // namespace

RemoteApp::RemoteApp(const RemoteOptions& options, QDBusConnection bus)
    : options_(options),
      target_(port::viewPort(options.portSetting)),
      token_(options.needsToken ? loadOrMakeToken(tokenFolder()) : ""),
      feed_(port::watchRegister(target_)),
      programs_(connected(bus), target_.target),
      gate_(Admission{{}, token_}),
      http_(programs_, [this] { return state(); }),
      handOver_(new HandOverServer),
      listener_(gate_, RequestLimits{}, *handOver_),
      push_(http_, programs_, [this] { return state(); }) {
  if (!listener_.listen(options.listenAddress, options.listenPort)) {
    throw std::runtime_error("cannot listen on " + hostText(options.listenAddress).toStdString() +
                             ":" + std::to_string(options.listenPort) + ": " +
                             listener_.errorString().toStdString() +
                             " (is a remote running there already? --listen picks another)");
  }
  gate_ = RequestGate(Admission{ownHosts(options.listenAddress, listener_.serverPort()), token_});
  // Qt HttpServer asks for a listening server; this one only ever gets
  // connections handed over, so it stops listening before anything can
  // reach it.
  handOver_->listen(QHostAddress::LocalHost, 0);
  http_.bind(handOver_);
  handOver_->close();

  if (options.oscPort) {
    osc_ = std::make_unique<OscReceiver>(
        *options.oscPort, options.oscAllowed,
        [this](const Command& command) { programs_.send(command, [](const auto&) {}); });
  }
  pushSoon_.setSingleShot(true);
  pushSoon_.setInterval(0);
  connect(&pushSoon_, &QTimer::timeout, this, &RemoteApp::push);
  connect(&feed_, &RegisterFeed::changed, this, &RemoteApp::stateMayHaveChanged);
  connect(&programs_, &BusPrograms::changed, this, &RemoteApp::stateMayHaveChanged);
  pushed_ = state();
}

RemoteState RemoteApp::state() const {
  const auto& chaser = programs_.chaser();
  const auto& panel = programs_.panel();
  RemoteState state;
  state.chaserRunning = chaser.running;
  state.panelRunning = panel.running;
  state.pattern = chaser.running ? chaser.properties.value("Pattern").toUInt() : 0;
  state.lines =
      panel.running ? static_cast<std::uint8_t>(panel.properties.value("Lines").toUInt()) : 0;
  state.captions = panel.properties.value("Captions").toStringList();
  while (state.captions.size() < 16) state.captions << QString();
  state.register_ = feed_.byte();
  return state;
}

void RemoteApp::stateMayHaveChanged() {
  if (!pushSoon_.isActive()) pushSoon_.start();
}

void RemoteApp::push() {
  const RemoteState now = state();
  if (now == pushed_) return;
  pushed_ = now;
  push_.broadcast(now);
}

std::string RemoteApp::pageAddress() const {
  const QHostAddress open = addressToOpen(options_.listenAddress);
  return "http://" + hostText(open).toStdString() + ":" + std::to_string(listener_.serverPort()) +
         "/";
}

std::string RemoteApp::notice() const {
  std::string text;
  if (token_.empty()) {
    text = "The remote's page: " + pageAddress() + " (this computer only)\n";
  } else {
    const std::string address = pageAddress() + "#token=" + token_;
    text = "The remote's page, with its token: " + address + "\n" + terminalQr(address) +
           "The token is kept in " + tokenFolder() +
           "/remote-token; delete that file to make a new one.\n";
  }
  if (osc_) text += "OSC commands on UDP " + osc_->address().toStdString() + "\n";
  return text;
}

}  // namespace velmo::remote
