#include "platform/qt/fatal_error.h"

#include <errno.h>  // program_invocation_short_name

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "platform/text_encoding.h"

namespace velmo::qt {
namespace {

std::function<void(const std::string&)>& customReporter() {
  static std::function<void(const std::string&)> reporter;
  return reporter;
}

// Set while the default report shows its message box: the box runs an event
// loop of its own, and handlers that ran there would act on a program that is
// ending (and could stack a second box on the first).
bool reportShowing = false;

void reportAndExit(const std::string& reported) {
  const std::string text = withVisibleControls(reported);
  std::string line = text;
  std::replace(line.begin(), line.end(), '\n', ' ');
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, line.c_str());
  std::fflush(stderr);

  if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
    reportShowing = true;
    QMessageBox::critical(nullptr, QApplication::applicationName(), QString::fromStdString(text));
  }
  std::exit(1);
}

}  // namespace

void reportFatalError(const std::string& text) {
  if (customReporter()) {
    customReporter()(text);
  } else {
    reportAndExit(text);
  }
}

void setFatalErrorReporter(std::function<void(const std::string&)> reporter) {
  customReporter() = std::move(reporter);
}

bool runGuarded(const std::function<void()>& handler) {
  if (reportShowing) return false;
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
