// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/mqtt_front.h"

#include <QPointer>
#include <stdexcept>

#include "system/mqtt_password.h"
#include "system/paths.h"
#include "system/shared_object.h"
#include "system/standard_error.h"
#include "tools/remote/mqtt/mqtt_module.h"

namespace velmo::remote {

// The module's entries.
struct MqttModule {
  decltype(&RemoteMqttStart) start;
  decltype(&RemoteMqttSubscribe) subscribe;
  decltype(&RemoteMqttPublish) publish;
  decltype(&RemoteMqttStop) stop;
  decltype(&RemoteMqttError) error;
};

namespace {

constexpr SharedObjectRole kMqttModuleRole{
    .name = "MQTT module, which --mqtt needs,",
    .ifMissing =
        "For velmo-remote installed from its package, install the package "
        "velmo-remote-mqtt of the same version; for your own build, install "
        "libmosquitto's development files (sudo apt-get install libmosquitto-dev) "
        "and build again.",
    .ifUnusable = "Replace it with the " VELMO_REMOTE_MQTT_MODULE_NAME " of this version of Velmo.",
    .ifNeedsLibrary = "Install libmosquitto (sudo apt-get install libmosquitto1)."};

const MqttModule& mqttModule() {
  try {
    return keptLoaded(programFolder() + "/" VELMO_REMOTE_MQTT_MODULE_NAME, kMqttModuleRole,
                      [](const SharedObject& object) {
                        return MqttModule{VELMO_ENTRY(object, RemoteMqttStart),
                                          VELMO_ENTRY(object, RemoteMqttSubscribe),
                                          VELMO_ENTRY(object, RemoteMqttPublish),
                                          VELMO_ENTRY(object, RemoteMqttStop),
                                          VELMO_ENTRY(object, RemoteMqttError)};
                      });
  } catch (const RunTimeError& failure) {
    throw std::runtime_error(failure.what());
  }
}

}  // namespace

MqttFront::MqttFront(const Settings& settings, CommandRunner& commands,
                     std::function<RemoteState()> view, QObject* parent)
    : QObject(parent),
      settings_(settings),
      commands_(commands),
      view_(std::move(view)),
      device_(settings.identity),
      presence_("MQTT",
                "Home Assistant cannot drive the programs meanwhile; the remote tries again, "
                "and publishes everything anew once the broker is back."),
      module_(mqttModule()) {
  const MqttBroker& broker = settings.broker;
  const std::string password = broker.user.empty() ? "" : readMqttPassword(mqttPasswordPath());
  const MqttMessage will = device_.lastWill();
  const RemoteMqttSettings connection{broker.host.c_str(),
                                      broker.port,
                                      broker.user.empty() ? nullptr : broker.user.c_str(),
                                      broker.user.empty() ? nullptr : password.c_str(),
                                      broker.tls ? 1 : 0,
                                      settings.caFile.empty() ? nullptr : settings.caFile.c_str(),
                                      will.topic.c_str(),
                                      will.payload.c_str()};
  const RemoteMqttHandlers handlers{this, &onConnected, &onLost, &onMessage};
  mqtt_ = module_.start(&connection, &handlers);
  if (!mqtt_) throw std::runtime_error(module_.error());
}

MqttFront::~MqttFront() {
  const MqttMessage goodbye = device_.lastWill();
  module_.stop(mqtt_, goodbye.topic.c_str(), goodbye.payload.c_str());
}

std::string MqttFront::notice() const {
  return "Home Assistant device on the MQTT broker " + settings_.broker.text() +
         ", discovery under " + settings_.identity.discoveryPrefix + "/, topics under velmo/" +
         device_.nodeId() + "/\n";
}

// The module's handlers run on its thread: each hands its news to the event
// loop, where nothing of this runs once the module has been stopped.
void MqttFront::onConnected(void* self) {
  auto* front = static_cast<MqttFront*>(self);
  QMetaObject::invokeMethod(
      front, [front] { front->connected(); }, Qt::QueuedConnection);
}

void MqttFront::onLost(void* self, const char* why) {
  auto* front = static_cast<MqttFront*>(self);
  QMetaObject::invokeMethod(
      front, [front, reason = std::string(why)] { front->lost(reason); }, Qt::QueuedConnection);
}

void MqttFront::onMessage(void* self, const char* topic, const char* payload, std::uint32_t length,
                          int retained) {
  auto* front = static_cast<MqttFront*>(self);
  QMetaObject::invokeMethod(
      front,
      [front, topic = std::string(topic), payload = std::string(payload, length), retained] {
        front->take(topic, payload, retained != 0);
      },
      Qt::QueuedConnection);
}

void MqttFront::connected() {
  connected_ = true;
  for (const std::string& topic : device_.subscriptions()) module_.subscribe(mqtt_, topic.c_str());
  publish(device_.announce(view_()));
  if (const auto line = presence_.back(LinkPresence::Clock::now())) tellOnStandardError(*line);
}

void MqttFront::lost(const std::string& why) {
  connected_ = false;
  if (const auto line = presence_.lost(why, LinkPresence::Clock::now())) tellOnStandardError(*line);
}

void MqttFront::follow() {
  if (connected_) publish(device_.follow(view_()));
}

void MqttFront::take(const std::string& topic, const std::string& payload, bool retained) {
  const RemoteState view = view_();
  const auto asked = device_.take(topic, payload, retained, view);
  if (std::holds_alternative<HomeAssistantDevice::AnnounceAgain>(asked)) {
    publish(device_.announce(view));
  } else if (const auto* command = std::get_if<Command>(&asked)) {
    commands_.run(*command, [self = QPointer(this), command = *command](const auto& outcome) {
      if (self && outcome) self->publish({self->device_.stateFor(command, self->view_())});
    });
  }
}

void MqttFront::publish(const std::vector<MqttMessage>& messages) {
  for (const MqttMessage& message : messages) {
    module_.publish(mqtt_, message.topic.c_str(), message.payload.data(),
                    static_cast<std::uint32_t>(message.payload.size()), message.retain ? 1 : 0);
  }
}

}  // namespace velmo::remote
