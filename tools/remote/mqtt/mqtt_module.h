// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The C entries of the remote's MQTT module (libvelmoremote-mqtt.so), which
// velmo-remote loads only when --mqtt is given, so that nothing else needs
// libmosquitto. Plain C, so no C++ exception or type crosses the boundary.
#include <stdint.h>

#define VELMO_REMOTE_MQTT_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// File name of the module, beside velmo-remote.
#define VELMO_REMOTE_MQTT_MODULE_NAME "libvelmoremote-mqtt.so"

typedef struct RemoteMqtt RemoteMqtt;

// The broker and how to meet it. Strings are copied; NULL where unused.
typedef struct RemoteMqttSettings {
  const char* host;
  uint32_t port;
  const char* user;         // NULL: none
  const char* password;     // with user only
  int tls;                  // 1: TLS, checking the broker's certificate and name
  const char* caFile;       // with tls: the certificate authority; NULL: the system's
  const char* willTopic;    // retained, QoS 1, published by the broker when the
  const char* willPayload;  // connection is lost without a goodbye
} RemoteMqttSettings;

// What happens on the link, on the module's own thread. Each may be NULL.
typedef struct RemoteMqttHandlers {
  void* context;
  // The broker took the connection: at the first and every later one.
  void (*connected)(void* context);
  // The connection could not be made, was refused or was lost: why, for
  // people. The module tries again, after 1 s and then twice as long each
  // time, up to 10 s.
  void (*lost)(void* context, const char* why);
  // A message on a subscribed topic; retained is 1 for one the broker kept.
  void (*message)(void* context, const char* topic, const char* payload, uint32_t length,
                  int retained);
} RemoteMqttHandlers;

// Connects to the broker on a thread of the module's own. NULL when the
// client cannot be made (such as a certificate authority that cannot be
// read); RemoteMqttError() says why. A broker that is not there yet is no
// failure: lost() tells it, and the module tries again.
VELMO_REMOTE_MQTT_API RemoteMqtt* RemoteMqttStart(const RemoteMqttSettings* settings,
                                                  const RemoteMqttHandlers* handlers);

// Subscribes to topic (QoS 1) on the present connection: 0, or -1 when not
// connected.
VELMO_REMOTE_MQTT_API int RemoteMqttSubscribe(RemoteMqtt* mqtt, const char* topic);

// Publishes payload (length bytes) on topic with QoS 1: 0, or -1 when not
// connected.
VELMO_REMOTE_MQTT_API int RemoteMqttPublish(RemoteMqtt* mqtt, const char* topic,
                                            const char* payload, uint32_t length, int retain);

// Publishes payload on topic, retained, waits up to a second for the broker
// to take it, disconnects and frees mqtt: no handler runs once this returns.
VELMO_REMOTE_MQTT_API void RemoteMqttStop(RemoteMqtt* mqtt, const char* topic, const char* payload);

// Why the calling thread's last call of the module failed; empty when it
// succeeded. Valid until that thread's next call.
VELMO_REMOTE_MQTT_API const char* RemoteMqttError(void);

#ifdef __cplusplus
}
#endif
