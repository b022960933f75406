// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ola/DmxBuffer.h>

#include <cstdint>
#include <memory>

#include "port/backends/ola/ola_connection.h"

namespace velmo::port {

// Eight DMX channels of a universe, driven through a connection to olad that
// the sender makes when it needs one, and makes anew after one has failed.
//
// Each frame is the whole universe from channel 1, because olad merges the
// frames of its clients channel by channel from channel 1:
// - in HTP mode (highest value wins) the channels outside ours are 0, so
//   they take whatever the other clients send: one round trip to olad;
// - in LTP mode (the latest frame wins; olad's default for a new universe)
//   they are a copy of the universe as olad has it just before, so the
//   frame changes nothing but our channels: two round trips.
// The merge mode is learnt when connecting and at every check(), so a change
// with ola_uni_merge or olad's web page applies from the next check on.
class OlaSender {
 public:
  // Connects to nothing yet.
  OlaSender(std::uint32_t universe, unsigned firstChannel, unsigned rpcPort);

  // Connects to olad on the RPC port of this machine unless connected, and
  // learns the universe's merge mode. Throws OlaFailure when olad has no
  // such universe, OlaAway when it cannot be reached; the connection is
  // dropped then, and the next call connects again.
  void check();

  // Drives the channels with the bits of lines (255 set, 0 clear) and
  // returns once olad has taken the frame; connects first (as check) when
  // not connected. Throws as check.
  void send(std::uint8_t lines);

 private:
  // Runs use on the connection, made first when there is none, and drops
  // the connection when use throws.
  template <typename Use>
  void withConnection(Use use);
  ola::DmxBuffer frameFor(std::uint8_t lines, const ola::DmxBuffer& others) const;

  std::uint32_t universe_;
  unsigned firstChannel_;
  unsigned rpcPort_;
  bool latestWins_ = false;
  std::unique_ptr<OlaConnection> connection_;
};

}  // namespace velmo::port
