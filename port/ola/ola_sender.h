// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/TCPSocket.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace velmo::port {

// A failure of the OLA module. what() names what failed and what to do.
class OlaFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Eight DMX channels of a universe, driven through OLA's client by one
// connection to olad. Every wait on olad is bounded, so a daemon that is
// stopped (SIGSTOP) or gone makes a call fail instead of hang; OLA sends on
// sockets with MSG_NOSIGNAL, so a closed connection raises no SIGPIPE.
//
// Each frame is the whole universe from channel 1, because olad merges the
// frames of its clients channel by channel from channel 1:
// - in HTP mode (highest value wins) the channels outside ours are 0, so
//   they take whatever the other clients send;
// - in LTP mode (the latest frame wins; olad's default for a new universe)
//   they are a copy of the universe as olad has it just before, so the
//   frame changes nothing but our channels.
// The merge mode is asked for each frame, so a change with ola_uni_merge or
// olad's web page applies from the next one.
class OlaSender {
 public:
  // Connects to olad on rpcPort of this machine and checks that it has
  // universe. Throws OlaFailure.
  OlaSender(std::uint32_t universe, unsigned firstChannel, unsigned rpcPort);
  ~OlaSender();
  OlaSender(const OlaSender&) = delete;
  OlaSender& operator=(const OlaSender&) = delete;

  // Drives the channels with the bits of lines (255 set, 0 clear) and
  // returns once olad has taken the frame. Throws OlaFailure; after that,
  // every call throws the same.
  void write(std::uint8_t lines);

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

  ola::client::OlaUniverse::merge_mode fetchMergeMode();
  ola::DmxBuffer fetchUniverse();
  void sendFrame(const ola::DmxBuffer& frame);
  ola::DmxBuffer frameFor(std::uint8_t lines, const ola::DmxBuffer& others) const;
  // Runs the event loop until the reply to request has come, the connection
  // closed or the answer time ran out; throws unless the reply came without
  // an error.
  void await(const std::string& request);
  void disconnect();
  [[noreturn]] void failClosed();
  [[noreturn]] void fail(const std::string& reason);
  std::string olad() const;

  std::uint32_t universe_;
  unsigned firstChannel_;
  unsigned rpcPort_;
  std::string failure_;
  bool closed_ = false;
  // Destroyed in reverse order: the client first, which may still hold a
  // callback that fills reply_, the socket last.
  Reply reply_;
  std::unique_ptr<ola::network::TCPSocket> socket_;
  ola::io::SelectServer selectServer_;
  std::unique_ptr<ola::client::OlaClient> client_;
  ola::SingleUseCallback0<void>* closeHandler_ = nullptr;
};

}  // namespace velmo::port
