// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/mqtt/mqtt_client.h"

#include <mosquitto.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace velmo::remote {
namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr int kQos = 1;
// How often the thread looks whether it is told to stop.
constexpr int kStopLookMs = 100;
constexpr auto kGoodbyeTime = std::chrono::seconds(1);
// Where the system keeps the certificate authorities it trusts (Debian's
// ca-certificates).
constexpr const char* kSystemAuthorities = "/etc/ssl/certs";

// libmosquitto's words for code, without a full stop; for a failure of the
// system, errno's.
std::string reason(int code) {
  std::string text = code == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(code);
  while (text.ends_with('.')) text.pop_back();
  return text;
}

// reason(code), with what to look at when TLS failed.
std::string failure(int code) {
  if (code != MOSQ_ERR_TLS) return reason(code) + ".";
  return reason(code) +
         ": the broker's certificate must be for the host name in --mqtt and signed by an "
         "authority the system trusts, or by the one given with --mqtt-ca.";
}

// How long to wait before trying the broker again after failures tries in a
// row failed: at once after the first, then from 0.5 s on twice as long
// each time, up to 8 s.
std::chrono::milliseconds retryDelay(unsigned failures) {
  if (failures <= 1) return std::chrono::milliseconds(0);
  return std::chrono::milliseconds(500) * (1 << std::min(failures - 2, 4u));
}

void require(int code, const std::string& what) {
  if (code != MOSQ_ERR_SUCCESS)
    throw std::runtime_error("MQTT: cannot " + what + ": " + reason(code));
}

}  // namespace

MqttClient::MqttClient(const RemoteMqttSettings& settings, const RemoteMqttHandlers& handlers)
    : handlers_(handlers),
      host_(settings.host),
      port_(settings.port),
      where_("the broker at " + host_ + ":" + std::to_string(port_)) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { mosquitto_lib_init(); });
  client_ = mosquitto_new(nullptr, true, this);
  if (!client_) throw std::runtime_error("MQTT: cannot make a client: " + reason(MOSQ_ERR_ERRNO));
  try {
    if (settings.user)
      require(mosquitto_username_pw_set(client_, settings.user, settings.password), "set the user");
    require(mosquitto_will_set(client_, settings.willTopic,
                               static_cast<int>(std::strlen(settings.willPayload)),
                               settings.willPayload, kQos, true),
            "set the last will");
    if (settings.caFile && access(settings.caFile, R_OK) != 0) {
      throw std::runtime_error("MQTT: cannot read the certificate authority in " +
                               std::string(settings.caFile) + ": " + std::strerror(errno));
    }
    if (settings.tls) {
      require(mosquitto_tls_set(client_, settings.caFile,
                                settings.caFile ? nullptr : kSystemAuthorities, nullptr, nullptr,
                                nullptr),
              std::string("use the certificate authorities in ") +
                  (settings.caFile ? settings.caFile : kSystemAuthorities));
    }
    require(mosquitto_threaded_set(client_, true), "share the client between threads");
    // A command's acknowledgement and the state it brings go out at once:
    // held back for the broker's acknowledgement, they wait for its delayed
    // one, some 40 ms.
    require(mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1), "send without delay");
    mosquitto_connect_callback_set(client_, &onConnect);
    mosquitto_message_callback_set(client_, &onMessage);
    mosquitto_publish_callback_set(client_, &onPublish);
    thread_ = std::thread([this] { run(); });
  } catch (...) {
    mosquitto_destroy(client_);
    throw;
  }
}

MqttClient::~MqttClient() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  mosquitto_disconnect(client_);
  thread_.join();
  mosquitto_destroy(client_);
}

void MqttClient::run() {
  bool made = false;  // the first connect stores the broker for the reconnects
  while (!stopping_) {
    const int connecting =
        made ? mosquitto_reconnect_async(client_)
             : mosquitto_connect_async(client_, host_.c_str(), static_cast<int>(port_),
                                       kKeepAliveSeconds);
    made = made || connecting == MOSQ_ERR_SUCCESS;
    if (connecting != MOSQ_ERR_SUCCESS)
      tellLost("cannot reach " + where_ + ": " + failure(connecting));
    int looping = connecting;
    linked_ = false;
    while (!stopping_ && looping == MOSQ_ERR_SUCCESS)
      looping = mosquitto_loop(client_, kStopLookMs, 1);
    if (stopping_) break;
    if (connecting == MOSQ_ERR_SUCCESS) {
      tellLost((linked_ ? "the connection to " + where_ + " was lost: "
                        : "cannot reach " + where_ + ": ") +
               failure(looping));
    }
    pause(retryDelay(++failures_));
  }
}

void MqttClient::pause(std::chrono::milliseconds span) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, span, [this] { return stopping_.load(); });
}

bool MqttClient::subscribe(const char* topic) {
  return mosquitto_subscribe(client_, nullptr, topic, kQos) == MOSQ_ERR_SUCCESS;
}

bool MqttClient::publish(const char* topic, const char* payload, int length, bool retain) {
  return mosquitto_publish(client_, nullptr, topic, length, payload, kQos, retain) ==
         MOSQ_ERR_SUCCESS;
}

void MqttClient::publishAndWait(const char* topic, const char* payload) {
  std::unique_lock lock(mutex_);
  int id = 0;
  if (mosquitto_publish(client_, &id, topic, static_cast<int>(std::strlen(payload)), payload, kQos,
                        true) != MOSQ_ERR_SUCCESS)
    return;
  inFlight_.insert(id);
  changed_.wait_for(lock, kGoodbyeTime, [&] { return !inFlight_.contains(id); });
}

void MqttClient::onConnect(mosquitto*, void* self, int code) {
  auto& client = *static_cast<MqttClient*>(self);
  if (code == 0) {
    client.failures_ = 0;
    client.linked_ = true;
    if (client.handlers_.connected) client.handlers_.connected(client.handlers_.context);
    return;
  }
  client.tellLost(
      client.where_ + " refused the connection: " + mosquitto_connack_string(code) +
      (code == 4 || code == 5 ? " (check the user in --mqtt and the password file)." : "."));
}

void MqttClient::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
  const auto& client = *static_cast<MqttClient*>(self);
  if (!client.handlers_.message) return;
  client.handlers_.message(
      client.handlers_.context, message->topic, static_cast<const char*>(message->payload),
      static_cast<std::uint32_t>(message->payloadlen), message->retain ? 1 : 0);
}

void MqttClient::onPublish(mosquitto*, void* self, int id) {
  auto& client = *static_cast<MqttClient*>(self);
  {
    const std::lock_guard lock(client.mutex_);
    client.inFlight_.erase(id);
  }
  client.changed_.notify_all();
}

void MqttClient::tellLost(const std::string& why) const {
  if (handlers_.lost) handlers_.lost(handlers_.context, why.c_str());
}

}  // namespace velmo::remote
