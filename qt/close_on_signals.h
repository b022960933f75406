// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace velmo::qt {

// Ends the program on SIGTERM and SIGINT the way closing its window does:
// the window gets its close event (and so its unload handler), then the event
// loop quits, also when the window is hidden. Nothing else runs in the signal
// handler itself; the work happens on the event loop. Call once, after the
// QApplication exists; the window must outlive the event loop. Throws
// std::system_error when the signal pipe cannot be made, and
// std::logic_error on a second call, which changes nothing.
void closeOnTerminationSignals(QWidget& window);

}  // namespace velmo::qt
