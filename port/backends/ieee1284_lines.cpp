// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/ieee1284_lines.h"

#include <ieee1284.h>

#include <cerrno>

#include "port/backends/mirrored_register.h"
#include "port/port_setting.h"
#include "system/errno_text.h"

namespace velmo::port {
namespace {

// The reason behind a libieee1284 result code; errnoValue is errno as it was
// right after the call.
std::string reasonOf(int result, int errnoValue) {
  switch (result) {
    case E1284_NOTIMPL:
      return "libieee1284 does not implement this";
    case E1284_NOTAVAIL:
      return "not available on this system";
    case E1284_TIMEDOUT:
      return "timed out";
    case E1284_NOMEM:
      return "out of memory";
    case E1284_INIT:
      return "the port could not be set up (access denied, or another driver holds it "
             "exclusively)";
    case E1284_SYS:
      return errnoText(errnoValue);
    case E1284_INVALIDPORT:
      return "libieee1284 calls it an invalid port";
    default:
      return "libieee1284 error " + std::to_string(result);
  }
}

std::string deviceOf(const parport* port) {
  return port->filename ? port->filename : "/dev/parport*";
}

std::string openingFix(int result, int errnoValue, const parport* port) {
  const std::string access =
      "Add your user to the lp group (sudo usermod -aG lp $USER, then log "
      "in again) and check that " +
      deviceOf(port) + " exists and that group lp may read and write it.";
  if (result == E1284_SYS && (errnoValue == EACCES || errnoValue == EPERM)) return access;
  if (result == E1284_INIT) {
    return access + " If a printer driver holds the port, unload it (sudo rmmod lp).";
  }
  return "Check the port with ls -l " + deviceOf(port) + ".";
}

// The ports libieee1284 finds, freed again at the end of the scope.
class PortList {
 public:
  PortList() {
    const int result = ieee1284_find_ports(&list_, 0);
    if (result != E1284_OK) {
      throw PortAccessError("Cannot list the parallel ports: " + reasonOf(result, errno) + ".");
    }
  }
  ~PortList() { ieee1284_free_ports(&list_); }
  PortList(const PortList&) = delete;
  PortList& operator=(const PortList&) = delete;

  parport* find(const std::string& name) const {
    for (int i = 0; i < list_.portc; ++i) {
      if (name == list_.portv[i]->name) return list_.portv[i];
    }
    return nullptr;
  }

  std::string names() const {
    std::string names;
    for (int i = 0; i < list_.portc; ++i) {
      names += (i > 0 ? ", " : "") + std::string(list_.portv[i]->name);
    }
    return names;
  }

 private:
  parport_list list_{};
};

// The port called name, with a reference of its own that outlives the list.
parport* referencePort(const std::string& name) {
  const PortList ports;
  parport* port = ports.find(name);
  if (port == nullptr) {
    const std::string found = ports.names();
    if (found.empty()) {
      throw PortAccessError(
          "There is no parallel port named " + name +
          ": no parallel port was found on this machine. Check that it has one and that its "
          "kernel drivers are loaded (sudo modprobe parport_pc ppdev), or use the simulated "
          "register (unset VELMO_PORT).");
    }
    throw PortAccessError("There is no parallel port named " + name + ". Ports found: " + found +
                          ". Set VELMO_PORT=hw:NAME with one of these.");
  }
  ieee1284_ref(port);
  return port;
}

std::optional<PortSetting> parseHardware(std::optional<std::string_view> name,
                                         const PortEnvironment& environment) {
  if (!name || name->empty()) return std::nullopt;
  return HardwareSetting{std::string(*name),
                         {defaultRegisterPath(environment), RegisterLocation::Folder::kPrivate}};
}

std::unique_ptr<DataRegister> makeHardware(const PortSetting& setting) {
  const auto& hardware = std::get<HardwareSetting>(setting);
  return std::make_unique<MirroredRegister>(std::make_unique<Ieee1284Lines>(hardware.name),
                                            hardware.location);
}

std::string hardwareHelp(const PortEnvironment&) {
  return "\"hw:NAME\" for the parallel port NAME that libieee1284 lists, such as hw:parport0";
}

std::string hardwareName(const PortSetting& setting) {
  return "hw:" + std::get<HardwareSetting>(setting).name;
}

}  // namespace

constinit const Backend kHardwareBackend{"hw", parseHardware, makeHardware, hardwareHelp,
                                         hardwareName};

Ieee1284Lines::Ieee1284Lines(const std::string& name) : name_(name), port_(referencePort(name)) {
  int capabilities = 0;
  const int result = ieee1284_open(port_, 0, &capabilities);
  const int errnoValue = errno;
  std::string problem;
  if (result != E1284_OK) {
    problem = reasonOf(result, errnoValue) + ". " + openingFix(result, errnoValue, port_);
  } else if ((capabilities & CAP1284_RAW) == 0) {
    ieee1284_close(port_);
    problem = "it offers no access to its data lines.";
  }
  if (!problem.empty()) {
    ieee1284_unref(port_);
    throw PortAccessError("Cannot open the parallel port " + name_ + ": " + problem);
  }
}

Ieee1284Lines::~Ieee1284Lines() {
  ieee1284_close(port_);
  ieee1284_unref(port_);
}

void Ieee1284Lines::claim() {
  const int result = ieee1284_claim(port_);
  if (result != E1284_OK) {
    throw PortAccessError("Cannot claim the parallel port " + name_ + ": " +
                          reasonOf(result, errno) +
                          ". Another program may hold it; close it and try again.");
  }
}

void Ieee1284Lines::write(std::uint8_t value) {
  claim();
  ieee1284_write_data(port_, value);
  ieee1284_release(port_);
}

std::optional<std::uint8_t> Ieee1284Lines::read() {
  claim();
  const int result = ieee1284_read_data(port_);
  const int errnoValue = errno;
  ieee1284_release(port_);
  if (result >= 0) return static_cast<std::uint8_t>(result);
  if (result == E1284_NOTAVAIL) return std::nullopt;
  throw PortAccessError("Cannot read the data lines of the parallel port " + name_ + ": " +
                        reasonOf(result, errnoValue) + ".");
}

}  // namespace velmo::port
