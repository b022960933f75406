// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/fatal_error.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QThread>
#include <atomic>
#include <exception>

#include "ini/text_encoding.h"
#include "qt/program_life.h"
#include "system/standard_error.h"

namespace velmo::qt {
namespace {

std::function<void(const std::string&)>& customReporter() {
  static std::function<void(const std::string&)> reporter;
  return reporter;
}

// Set from the moment the default report shows: its message box runs an
// event loop of its own, and handlers that ran there or after it would act on
// a program that is ending (write to the port, stack a second box).
std::atomic<bool> fatalReported = false;

// The program ends by leaving the event loop rather than by exit() or
// _exit() from inside the failed handler: main then returns, so the windows,
// the port library and the QApplication go in the reverse order of their
// making, before the static destructors, and the sanitizer build's leak check
// sees a program that tidied up. Nothing reaches the port meanwhile, since
// runGuarded refuses every handler from here on and the timer driver stops
// at its first refused pass.
void reportAndEnd(const std::string& reported) {
  const std::string text = withVisibleControls(reported);
  tellOnStandardError(text);

  fatalReported = true;
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) && !runsHeadless()) {
    QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromStdString(text));
  }
  // Ends every loop that runs; before the first one runs (start-up), main
  // learns of the report from runGuarded.
  QCoreApplication::exit(1);
}

}  // namespace

void reportFatalError(const std::string& text) {
  // A handler on another thread (the step work's) hands its report to the
  // window's thread; nothing runs anywhere from here on.
  QCoreApplication* application = QCoreApplication::instance();
  if (application && QThread::currentThread() != application->thread()) {
    if (!customReporter()) fatalReported = true;
    QMetaObject::invokeMethod(
        application, [text] { reportFatalError(text); }, Qt::QueuedConnection);
    return;
  }
  if (customReporter()) {
    customReporter()(text);
  } else {
    reportAndEnd(text);
  }
}

bool fatalErrorReported() {
  return fatalReported;
}

void setFatalErrorReporter(std::function<void(const std::string&)> reporter) {
  customReporter() = std::move(reporter);
}

bool runGuarded(const std::function<void()>& handler) {
  if (fatalReported) return false;
  try {
    handler();
    return true;
  } catch (const std::exception& error) {  // RunTimeError and every other standard exception
    reportFatalError(error.what());
  } catch (...) {
    reportFatalError("an unknown error ended the program");
  }
  return false;
}

}  // namespace velmo::qt
