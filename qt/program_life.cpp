// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/program_life.h"

#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <string>

#include "qt/fatal_error.h"
#include "system/standard_error.h"

namespace velmo::qt {
namespace {

bool headless = false;

bool isSet(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && *value != '\0';
}

void chooseHeadless(bool asked) {
  const bool noDisplay =
      !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY") && !isSet("QT_QPA_PLATFORM");
  headless = asked || noDisplay;
  if (!headless) return;
  if (!asked) {
    tellOnStandardError("no display to show a window on: running headless");
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

}  // namespace

ProgramStart::ProgramStart(int& argc, char** argv, const ProgramUsage& usage,
                           std::string_view applicationId)
    : commandLine_(handleCommandLine(argc, argv, usage)) {
  if (commandLine_.exitStatus) return;
  chooseHeadless(commandLine_.has(kHeadlessOption.name));
  application_ = std::make_unique<QApplication>(argc, argv);
  QGuiApplication::setDesktopFileName(
      QString::fromUtf8(applicationId.data(), static_cast<qsizetype>(applicationId.size())));
}

ProgramStart::~ProgramStart() = default;

bool runsHeadless() {
  return headless;
}

int runMainWindow(const std::function<QWidget*()>& startUp, FirstShow show) {
  QWidget* window = nullptr;
  if (!runGuarded([&] { window = startUp(); }) || fatalErrorReported()) return 1;
  if (window == nullptr) return 0;
  if (!headless) show == FirstShow::kMinimized ? window->showMinimized() : window->show();
  const int status = QApplication::exec();
  // A termination signal's request to end with 0 may come after the report.
  return fatalErrorReported() ? 1 : status;
}

}  // namespace velmo::qt
