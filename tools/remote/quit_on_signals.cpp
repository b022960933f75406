// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/quit_on_signals.h"

#include <signal.h>
#include <sys/signalfd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <system_error>

namespace velmo::remote {
namespace {

sigset_t terminationSignals() {
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGTERM);
  sigaddset(&held, SIGINT);
  return held;
}

}  // namespace

void holdTerminationSignals() {
  const sigset_t held = terminationSignals();
  if (const int error = pthread_sigmask(SIG_BLOCK, &held, nullptr))
    throw std::system_error(error, std::generic_category(), "cannot hold SIGTERM and SIGINT");
}

void quitOnTerminationSignals() {
  const sigset_t held = terminationSignals();
  const int descriptor = signalfd(-1, &held, SFD_CLOEXEC | SFD_NONBLOCK);
  if (descriptor < 0)
    throw std::system_error(errno, std::generic_category(), "cannot wait for SIGTERM and SIGINT");
  auto* notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, &QCoreApplication::quit);
}

}  // namespace velmo::remote
