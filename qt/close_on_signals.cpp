// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/close_on_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace velmo::qt {
namespace {

// The write end of the pipe that carries signals into the event loop; -1
// until the first call has made it. Both ends stay open for the rest of the
// process: a signal may come at any moment, even while the program ends, and
// a closed read end would turn the handler's write into SIGPIPE.
int signalPipeWrite = -1;

void forwardSignal(int signalNumber) {
  const int savedErrno = errno;
  const char byte = static_cast<char>(signalNumber);
  // Async-signal-safe; a full pipe already holds a pending request.
  [[maybe_unused]] const ssize_t written = write(signalPipeWrite, &byte, 1);
  errno = savedErrno;
}

}  // namespace

void closeOnTerminationSignals(QWidget& window) {
  if (signalPipeWrite >= 0) {
    throw std::logic_error("closeOnTerminationSignals may be called only once");
  }
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
    throw std::system_error(errno, std::generic_category(), "cannot create the signal pipe");
  }
  signalPipeWrite = fds[1];

  auto* notifier = new QSocketNotifier(fds[0], QSocketNotifier::Read, QCoreApplication::instance());
  QPointer<QWidget> target(&window);
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier, target] {
    char drained[16];
    while (read(static_cast<int>(notifier->socket()), drained, sizeof drained) > 0) {
    }
    if (target) target->close();
    // Not quit(): it does nothing outside the application's own loop, so a
    // signal that came while a start-up report was shown would be lost.
    // exit() ends every running loop, the report's too.
    QCoreApplication::exit(0);
  });

  struct sigaction action {};
  action.sa_handler = forwardSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

}  // namespace velmo::qt
