// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>

namespace velmo::qt {

// Reports an error that ends the program: the text on standard error as one
// line prefixed with the program name ("chaser: <text>"), then, when a
// QApplication exists, a message box with the text titled with the
// application name. Once the box is closed the program is ending: runGuarded
// refuses every later handler, and every running event loop is told to end
// with status 1. Returns to its caller, so the failed handler unwinds into
// the event loop and main returns (see runMainWindow in program_life.h).
// Called on another thread than the QApplication's, it refuses every handler
// from then on and makes the report on the application's thread.
void reportFatalError(const std::string& text);

// True once the default report has run: the program is ending with status 1.
bool fatalErrorReported();

// Replaces reportFatalError's behaviour (tests record the text instead of
// ending the program). An empty function restores the default.
void setFatalErrorReporter(std::function<void(const std::string&)> reporter);

// Runs an event handler. A velmo::RunTimeError (or any other exception) it
// throws goes to the fatal error report with its what(); exceptions must never
// cross the Qt event loop. From the moment the default report shows, no
// handler runs. Returns true when the handler ran to completion.
bool runGuarded(const std::function<void()>& handler);

}  // namespace velmo::qt
