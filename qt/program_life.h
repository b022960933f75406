// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "system/command_line.h"

class QApplication;
class QWidget;

namespace velmo::qt {

// The option that asks a program with a window to run headless.
inline constexpr ProgramOption kHeadlessOption{
    "--headless", "run with no window, driven through the session bus and signals"};

// The start of a program with a window, from its command line to its
// QApplication: --help, --version and usage errors end it at once; then it
// decides whether the program runs headless: with no window and no
// notification-area icon, on Qt's offscreen platform, driven through the
// session bus and signals, fatal errors only on standard error and in the
// exit status. It does when asked (--headless, which usage must list) and
// when there is no display to show a window on (neither DISPLAY nor
// WAYLAND_DISPLAY set, and no Qt platform chosen), which it then says once on
// standard error. Then it makes the QApplication, with applicationId (the
// desktop-file name and Wayland app id).
class ProgramStart {
 public:
  ProgramStart(int& argc, char** argv, const ProgramUsage& usage, std::string_view applicationId);
  ~ProgramStart();

  // Set when the program must end now with it; there is no QApplication then.
  std::optional<int> exitStatus() const { return commandLine_.exitStatus; }
  const CommandLineOutcome& commandLine() const { return commandLine_; }

 private:
  CommandLineOutcome commandLine_;
  std::unique_ptr<QApplication> application_;
};

// Whether the program runs headless (ProgramStart).
bool runsHeadless();

// How the main window first appears, unless the program runs headless.
enum class FirstShow { kNormal, kMinimized };

// A program's life: startUp, run through runGuarded, builds the program and
// returns its main window, or null when there is nothing for it to do (the
// program ends with status 0 without showing a window). The window is shown
// as asked (not at all when headless), then the QApplication's event loop
// runs until it ends. Returns main's exit status: 1 once a fatal error has
// been reported (at start-up the window never shows), otherwise the event
// loop's. What startUp builds is owned by the caller and must outlive this
// call.
int runMainWindow(const std::function<QWidget*()>& startUp, FirstShow show = FirstShow::kNormal);

}  // namespace velmo::qt
