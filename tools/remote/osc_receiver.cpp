// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/osc_receiver.h"

#include <lo/lo_lowlevel.h>

#include <QNetworkDatagram>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace velmo::remote {
namespace {

constexpr std::string_view kBundleTag{"#bundle\0", 8};
constexpr std::size_t kBundleHeader = 16;  // the tag and the time tag
constexpr int kMaxBundleDepth = 4;
constexpr qint64 kMaxDatagram = 4096;

std::uint32_t bigEndian32(const char* data) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// An IPv4 sender as IPv4, also when the dual-stack socket gives it as IPv6.
QHostAddress ipv4Unmapped(const QHostAddress& address) {
  bool mapped = false;
  const quint32 ip4 = address.toIPv4Address(&mapped);
  return mapped ? QHostAddress(ip4) : address;
}

// The message's one numeric argument: an integer, a float or true/false.
std::optional<double> soleNumber(lo_message message) {
  if (lo_message_get_argc(message) != 1) return std::nullopt;
  lo_arg* argument = lo_message_get_argv(message)[0];
  switch (lo_message_get_types(message)[0]) {
    case LO_INT32:
      return argument->i;
    case LO_FLOAT:
      return argument->f;
    case LO_DOUBLE:
      return argument->d;
    case LO_TRUE:
      return 1.0;
    case LO_FALSE:
      return 0.0;
    default:
      return std::nullopt;
  }
}

}  // namespace

OscReceiver::OscReceiver(quint16 port, std::optional<Subnet> allowed,
                         std::function<void(const Command&)> run, QObject* parent)
    : QObject(parent), allowed_(std::move(allowed)), run_(std::move(run)) {
  const QHostAddress where = allowed_ ? QHostAddress(QHostAddress::Any) : QHostAddress::LocalHost;
  if (!socket_.bind(where, port)) {
    throw std::runtime_error("cannot listen for OSC on UDP port " + std::to_string(port) + ": " +
                             socket_.errorString().toStdString() + "; give another port to --osc");
  }
  connect(&socket_, &QUdpSocket::readyRead, this, &OscReceiver::readDatagrams);
}

QString OscReceiver::address() const {
  return socket_.localAddress().toString() + ":" + QString::number(socket_.localPort());
}

void OscReceiver::readDatagrams() {
  while (socket_.hasPendingDatagrams()) {
    const QNetworkDatagram datagram = socket_.receiveDatagram(kMaxDatagram);
    if (allowed_ && !ipv4Unmapped(datagram.senderAddress()).isInSubnet(*allowed_)) continue;
    const QByteArray data = datagram.data();
    takePacket(data.constData(), static_cast<std::size_t>(data.size()), 0);
  }
}

void OscReceiver::takePacket(const char* data, std::size_t size, int depth) {
  if (size < kBundleTag.size() || std::memcmp(data, kBundleTag.data(), kBundleTag.size()) != 0)
    return takeMessage(data, size);
  if (depth >= kMaxBundleDepth) return;
  for (std::size_t at = kBundleHeader; at + 4 <= size;) {
    const std::size_t length = bigEndian32(data + at);
    at += 4;
    if (length > size - at) return;
    takePacket(data + at, length, depth + 1);
    at += length;
  }
}

void OscReceiver::takeMessage(const char* data, std::size_t size) {
  // liblo reads from a buffer of its own making: it may not be const.
  std::vector<char> copy(data, data + size);
  int result = 0;
  const std::unique_ptr<std::remove_pointer_t<lo_message>, decltype(&lo_message_free)> message(
      lo_message_deserialise(copy.data(), copy.size(), &result), &lo_message_free);
  if (!message || result != 0) return;
  const char* path = lo_get_path(copy.data(), static_cast<ssize_t>(copy.size()));
  if (!path) return;
  if (const auto command = oscCommand(path, soleNumber(message.get()))) run_(*command);
}

}  // namespace velmo::remote
