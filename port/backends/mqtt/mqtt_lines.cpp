// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/mqtt/mqtt_lines.h"

#include <mosquitto.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <chrono>

#include "port/backends/lines_module_entries.h"
#include "system/errno_text.h"
#include "system/mqtt_password.h"
#include "system/run_time_error.h"

namespace velmo::port {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr int kKeepAlive = 5;   // seconds: a broker that went silent is lost within 8 s
constexpr int kLoopTime = 100;  // ms the thread waits on the socket at a time
constexpr seconds kReconnectDelay{1};
constexpr seconds kFirstAnswer{3};
constexpr seconds kLastAcknowledgement{1};
constexpr int kQos = 1;
constexpr std::size_t kFields = 14;

// The fields of VelmoLinesOpen: tls ("1" or "0"), host, port, user, the on
// and off payloads, eight topics. The password comes from its file.
MqttTarget targetOf(const std::vector<std::string>& fields) {
  if (fields.size() != kFields) throw PortAccessError("The MQTT module takes 14 fields.");
  MqttTarget target{fields[0] == "1",
                    fields[1],
                    static_cast<unsigned>(std::stoul(fields[2])),
                    fields[3],
                    "",
                    fields[4],
                    fields[5],
                    {fields.begin() + 6, fields.end()}};
  try {
    if (!target.user.empty()) target.password = readMqttPassword(mqttPasswordPath());
  } catch (const RunTimeError& failure) {
    throw PortAccessError(failure.what());
  }
  return target;
}

// Without the full stop libmosquitto's texts end with.
std::string failureText(int result) {
  std::string text = result == MOSQ_ERR_ERRNO ? errnoText(errno) : mosquitto_strerror(result);
  if (text.ends_with('.')) text.pop_back();
  return text;
}

}  // namespace

std::unique_ptr<OutputLines> makeModuleLines(const std::vector<std::string>& fields) {
  static const int initialised = mosquitto_lib_init();
  (void)initialised;
  return std::make_unique<MqttLines>(targetOf(fields));
}

MqttLines::MqttLines(MqttTarget target)
    : target_(std::move(target)), reached_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

MqttLines::~MqttLines() {
  release();
}

std::string MqttLines::broker() const {
  return "MQTT broker " + target_.host + ":" + std::to_string(target_.port);
}

void MqttLines::start() {
  // A thread that takes no signals, so that they reach the program's own.
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  thread_ = std::thread([this] { run(); });
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  started_ = true;
}

mosquitto* MqttLines::makeClient() {
  mosquitto* client = mosquitto_new(nullptr, true, this);
  if (!client) return nullptr;
  mosquitto_threaded_set(client, true);
  mosquitto_connect_callback_set(client, onConnect);
  mosquitto_disconnect_callback_set(client, onDisconnect);
  mosquitto_publish_callback_set(client, onPublish);
  if (!target_.user.empty()) {
    mosquitto_username_pw_set(client, target_.user.c_str(), target_.password.c_str());
  }
  if (target_.tls) mosquitto_int_option(client, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
  return client;
}

// Each connection has a client of its own, so that nothing published on a
// lost one (a relay's state of then) is sent again on the next.
void MqttLines::run() {
  for (;;) {
    mosquitto* client = makeClient();
    int result = client ? mosquitto_connect_async(client, target_.host.c_str(),
                                                  static_cast<int>(target_.port), kKeepAlive)
                        : MOSQ_ERR_NOMEM;
    {
      const std::lock_guard lock(mutex_);
      client_ = client;
      connectedThisTry_ = false;
    }
    while (result == MOSQ_ERR_SUCCESS) {
      {
        const std::lock_guard lock(mutex_);
        if (stopping_) break;
      }
      result = mosquitto_loop(client, kLoopTime, 1);
    }
    std::unique_lock lock(mutex_);
    client_ = nullptr;
    if (!stopping_ && result == MOSQ_ERR_TLS) {
      state_ = State::kRefused;
      reason_ = "TLS with the " + broker() +
                " failed: check that an authority this machine trusts (/etc/ssl/certs) signed "
                "the broker's certificate, and that the certificate names " +
                target_.host + ".";
    } else if (!stopping_ && state_ != State::kRefused) {
      state_ = State::kAway;
      reason_ = connectedThisTry_
                    ? "The " + broker() + " closed the connection (" + failureText(result) +
                          "): it was stopped or restarted, or the network went away."
                    : "Cannot reach the " + broker() + ": " + failureText(result) +
                          ". Check that it runs and that VELMO_PORT names its host and port.";
    }
    changed_.notify_all();
    if (!stopping_) changed_.wait_for(lock, kReconnectDelay, [this] { return stopping_; });
    const bool stopping = stopping_;
    lock.unlock();
    if (client) mosquitto_destroy(client);
    if (stopping) return;
  }
}

void MqttLines::onConnect(mosquitto*, void* self, int result) {
  auto& lines = *static_cast<MqttLines*>(self);
  {
    const std::lock_guard lock(lines.mutex_);
    lines.published_.reset();
    lines.unacknowledged_ = 0;
    // The broker's answer: 3 is "server unavailable" for now; the others
    // refuse this client, its user or its password.
    if (result == 0) {
      lines.state_ = State::kConnected;
      lines.connectedThisTry_ = true;
    } else if (result == 3) {
      lines.state_ = State::kAway;
      lines.reason_ =
          "The " + lines.broker() + " cannot take clients now: " + mosquitto_connack_string(result);
    } else {
      lines.state_ = State::kRefused;
      lines.reason_ = "The " + lines.broker() + " refused the connection" +
                      (lines.target_.user.empty() ? "" : " of the user " + lines.target_.user) +
                      ": " + mosquitto_connack_string(result) +
                      " Check the user in VELMO_PORT and its password in " + mqttPasswordPath() +
                      ".";
    }
  }
  lines.changed_.notify_all();
  if (result == 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(lines.reached_.get(), &one, sizeof one);
  }
}

void MqttLines::onDisconnect(mosquitto*, void* self, int) {
  auto& lines = *static_cast<MqttLines*>(self);
  const std::lock_guard lock(lines.mutex_);
  if (lines.state_ == State::kConnected) lines.state_ = State::kConnecting;
}

void MqttLines::onPublish(mosquitto*, void* self, int) {
  auto& lines = *static_cast<MqttLines*>(self);
  const std::lock_guard lock(lines.mutex_);
  if (lines.unacknowledged_ > 0) --lines.unacknowledged_;
  lines.changed_.notify_all();
}

void MqttLines::check() {
  if (!started_) start();
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, kFirstAnswer, [this] { return state_ != State::kConnecting; });
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t taken = ::read(reached_.get(), &count, sizeof count);
  if (state_ == State::kConnected) return;
  if (state_ == State::kRefused) throw PortAccessError(reason_);
  throw OutputAwayError(reason_.empty() ? "The " + broker() + " did not answer within 3 s."
                                        : reason_);
}

void MqttLines::write(std::uint8_t value) {
  if (!started_) check();
  const std::lock_guard lock(mutex_);
  if (state_ != State::kConnected || !client_) {
    throw OutputAwayError(reason_.empty() ? "The " + broker() + " is not connected." : reason_);
  }
  for (std::size_t line = 0; line < target_.topics.size(); ++line) {
    const unsigned bit = 1u << line;
    if (published_ && ((value ^ *published_) & bit) == 0) continue;
    const std::string& payload = (value & bit) ? target_.on : target_.off;
    const int result =
        mosquitto_publish(client_, nullptr, target_.topics[line].c_str(),
                          static_cast<int>(payload.size()), payload.data(), kQos, false);
    if (result != MOSQ_ERR_SUCCESS) {
      published_.reset();
      throw OutputAwayError("Cannot publish on the " + broker() + ": " + failureText(result) + ".");
    }
    ++unacknowledged_;
  }
  published_ = value;
}

void MqttLines::release() {
  if (!started_) return;
  {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kLastAcknowledgement,
                      [this] { return unacknowledged_ == 0 || state_ != State::kConnected; });
    stopping_ = true;
    if (client_) mosquitto_disconnect(client_);
  }
  changed_.notify_all();
  thread_.join();
  started_ = false;
  stopping_ = false;
  state_ = State::kConnecting;
  reason_.clear();
  published_.reset();
}

}  // namespace velmo::port
