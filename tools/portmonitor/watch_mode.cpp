// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/portmonitor/watch_mode.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <exception>
#include <optional>
#include <string>

#include "system/errno_text.h"
#include "tools/portmonitor/byte_format.h"

namespace velmo::portmonitor {
namespace {

void printLine(std::ostream& out, const char* event, std::uint8_t byte) {
  out << watchLine(std::chrono::system_clock::now(), event, byte) << std::endl;
}

// "lost <why>" when the register is no longer followed (or why changed),
// "back <path>" when it is again.
void printWhatIsFollowed(std::ostream& out, const port::RegisterWatcher& watcher) {
  const bool back = watcher.following();
  out << watchNote(std::chrono::system_clock::now(), back ? "back" : "lost",
                   back ? watcher.path() : watcher.lossReason())
      << std::endl;
}

// "output away: <why>" when a program's output lines are away (or why
// changed), "output no longer away" when no program's are (back, or the
// program ended).
void printOutputPresence(std::ostream& out, const port::RegisterWatcher& watcher) {
  const std::string& away = watcher.outputAway();
  out << watchNote(std::chrono::system_clock::now(), "output",
                   away.empty() ? "no longer away" : "away: " + away)
      << std::endl;
}

}  // namespace

int runWatchMode(port::RegisterWatcher& watcher, std::ostream& out, std::ostream& err) {
  err << "Watching the port register " << watcher.path() << " (Ctrl+C ends)." << std::endl;
  printLine(out, "now", watcher.byte());
  if (!watcher.outputAway().empty()) printOutputPresence(out, watcher);
  pollfd wait{watcher.descriptor(), POLLIN, 0};
  for (;;) {
    if (poll(&wait, 1, -1) < 0) {
      if (errno == EINTR) continue;
      err << "Cannot wait for register changes: " << errnoText(errno) << std::endl;
      return 1;
    }
    const std::string lossBefore = watcher.lossReason();
    const std::string awayBefore = watcher.outputAway();
    std::optional<std::uint8_t> byte;
    try {
      byte = watcher.update();
    } catch (const std::exception& error) {
      err << error.what() << std::endl;
    }
    if (watcher.lossReason() != lossBefore) printWhatIsFollowed(out, watcher);
    if (watcher.outputAway() != awayBefore) printOutputPresence(out, watcher);
    if (byte) printLine(out, "out", *byte);
  }
}

}  // namespace velmo::portmonitor
