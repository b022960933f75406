// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/ola/ola_sender.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <ola/Callback.h>
#include <ola/Clock.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <vector>

#include "system/errno_text.h"

namespace velmo::port {
namespace {

using ola::DmxBuffer;
using ola::client::OlaUniverse;
using ola::client::Result;
using std::chrono::steady_clock;

// How long olad may take to accept the connection, to take a request off
// the socket and to answer it. Long enough for a busy machine, short enough
// that a stopped olad ends the program instead of freezing it.
constexpr std::chrono::milliseconds kAnswerTime{2000};
constexpr unsigned kLines = 8;

std::string seconds(std::chrono::milliseconds span) {
  return std::to_string(span.count() / 1000) + " s";
}

// The outcome of a connect in progress on fd: 0, or an errno value
// (ETIMEDOUT when kAnswerTime ran out).
int awaitConnection(int fd) {
  pollfd wait{fd, POLLOUT, 0};
  const int ready = poll(&wait, 1, static_cast<int>(kAnswerTime.count()));
  if (ready == 0) return ETIMEDOUT;
  if (ready < 0) return errno;
  int error = 0;
  socklen_t length = sizeof error;
  getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
  return error;
}

// Makes fd blocking, with sends that give up after kAnswerTime: 0, or an
// errno value.
int blockAtMostAnswerTime(int fd) {
  const timeval sendTime{static_cast<time_t>(kAnswerTime.count() / 1000), 0};
  const bool done = fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0 &&
                    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTime, sizeof sendTime) == 0;
  return done ? 0 : errno;
}

// A socket connected to port on this machine within kAnswerTime, whose
// sends give up after kAnswerTime; or -1 with errno set.
int connectToLoopback(unsigned port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int error =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : errno;
  if (error == EINPROGRESS) error = awaitConnection(fd);
  if (error == 0) error = blockAtMostAnswerTime(fd);
  if (error == 0) return fd;
  close(fd);
  errno = error;
  return -1;
}

}  // namespace

void OlaSender::takeResult(Reply* reply, const Result& result) {
  reply->came = true;
  reply->error = result.Error();
}

void OlaSender::takeUniverseInfo(Reply* reply, const Result& result, const OlaUniverse& universe) {
  takeResult(reply, result);
  if (result.Success()) reply->mergeMode = universe.MergeMode();
}

void OlaSender::takeDmx(Reply* reply, const Result& result, const ola::client::DMXMetadata&,
                        const DmxBuffer& data) {
  takeResult(reply, result);
  if (result.Success()) reply->data = data;
}

OlaSender::OlaSender(std::uint32_t universe, unsigned firstChannel, unsigned rpcPort)
    : universe_(universe), firstChannel_(firstChannel), rpcPort_(rpcPort) {
  const int fd = connectToLoopback(rpcPort);
  if (fd < 0) {
    const int error = errno;
    fail("Cannot reach olad on RPC port " + std::to_string(rpcPort) + " of this machine: " +
         (error == ETIMEDOUT ? "it did not accept the connection within " + seconds(kAnswerTime)
                             : errnoText(error)) +
         ". Start olad (sudo systemctl start olad, or olad -f as your own user), or give the "
         "RPC port it listens on: VELMO_PORT=ola:UNIVERSE@RPCPORT.");
  }
  socket_ = std::make_unique<ola::network::TCPSocket>(fd);
  socket_->SetNoDelay();
  client_ = std::make_unique<ola::client::OlaClient>(socket_.get());
  selectServer_.AddReadDescriptor(socket_.get());
  if (!client_->Setup()) fail("Cannot set up OLA's client for " + olad() + ".");
  closeHandler_ = ola::NewSingleCallback(
      +[](bool* closed) { *closed = true; }, &closed_);
  client_->SetCloseHandler(closeHandler_);
  try {
    fetchMergeMode();
  } catch (...) {
    disconnect();
    throw;
  }
}

OlaSender::~OlaSender() {
  disconnect();
}

void OlaSender::disconnect() {
  if (!client_) return;
  selectServer_.RemoveReadDescriptor(socket_.get());
  client_->Stop();
  client_.reset();
  // OLA's client frees the handler only by running it, when olad closed the
  // connection.
  if (!closed_) delete closeHandler_;
}

void OlaSender::write(std::uint8_t lines) {
  if (!failure_.empty()) throw OlaFailure(failure_);
  if (closed_) failClosed();
  const bool latestWins = fetchMergeMode() == OlaUniverse::MERGE_LTP;
  sendFrame(frameFor(lines, latestWins ? fetchUniverse() : DmxBuffer()));
}

OlaUniverse::merge_mode OlaSender::fetchMergeMode() {
  reply_ = Reply();
  client_->FetchUniverseInfo(universe_, ola::NewSingleCallback(&takeUniverseInfo, &reply_));
  await("the merge mode of universe " + std::to_string(universe_));
  return reply_.mergeMode;
}

DmxBuffer OlaSender::fetchUniverse() {
  reply_ = Reply();
  client_->FetchDMX(universe_, ola::NewSingleCallback(&takeDmx, &reply_));
  await("the channels of universe " + std::to_string(universe_));
  return reply_.data;
}

void OlaSender::sendFrame(const DmxBuffer& frame) {
  reply_ = Reply();
  client_->SendDMX(universe_, frame,
                   ola::client::SendDMXArgs(ola::NewSingleCallback(&takeResult, &reply_)));
  await("a frame for universe " + std::to_string(universe_));
}

DmxBuffer OlaSender::frameFor(std::uint8_t lines, const DmxBuffer& others) const {
  const unsigned first = firstChannel_ - 1;  // DmxBuffer counts from 0
  std::vector<std::uint8_t> channels(std::max(others.Size(), first + kLines), 0);
  unsigned length = others.Size();
  others.Get(channels.data(), &length);
  for (unsigned line = 0; line < kLines; ++line) {
    channels[first + line] = (lines >> line) & 1 ? 255 : 0;
  }
  DmxBuffer frame;
  frame.Set(channels.data(), static_cast<unsigned>(channels.size()));
  return frame;
}

void OlaSender::await(const std::string& request) {
  const auto deadline = steady_clock::now() + kAnswerTime;
  while (!reply_.came && !closed_) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - steady_clock::now());
    if (left.count() <= 0) {
      fail(olad() + " did not answer within " + seconds(kAnswerTime) +
           ": it may be stopped or overloaded. Restart olad, then start the program again.");
    }
    selectServer_.RunOnce(ola::TimeInterval(static_cast<std::int64_t>(left.count())));
  }
  // A request that failed because the connection closed is reported as
  // the closing.
  if (!reply_.came || (closed_ && !reply_.error.empty())) failClosed();
  // olad's words for a universe that no output is patched to and no client
  // has registered for.
  if (reply_.error == "Universe doesn't exist") {
    fail(olad() + " has no universe " + std::to_string(universe_) + ". Patch universe " +
         std::to_string(universe_) + " to an output in olad's web page (http://localhost:9090 " +
         "unless olad was started with --http-port) or with ola_patch, then start the program " +
         "again.");
  }
  if (!reply_.error.empty()) fail(olad() + " refused " + request + ": " + reply_.error + ".");
}

void OlaSender::failClosed() {
  fail(olad() + " closed the connection: it was stopped or restarted. Start olad again, then " +
       "start the program again.");
}

void OlaSender::fail(const std::string& reason) {
  failure_ = reason;
  throw OlaFailure(reason);
}

std::string OlaSender::olad() const {
  return "olad on RPC port " + std::to_string(rpcPort_);
}

}  // namespace velmo::port
