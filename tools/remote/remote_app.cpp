// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/remote_app.h"

#include <QDBusMetaType>
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

// The address this computer opens the page at: the listen address, or
// loopback when it listens everywhere.
QHostAddress localToOpen(const QHostAddress& listen) {
  return listensEverywhere(listen) ? QHostAddress(QHostAddress::LocalHost) : listen;
}

// The chaser's patterns, as the select in Home Assistant offers them:
// "Deaktiver", then every pattern the chaser tells (its three and the
// user's), or its three while it has told none.
std::vector<PatternOption> chaserPatterns(const BusPrograms::Program& chaser) {
  std::vector<PatternOption> options{{0, std::string(kChaserButtons[0])}};
  for (const dbus::PatternEntry& entry : chaser.properties.as<dbus::ChaserAdaptor>().patterns())
    options.push_back({entry.number, entry.name.toStdString()});
  if (options.size() > 1) return options;
  for (unsigned pattern = 1; pattern < kChaserButtons.size(); ++pattern)
    options.push_back({pattern, std::string(kChaserButtons[pattern])});
  return options;
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
      token_(loadOrMakeToken(tokenFolder())),
      feed_(port::watchRegister(target_)),
      programs_(connected(bus), target_.target),
      commands_(programs_),
      api_(
          Admission{{}, token_}, commands_, [this] { return state(); }, http_) {
  listen();
  if (options.oscPort) {
    osc_ = std::make_unique<OscReceiver>(
        *options.oscPort, options.oscAllowed,
        [this](const Command& command) { commands_.run(command, [](const auto&) {}); });
  }
  if (options.mqtt) {
    const DeviceIdentity identity{QHostInfo::localHostName().toStdString(), target_.target,
                                  VELMO_VERSION, options.discoveryPrefix};
    mqtt_ = std::make_unique<MqttFront>(
        MqttFront::Settings{*options.mqtt, options.mqttCaFile, identity}, commands_,
        [this] { return state(); });
  }
  if (options.dmxIn) dmx_ = std::make_unique<DmxInput>(*options.dmxIn, commands_, programs_);
  onBus_ =
      std::make_unique<RemoteOnBus>(QString::fromStdString(localAddress() + "#token=" + token_));
  onBus_->serveOn(bus, target_.target);
  pushSoon_.setSingleShot(true);
  pushSoon_.setInterval(0);
  connect(&pushSoon_, &QTimer::timeout, this, &RemoteApp::push);
  connect(&feed_, &RegisterFeed::changed, this, &RemoteApp::stateMayHaveChanged);
  connect(&programs_, &BusPrograms::changed, this, &RemoteApp::stateMayHaveChanged);
  pushed_ = state();
}

RemoteApp::~RemoteApp() {
  // The server's thread calls api_: it ends before anything goes.
  http_.stop();
}

void RemoteApp::listen() {
  const std::string address = options_.listenAddress.toString().toStdString();
  try {
    http_.start(api_, address, options_.listenPort);
  } catch (const std::runtime_error& error) {
    throw std::runtime_error(std::string(error.what()) +
                             " (is a remote running there already? --listen picks another)");
  }
  // Requests reach the gate on this thread's event loop, which runs only
  // once the gate knows the port.
  api_.admit(Admission{ownHosts(options_.listenAddress, http_.port()), token_});
}

RemoteState RemoteApp::state() const {
  const auto& chaser = programs_.chaser();
  const auto& panel = programs_.panel();
  const auto& chaserProperties = chaser.properties.as<dbus::ChaserAdaptor>();
  const auto& panelProperties = panel.properties.as<dbus::SwitchPanelAdaptor>();
  RemoteState state;
  state.chaserRunning = chaser.running;
  state.panelRunning = panel.running;
  state.pattern = chaser.running ? chaserProperties.pattern() : 0;
  state.lines = panel.running ? panelProperties.lines() : 0;
  for (const QString& caption : panelProperties.captions())
    state.captions.push_back(caption.toStdString());
  state.captions.resize(16);
  state.patterns = chaserPatterns(chaser);
  state.speed = chaserProperties.speed() > 0 ? chaserProperties.speed() : 1;
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
  api_.broadcast(now);
  if (mqtt_) mqtt_->follow();
}

std::string RemoteApp::networkAddress() const {
  return "http://" + hostText(addressToOpen(options_.listenAddress)).toStdString() + ":" +
         std::to_string(http_.port()) + "/";
}

std::string RemoteApp::localAddress() const {
  return "http://" + hostText(localToOpen(options_.listenAddress)).toStdString() + ":" +
         std::to_string(http_.port()) + "/";
}

std::string RemoteApp::notice(bool terminal) const {
  const std::string page = options_.network ? networkAddress() : localAddress();
  const std::string where = options_.network ? "" : " (this computer only)";
  const std::string file = tokenFile(tokenFolder());
  std::string text;
  if (terminal) {
    const std::string address = page + "#token=" + token_;
    text = "The remote's page, with its token" + where + ": " + address + "\n" +
           (options_.network ? terminalQr(address) : "") + "The token is kept in " + file +
           "; delete that file to make a new one.\n";
  } else {
    text = "The remote's page" + where + ": " + page + " (its token is in " + file +
           "; velmo remote url prints the page's address with it)\n";
  }
  if (osc_) text += "OSC commands on UDP " + osc_->address().toStdString() + "\n";
  if (mqtt_) text += mqtt_->notice();
  if (dmx_) text += dmx_->notice();
  return text;
}

}  // namespace velmo::remote
