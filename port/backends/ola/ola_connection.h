// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/TCPSocket.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmo::port {

// A failure of the OLA module. what() names what failed and what to do.
class OlaFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// olad cannot be reached now: it is not running, went away, stopped
// answering or failed a request. A new connection later may succeed.
class OlaAway : public OlaFailure {
 public:
  using OlaFailure::OlaFailure;
};

// One connection to olad through OLA's client. Every wait on olad is
// bounded, so a daemon that is stopped (SIGSTOP) or gone makes a call fail
// instead of hang; OLA sends on sockets with MSG_NOSIGNAL, so a closed
// connection raises no SIGPIPE. After a call has failed, the connection is
// of no more use.
class OlaConnection {
 public:
  // Connects to olad on rpcPort of this machine. Throws OlaAway, which names
  // rpcPortSetting as the way to give another port.
  explicit OlaConnection(unsigned rpcPort,
                         std::string_view rpcPortSetting = "VELMO_PORT=ola:UNIVERSE@RPCPORT");
  ~OlaConnection();
  OlaConnection(const OlaConnection&) = delete;
  OlaConnection& operator=(const OlaConnection&) = delete;

  // The merge mode of universe. Throws OlaFailure when olad has no such
  // universe, OlaAway otherwise.
  ola::client::OlaUniverse::merge_mode mergeMode(std::uint32_t universe);

  // The channels of universe as olad has them. Throws as mergeMode.
  ola::DmxBuffer channels(std::uint32_t universe);

  // Returns once olad has taken frame for universe. Throws as mergeMode.
  void send(std::uint32_t universe, const ola::DmxBuffer& frame);

  // What receive() hands on: each frame of the universe as olad sends it.
  using FrameHandler = std::function<void(const ola::DmxBuffer& frame)>;

  // Registers for the frames of universe (olad makes the universe if it has
  // none); from then on wait() hands each to onFrame. Throws as mergeMode.
  void receive(std::uint32_t universe, FrameHandler onFrame);

  // Hands the frames that come within span to receive's handler. Throws
  // OlaAway once olad has closed the connection.
  void wait(std::chrono::milliseconds span);

 private:
  // olad's answer to the request in flight.
  struct Reply {
    bool came = false;
    std::string error;
    ola::client::OlaUniverse::merge_mode mergeMode = ola::client::OlaUniverse::MERGE_HTP;
    ola::DmxBuffer data;
  };
  static void takeResult(Reply* reply, const ola::client::Result& result);
  static void takeUniverseInfo(Reply* reply, const ola::client::Result& result,
                               const ola::client::OlaUniverse& universe);
  static void takeDmx(Reply* reply, const ola::client::Result& result,
                      const ola::client::DMXMetadata& metadata, const ola::DmxBuffer& data);
  void takeFrame(const ola::client::DMXMetadata& metadata, const ola::DmxBuffer& data);

  // Runs the event loop until the reply to request (about universe) has
  // come, the connection closed or the answer time ran out; throws unless
  // the reply came without an error.
  void await(const std::string& request, std::uint32_t universe);
  std::string olad() const;

  unsigned rpcPort_;
  bool closed_ = false;
  // Destroyed in reverse order: the client first, which may still hold a
  // callback that fills reply_, the socket last.
  Reply reply_;
  std::unique_ptr<ola::network::TCPSocket> socket_;
  ola::io::SelectServer selectServer_;
  std::unique_ptr<ola::client::OlaClient> client_;
  ola::SingleUseCallback0<void>* closeHandler_ = nullptr;
  FrameHandler onFrame_;
};

}  // namespace velmo::port
