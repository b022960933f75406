#pragma once

#include <functional>
#include <string>

namespace velmo::qt {

// Reports an error that ends the program: the text on standard error as one
// line prefixed with the program name ("chaser: <text>"), a message box with
// the text titled with the application name when a QApplication exists, then
// exit with status 1. Works from inside an event handler.
void reportFatalError(const std::string& text);

// Replaces reportFatalError's behaviour (tests record the text instead of
// ending the process). An empty function restores the default.
void setFatalErrorReporter(std::function<void(const std::string&)> reporter);

// Runs an event handler. A velmo::RunTimeError (or any other exception) it
// throws goes to the fatal error report with its what(); exceptions must never
// cross the Qt event loop. While the default report is on screen no handler
// runs. Returns true when the handler ran to completion.
bool runGuarded(const std::function<void()>& handler);

}  // namespace velmo::qt
