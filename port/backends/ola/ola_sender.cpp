// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/ola/ola_sender.h"

#include <algorithm>
#include <vector>

#include "port/port_lines.h"

namespace velmo::port {
namespace {}  // namespace

OlaSender::OlaSender(std::uint32_t universe, unsigned firstChannel, unsigned rpcPort)
    : universe_(universe), firstChannel_(firstChannel), rpcPort_(rpcPort) {}

void OlaSender::check() {
  withConnection([this](OlaConnection& olad) {
    latestWins_ = olad.mergeMode(universe_) == ola::client::OlaUniverse::MERGE_LTP;
  });
}

void OlaSender::send(std::uint8_t lines) {
  if (!connection_) check();
  withConnection([&](OlaConnection& olad) {
    olad.send(universe_,
              frameFor(lines, latestWins_ ? olad.channels(universe_) : ola::DmxBuffer()));
  });
}

template <typename Use>
void OlaSender::withConnection(Use use) {
  try {
    if (!connection_) connection_ = std::make_unique<OlaConnection>(rpcPort_);
    use(*connection_);
  } catch (...) {
    connection_.reset();
    throw;
  }
}

ola::DmxBuffer OlaSender::frameFor(std::uint8_t lines, const ola::DmxBuffer& others) const {
  const unsigned first = firstChannel_ - 1;  // DmxBuffer counts from 0
  std::vector<std::uint8_t> channels(std::max(others.Size(), first + kLineCount), 0);
  unsigned length = others.Size();
  others.Get(channels.data(), &length);
  for (unsigned line = 0; line < kLineCount; ++line) {
    channels[first + line] = (lines >> line) & 1 ? 255 : 0;
  }
  ola::DmxBuffer frame;
  frame.Set(channels.data(), static_cast<unsigned>(channels.size()));
  return frame;
}

}  // namespace velmo::port
