// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/following_register.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <utility>

#include "port/backends/reconnect_delay.h"
#include "system/errno_text.h"

namespace velmo::port {
namespace {

FileDescriptor makeWakeEvent() {
  FileDescriptor event{eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)};
  if (!event) {
    throw PortAccessError("Cannot follow the port register: " + errnoText(errno) + ".");
  }
  return event;
}

// Starts body on a thread that takes no signals, so that signals meant for
// the program reach the program's own threads.
std::thread startWithoutSignals(std::function<void()> body) {
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  std::thread thread(std::move(body));
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  // The name by which a program finds its output threads to raise them to
  // real-time priority, as its step work.
  pthread_setname_np(thread.native_handle(), "velmo-output");
  return thread;
}

}  // namespace

// Takes the lock only once the watcher has made the register's folder.
FollowingRegister::FollowingRegister(std::unique_ptr<OutputLines> lines,
                                     const RegisterLocation& location, Following following,
                                     PortNotices& notices)
    : register_(location),
      lines_(std::move(lines)),
      following_(following),
      notices_(notices),
      watcher_(location),
      driverLock_(following.soleDriver ? std::make_unique<DriverLock>(location.path) : nullptr),
      driving_(!driverLock_ || driverLock_->hold()),
      presence_(location.path, notices),
      wakeUp_(makeWakeEvent()) {
  try {
    if (driving_) checkLines();
  } catch (const OutputAwayError& away) {
    noteAway(away);
  } catch (const PortAccessError& failure) {
    throw PortAccessError(std::string(failure.what()) + " Then start the program again.");
  }
  thread_ = startWithoutSignals([this] { follow(); });
}

FollowingRegister::~FollowingRegister() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake();
  thread_.join();
  lines_.reset();
  driverLock_.reset();
}

void FollowingRegister::writeData(std::uint8_t value) {
  {
    const std::lock_guard lock(mutex_);
    register_.writeData(value);
    wanted_ = value;
    unsent_ = true;
  }
  wake();
}

std::uint8_t FollowingRegister::readData() {
  const std::lock_guard lock(mutex_);
  return register_.readData();
}

void FollowingRegister::wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeUp_.get(), &one, sizeof one);
}

void FollowingRegister::follow() {
  pollfd waits[] = {{watcher_.descriptor(), POLLIN, 0},
                    {wakeUp_.get(), POLLIN, 0},
                    {driverLock_ ? driverLock_->descriptor() : -1, POLLIN, 0},
                    {lines_->reachedDescriptor(), POLLIN, 0}};
  for (;;) {
    const int ready = poll(waits, std::size(waits), idleTime());
    if (ready < 0 && errno != EINTR) return;
    const bool reached = ready > 0 && (waits[3].revents & POLLIN) != 0;
    std::uint64_t wakes = 0;
    [[maybe_unused]] const ssize_t taken = read(wakeUp_.get(), &wakes, sizeof wakes);
    std::optional<std::uint8_t> byte;
    bool written = false;
    bool stopping = false;
    bool tookOver = false;
    {
      const std::lock_guard lock(mutex_);
      stopping = stopping_;
      if (!stopping) {
        tookOver = takeTurn();
        followRegister();
        if (tookOver && watcher_.following()) wanted_ = watcher_.byte();
      }
      byte = wanted_;
      written = std::exchange(unsent_, false);
    }
    // The last write of a program that ends still reaches a device that is
    // there: relays keep it.
    if (stopping && !(written && driving_ && !presence_.away())) return;
    if (reached) retryAt_ = Clock::now();  // lines back by themselves are tried at once
    if (driving_) drive(byte, written || tookOver || reached, reached);
    if (stopping) return;
  }
}

bool FollowingRegister::takeTurn() {
  if (!driverLock_) return false;
  const bool was = std::exchange(driving_, driverLock_->hold());
  if (was && !driving_) {
    lines_->release();  // another process took a lock file made anew
    sent_.reset();
  }
  return !was && driving_;
}

void FollowingRegister::checkLines() {
  lines_->check();
  if (std::string remark = lines_->takeRemark(); !remark.empty()) notices_.post(std::move(remark));
}

// Under the lock, so that the register's byte read here is never older than
// this process's own last write. While the register's folder is gone the
// watcher reads 0, which nobody wrote: the lines keep their byte then.
void FollowingRegister::followRegister() {
  std::optional<std::uint8_t> changed;
  try {
    changed = watcher_.update();
  } catch (const PortAccessError&) {
    return;  // this process's own next access reports an unreadable register
  }
  // A sole driver drives whatever anyone wrote.
  const bool soleDriving = driverLock_ && driving_;
  if ((wanted_ || (soleDriving && changed)) && watcher_.following()) wanted_ = watcher_.byte();
}

void FollowingRegister::drive(std::optional<std::uint8_t> byte, bool due, bool checkNow) {
  const auto now = Clock::now();
  const bool away = presence_.away();
  if (away && now < retryAt_) return;
  const bool checking = !away && ((sent_ && now >= refreshAt_) || checkNow);
  const bool refreshing =
      checking && following_.refreshByte && now >= sentAt_ + following_.checkEvery;
  // A write is sent even when its byte is what the lines hold: in LTP mode
  // another client may have changed them meanwhile.
  const bool sending = byte && (away || due || byte != sent_ || refreshing);
  if (!away && !checking && !sending) return;
  try {
    if (away || checking) checkLines();
    if (sending) lines_->write(*byte);
  } catch (const PortAccessError& failure) {
    noteAway(failure);
    return;
  }
  if (away || checking || !sent_) refreshAt_ = now + following_.checkEvery;
  if (sending) {
    sent_ = byte;
    sentAt_ = now;
  }
  failures_ = 0;
  presence_.back();
}

void FollowingRegister::noteAway(const PortAccessError& failure) {
  sent_.reset();
  presence_.lost(failure.what());
  retryAt_ = Clock::now() + reconnectDelay(++failures_);
}

int FollowingRegister::idleTime() const {
  // Whoever waits for a sole driver's turn looks at the lock every second,
  // should the lock file have been made anew.
  constexpr std::chrono::milliseconds kTurnCheck{1000};
  if (!driving_) return static_cast<int>(kTurnCheck.count());
  if (!presence_.away() && !sent_) return -1;
  const auto until = presence_.away() ? retryAt_ : refreshAt_;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
  return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace velmo::port
