#include "tools/portmonitor/watch_mode.h"

#include <poll.h>

#include <cerrno>
#include <chrono>
#include <exception>

#include "platform/port/posix_file.h"
#include "tools/portmonitor/byte_format.h"

namespace velmo::monitor {
namespace {

void printLine(std::ostream& out, const char* event, std::uint8_t byte) {
  out << watchLine(std::chrono::system_clock::now(), event, byte) << std::endl;
}

}  // namespace

int runWatchMode(port::RegisterWatcher& watcher, std::ostream& out, std::ostream& err) {
  err << "Watching the port register " << watcher.path() << " (Ctrl+C ends)." << std::endl;
  printLine(out, "now", watcher.byte());
  pollfd wait{watcher.descriptor(), POLLIN, 0};
  for (;;) {
    if (poll(&wait, 1, -1) < 0) {
      if (errno == EINTR) continue;
      err << "Cannot wait for register changes: " << port::errnoText(errno) << std::endl;
      return 1;
    }
    try {
      if (const auto byte = watcher.update()) printLine(out, "out", *byte);
    } catch (const std::exception& error) {
      err << error.what() << std::endl;
    }
  }
}

}  // namespace velmo::monitor
