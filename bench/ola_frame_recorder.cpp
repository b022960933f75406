// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/ola_frame_recorder.h"

#include <ola/Callback.h>
#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/IPV4Address.h>
#include <ola/network/SocketAddress.h>
#include <ola/network/TCPSocket.h>

#include <cstdio>
#include <cstdlib>

namespace velmo::bench {
namespace {

[[noreturn]] void quit(const char* what, unsigned rpcPort) {
  std::fprintf(stderr, "ola_latency_bench: %s (olad on RPC port %u)\n", what, rpcPort);
  std::exit(1);
}

}  // namespace

OlaFrameRecorder::OlaFrameRecorder(unsigned rpcPort, unsigned universe, bool latestWins)
    : selectServer_(std::make_unique<ola::io::SelectServer>()) {
  socket_.reset(ola::network::TCPSocket::Connect(ola::network::IPV4SocketAddress(
      ola::network::IPV4Address::Loopback(), static_cast<std::uint16_t>(rpcPort))));
  if (!socket_) quit("cannot connect", rpcPort);
  client_ = std::make_unique<ola::client::OlaClient>(socket_.get());
  selectServer_->AddReadDescriptor(socket_.get());
  if (!client_->Setup()) quit("cannot set up the client", rpcPort);
  client_->SetDMXCallback(ola::NewCallback(this, &OlaFrameRecorder::takeFrame));
  bool registered = false;
  std::string error;
  client_->RegisterUniverse(
      universe, ola::client::REGISTER,
      ola::NewSingleCallback(
          +[](bool* done, std::string* failure, const ola::client::Result& result) {
            *done = true;
            *failure = result.Error();
          },
          &registered, &error));
  while (!registered) selectServer_->RunOnce(ola::TimeInterval(1, 0));
  if (!error.empty()) quit(error.c_str(), rpcPort);
  bool merging = false;
  client_->SetUniverseMergeMode(
      universe,
      latestWins ? ola::client::OlaUniverse::MERGE_LTP : ola::client::OlaUniverse::MERGE_HTP,
      ola::NewSingleCallback(
          +[](bool* done, std::string* failure, const ola::client::Result& result) {
            *done = true;
            *failure = result.Error();
          },
          &merging, &error));
  while (!merging) selectServer_->RunOnce(ola::TimeInterval(1, 0));
  if (!error.empty()) quit(error.c_str(), rpcPort);
  thread_ = std::thread([this] { selectServer_->Run(); });
}

OlaFrameRecorder::~OlaFrameRecorder() {
  selectServer_->Terminate();
  thread_.join();
  selectServer_->RemoveReadDescriptor(socket_.get());
  client_->Stop();
}

std::vector<StampedWrite> OlaFrameRecorder::frames() const {
  const std::lock_guard lock(mutex_);
  return frames_;
}

std::optional<StampedWrite> OlaFrameRecorder::waitFor(
    Instant since, const std::function<bool(std::uint8_t)>& fits) {
  std::unique_lock lock(mutex_);
  std::optional<StampedWrite> found;
  arrived_.wait_for(lock, std::chrono::seconds(5), [&] {
    for (const StampedWrite& frame : frames_) {
      if (frame.done >= since && fits(frame.value)) {
        found = frame;
        return true;
      }
    }
    return false;
  });
  return found;
}

void OlaFrameRecorder::takeFrame(const ola::client::DMXMetadata&, const ola::DmxBuffer& data) {
  const Instant at = clock_.now();
  std::uint8_t byte = 0;
  for (unsigned line = 0; line < 8; ++line) {
    if (data.Get(line) > 127) byte |= static_cast<std::uint8_t>(1 << line);
  }
  const std::lock_guard lock(mutex_);
  frames_.push_back({byte, std::nullopt, at, at});
  arrived_.notify_all();
}

}  // namespace velmo::bench
