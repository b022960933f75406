// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/serial_lines.h"

#include <fcntl.h>
#include <glob.h>
#include <grp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "port/backends/following_register.h"
#include "port/backends/serial_frame.h"
#include "port/port_lines.h"
#include "port/port_notices.h"
#include "port/port_setting.h"
#include "system/errno_text.h"
#include "system/paths.h"

namespace velmo::port {
namespace {

// How long a port may take to accept a write.
constexpr std::chrono::milliseconds kWriteTime{2000};

// The serial ports of this machine that relay boards show up as, the
// stable names first.
std::string serialPorts() {
  std::string found;
  for (const char* pattern :
       {"/dev/serial/by-id/*", "/dev/ttyUSB*", "/dev/ttyACM*", "/dev/ttyAMA*"}) {
    glob_t matches{};
    if (glob(pattern, 0, nullptr, &matches) == 0) {
      for (std::size_t i = 0; i < matches.gl_pathc; ++i) {
        found += (found.empty() ? "" : ", ") + std::string(matches.gl_pathv[i]);
      }
    }
    globfree(&matches);
  }
  return found;
}

std::string groupOf(const std::string& device) {
  struct stat status {};
  if (stat(device.c_str(), &status) != 0) return "dialout";
  const group* owner = getgrgid(status.st_gid);
  return owner ? owner->gr_name : std::to_string(status.st_gid);
}

// Why device cannot be opened (errno error), and the fix.
std::string openingProblem(const std::string& device, int error) {
  if (error == ENOENT || error == ENODEV || error == ENXIO) {
    const std::string found = serialPorts();
    return "There is no serial port " + device + ". " +
           (found.empty() ? "No serial port for a relay board was found: plug the board in"
                          : "Serial ports found: " + found +
                                ". Set VELMO_PORT=serial:DEVICE with one of these (the names "
                                "in /dev/serial/by-id stay when the board is plugged in again)") +
           ".";
  }
  if (error == EACCES || error == EPERM) {
    const std::string group = groupOf(device);
    return "Cannot open the serial port " + device + ": permission denied. Add your user to the " +
           "group " + group + " (sudo usermod -aG " + group + " $USER), then log in again.";
  }
  if (error == EBUSY) {
    return "The serial port " + device +
           " is in use by another program: close it (a serial terminal, say) and try again.";
  }
  return "Cannot open the serial port " + device + ": " + errnoText(error) + ".";
}

void configure(int fd, const std::string& device) {
  termios settings{};
  if (tcgetattr(fd, &settings) != 0) {
    throw PortAccessError(device + " is not a serial port (" + errnoText(errno) +
                          "). Set VELMO_PORT=serial:DEVICE with the board's port.");
  }
  cfmakeraw(&settings);
  settings.c_cflag =
      (settings.c_cflag & ~(CSIZE | PARENB | CSTOPB | CRTSCTS)) | CS8 | CLOCAL | CREAD;
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  cfsetispeed(&settings, B9600);
  cfsetospeed(&settings, B9600);
  if (ioctl(fd, TIOCEXCL) != 0 || tcsetattr(fd, TCSANOW, &settings) != 0) {
    throw PortAccessError("Cannot set up the serial port " + device + ": " + errnoText(errno) +
                          ".");
  }
}

std::optional<PortSetting> parseSerial(std::optional<std::string_view> device,
                                       const PortEnvironment& environment) {
  if (!device || device->empty()) return std::nullopt;
  const std::string path = absolutePath(*device);
  return SerialSetting{path, registerBesideDefault(environment, "serial", path)};
}

std::unique_ptr<DataRegister> makeSerial(const PortSetting& setting) {
  const auto& serial = std::get<SerialSetting>(setting);
  return std::make_unique<FollowingRegister>(std::make_unique<SerialLines>(serial.device),
                                             serial.location, kRelayFollowing, processNotices());
}

std::string serialHelp(const PortEnvironment&) {
  return "\"serial:DEVICE\" for a serial relay board (frames A0, relay, 0 or 1, sum; 9600 baud) "
         "on the port DEVICE, such as serial:/dev/ttyUSB0";
}

std::string serialName(const PortSetting& setting) {
  return "serial:" + std::get<SerialSetting>(setting).device;
}

}  // namespace

constinit const Backend kSerialBackend{"serial", parseSerial, makeSerial, serialHelp, serialName};

SerialLines::SerialLines(std::string device) : device_(std::move(device)) {}

void SerialLines::check() {
  if (!port_) {
    open();
    return;
  }
  termios settings{};
  if (tcgetattr(port_.get(), &settings) != 0) fail("went away");
}

void SerialLines::open() {
  FileDescriptor port(::open(device_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
  if (!port) throw PortAccessError(openingProblem(device_, errno));
  configure(port.get(), device_);
  port_ = std::move(port);
  relays_.reset();
}

SerialLines::~SerialLines() {
  release();
}

void SerialLines::release() {
  if (port_) ioctl(port_.get(), TIOCNXCL);
  port_.reset();
}

void SerialLines::write(std::uint8_t value) {
  if (!port_) open();
  const unsigned changed = relays_ ? value ^ *relays_ : 0xFF;
  std::vector<std::uint8_t> frames;
  for (unsigned relay = 1; relay <= kLineCount; ++relay) {
    const unsigned bit = 1u << (relay - 1);
    if ((changed & bit) == 0) continue;
    const SerialFrame frame = serialFrame(relay, (value & bit) != 0);
    frames.insert(frames.end(), frame.begin(), frame.end());
  }
  send(frames.data(), frames.size());
  relays_ = value;
}

void SerialLines::send(const std::uint8_t* bytes, std::size_t size) {
  const auto deadline = std::chrono::steady_clock::now() + kWriteTime;
  while (size > 0) {
    const ssize_t written = ::write(port_.get(), bytes, size);
    if (written > 0) {
      bytes += written;
      size -= static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno != EAGAIN && errno != EINTR)
      fail("went away (" + errnoText(errno) + ")");
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd wait{port_.get(), POLLOUT, 0};
    if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) == 0) {
      fail("took no data for " + std::to_string(kWriteTime.count() / 1000) + " s");
    }
  }
}

void SerialLines::fail(const std::string& what) {
  port_.reset();
  throw OutputAwayError("The serial port " + device_ + " " + what +
                        ". Check the board's cable; it is opened again as soon as it is back.");
}

}  // namespace velmo::port
