#pragma once

#include <functional>
#include <string>

namespace velmo::qt {

// Reports an error that ends the program: a message box with the text, the
// same text on standard error, then exit with status 1.
void reportFatalError(const std::string& text);

// Replaces reportFatalError's behaviour (tests record the text instead of
// ending the process). An empty function restores the default.
void setFatalErrorReporter(std::function<void(const std::string&)> reporter);

// Runs an event handler. A velmo::RunTimeError it throws goes to the fatal
// error report; exceptions must never cross the Qt event loop.
void runGuarded(const std::function<void()>& handler);

}  // namespace velmo::qt
