#pragma once

#include <functional>
#include <string_view>

#include "system/command_line.h"

class QWidget;

namespace velmo::qt {

// The option that asks a program with a window to run headless.
inline constexpr ProgramOption kHeadlessOption{
    "--headless", "run with no window, driven through the session bus and signals"};

// Decides, before the QApplication exists, whether the program runs
// headless: with no window and no notification-area icon, on Qt's offscreen
// platform, driven through the session bus and signals, fatal errors only on
// standard error and in the exit status. It does when asked (--headless) and
// when there is no display to show a window on (neither DISPLAY nor
// WAYLAND_DISPLAY set, and no Qt platform chosen), which it then says once on
// standard error under programName.
void chooseHeadless(bool asked, std::string_view programName);

// Whether the program runs headless (chooseHeadless).
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
