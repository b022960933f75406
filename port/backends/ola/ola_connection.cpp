// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/ola/ola_connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <ola/Callback.h>
#include <ola/Clock.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "system/errno_text.h"

namespace velmo::port {
namespace {

using ola::DmxBuffer;
using ola::client::OlaUniverse;
using ola::client::Result;
using std::chrono::steady_clock;

// How long olad may take to accept the connection, to take a request off
// the socket and to answer it. Long enough for a busy machine, short enough
// that a stopped olad counts as gone soon.
constexpr std::chrono::milliseconds kAnswerTime{2000};

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

void OlaConnection::takeResult(Reply* reply, const Result& result) {
  reply->came = true;
  reply->error = result.Error();
}

void OlaConnection::takeUniverseInfo(Reply* reply, const Result& result,
                                     const OlaUniverse& universe) {
  takeResult(reply, result);
  if (result.Success()) reply->mergeMode = universe.MergeMode();
}

void OlaConnection::takeDmx(Reply* reply, const Result& result, const ola::client::DMXMetadata&,
                            const DmxBuffer& data) {
  takeResult(reply, result);
  if (result.Success()) reply->data = data;
}

OlaConnection::OlaConnection(unsigned rpcPort, std::string_view rpcPortSetting)
    : rpcPort_(rpcPort) {
  const int fd = connectToLoopback(rpcPort);
  if (fd < 0) {
    const int error = errno;
    throw OlaAway(
        "Cannot reach olad on RPC port " + std::to_string(rpcPort) + " of this machine: " +
        (error == ETIMEDOUT ? "it did not accept the connection within " + seconds(kAnswerTime)
                            : errnoText(error)) +
        ". Start olad (sudo systemctl start olad, or olad -f as your own user), or give the "
        "RPC port it listens on: " +
        std::string(rpcPortSetting) + ".");
  }
  socket_ = std::make_unique<ola::network::TCPSocket>(fd);
  socket_->SetNoDelay();
  client_ = std::make_unique<ola::client::OlaClient>(socket_.get());
  if (!client_->Setup()) throw OlaAway("Cannot set up OLA's client for " + olad() + ".");
  selectServer_.AddReadDescriptor(socket_.get());
  closeHandler_ = ola::NewSingleCallback(
      +[](bool* closed) { *closed = true; }, &closed_);
  client_->SetCloseHandler(closeHandler_);
}

OlaConnection::~OlaConnection() {
  selectServer_.RemoveReadDescriptor(socket_.get());
  client_->Stop();
  client_.reset();
  // OLA's client frees the handler only by running it, when olad closed the
  // connection.
  if (!closed_) delete closeHandler_;
}

OlaUniverse::merge_mode OlaConnection::mergeMode(std::uint32_t universe) {
  reply_ = Reply();
  client_->FetchUniverseInfo(universe, ola::NewSingleCallback(&takeUniverseInfo, &reply_));
  await("the merge mode of universe ", universe);
  return reply_.mergeMode;
}

DmxBuffer OlaConnection::channels(std::uint32_t universe) {
  reply_ = Reply();
  client_->FetchDMX(universe, ola::NewSingleCallback(&takeDmx, &reply_));
  await("the channels of universe ", universe);
  return reply_.data;
}

void OlaConnection::send(std::uint32_t universe, const DmxBuffer& frame) {
  reply_ = Reply();
  client_->SendDMX(universe, frame,
                   ola::client::SendDMXArgs(ola::NewSingleCallback(&takeResult, &reply_)));
  await("a frame for universe ", universe);
}

void OlaConnection::receive(std::uint32_t universe, FrameHandler onFrame) {
  onFrame_ = std::move(onFrame);
  client_->SetDMXCallback(ola::NewCallback(this, &OlaConnection::takeFrame));
  reply_ = Reply();
  client_->RegisterUniverse(universe, ola::client::REGISTER,
                            ola::NewSingleCallback(&takeResult, &reply_));
  await("the frames of universe ", universe);
}

void OlaConnection::takeFrame(const ola::client::DMXMetadata&, const DmxBuffer& data) {
  if (onFrame_) onFrame_(data);
}

void OlaConnection::wait(std::chrono::milliseconds span) {
  const auto deadline = steady_clock::now() + span;
  for (auto left = span; left.count() > 0 && !closed_;
       left =
           std::chrono::duration_cast<std::chrono::milliseconds>(deadline - steady_clock::now())) {
    selectServer_.RunOnce(ola::TimeInterval(static_cast<std::int64_t>(left.count()) * 1000));
  }
  if (closed_) throw OlaAway(olad() + " closed the connection: it was stopped or restarted.");
}

void OlaConnection::await(const std::string& request, std::uint32_t universe) {
  const auto deadline = steady_clock::now() + kAnswerTime;
  while (!reply_.came && !closed_) {
    const auto left =
        std::chrono::duration_cast<std::chrono::microseconds>(deadline - steady_clock::now());
    if (left.count() <= 0) {
      throw OlaAway(olad() + " did not answer within " + seconds(kAnswerTime) +
                    ": it may be stopped or overloaded.");
    }
    selectServer_.RunOnce(ola::TimeInterval(static_cast<std::int64_t>(left.count())));
  }
  // A request that failed because the connection closed is reported as
  // the closing.
  if (!reply_.came || (closed_ && !reply_.error.empty())) {
    throw OlaAway(olad() + " closed the connection: it was stopped or restarted.");
  }
  // olad's words for a universe that no output is patched to and no client
  // has registered for.
  const std::string number = std::to_string(universe);
  if (reply_.error == "Universe doesn't exist") {
    throw OlaFailure(olad() + " has no universe " + number + ": patch universe " + number +
                     " to an output in olad's web page (http://localhost:9090 unless olad was "
                     "started with --http-port) or with ola_patch.");
  }
  if (!reply_.error.empty()) {
    throw OlaAway(olad() + " refused " + request + number + ": " + reply_.error + ".");
  }
}

std::string OlaConnection::olad() const {
  return "olad on RPC port " + std::to_string(rpcPort_);
}

}  // namespace velmo::port
