// SPDX-License-Identifier: GPL-3.0-or-later
// The C entries of libvelmoremote-mqtt.so. Everything else in the module is
// hidden, and no exception leaves it.
#include "tools/remote/mqtt/mqtt_module.h"

#include <cstring>

#include "system/guarded_entry.h"
#include "tools/remote/mqtt/mqtt_client.h"

struct RemoteMqtt {
  velmo::remote::MqttClient client;
};

namespace {

constexpr const char* kUnknownFailure = "The MQTT module failed for an unknown reason.";

}  // namespace

extern "C" {

RemoteMqtt* RemoteMqttStart(const RemoteMqttSettings* settings,
                            const RemoteMqttHandlers* handlers) {
  return velmo::guardedEntry<RemoteMqtt*>(nullptr, kUnknownFailure, [&] {
    return new RemoteMqtt{{*settings, *handlers}};
  });
}

int RemoteMqttSubscribe(RemoteMqtt* mqtt, const char* topic) {
  return velmo::guardedEntry(-1, kUnknownFailure,
                             [&] { return mqtt->client.subscribe(topic) ? 0 : -1; });
}

int RemoteMqttPublish(RemoteMqtt* mqtt, const char* topic, const char* payload, uint32_t length,
                      int retain) {
  return velmo::guardedEntry(-1, kUnknownFailure, [&] {
    return mqtt->client.publish(topic, payload, static_cast<int>(length), retain != 0) ? 0 : -1;
  });
}

void RemoteMqttStop(RemoteMqtt* mqtt, const char* topic, const char* payload) {
  velmo::guardedEntry(0, kUnknownFailure, [&] {
    mqtt->client.publishAndWait(topic, payload);
    return 0;
  });
  delete mqtt;
}

const char* RemoteMqttError(void) {
  const char* failure = velmo::entryFailureText();
  return failure ? failure : "";
}

}  // extern "C"
