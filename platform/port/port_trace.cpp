#include "platform/port/port_trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/port/port_backend.h"

namespace velmo::port {

PortTrace::PortTrace(const std::string& path, const Clock& clock)
    : path_(path),
      clock_(clock),
      file_(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644)) {
  if (!file_) {
    throw PortAccessError("Cannot open the port trace " + path_ +
                          " (VELMO_PORT_TRACE): " + errnoText(errno) +
                          ". Choose a file in a folder you may write, or unset VELMO_PORT_TRACE.");
  }
}

void PortTrace::record(Direction direction, int port, std::uint8_t value) {
  char line[80];
  const int length = std::snprintf(line, sizeof line, "%lld %s %d %d\n",
                                   static_cast<long long>(clock_.now().count()),
                                   direction == Direction::kOut ? "out" : "in", port, value);
  const ssize_t written = ::write(file_.get(), line, static_cast<std::size_t>(length));
  if (written != length) {
    const std::string reason = written < 0 ? errnoText(errno) : "the line was cut short";
    throw PortAccessError("Cannot write the port trace " + path_ + ": " + reason + ".");
  }
}

}  // namespace velmo::port
