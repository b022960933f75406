// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace velmo::remote {

// Blocks SIGTERM and SIGINT in this thread and every thread started after
// it: call first thing in main. Throws std::system_error when it cannot.
void holdTerminationSignals();

// Quits the application's event loop when SIGTERM or SIGINT comes, read on
// the event loop from a signalfd. Call after holdTerminationSignals, once the
// QCoreApplication exists.
void quitOnTerminationSignals();

}  // namespace velmo::remote
