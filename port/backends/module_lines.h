// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "port/backends/output_lines.h"
#include "port/data_register.h"
#include "port/register/simulated_register.h"
#include "system/shared_object.h"

struct VelmoLines;

namespace velmo::port {

struct LinesModuleEntries;

// A lines module (see lines_module.h) and what to do when it cannot be
// loaded.
struct LinesModule {
  const char* fileName;  // "libvelmoport-ftdi.so", beside the port library
  SharedObjectRole role;
};

// The relay module in file, called title for people, which links library:
// an installed Velmo has it from the package velmo-relays, a build of your
// own needs the library's devPackage, and the module libraryPackage.
#define VELMO_RELAY_MODULE(file, title, library, devPackage, libraryPackage)             \
  LinesModule {                                                                          \
    file, {                                                                              \
      .name = title,                                                                     \
      .ifMissing =                                                                       \
          "For Velmo installed from its package, install the package velmo-relays of "   \
          "the same version; for your own build, install " library                       \
          "'s development files (sudo apt-get install " devPackage ") and build again.", \
      .ifUnusable = "Replace it with the " file " of this version of Velmo.",            \
      .ifNeedsLibrary = "Install " library " (sudo apt-get install " libraryPackage ")." \
    }                                                                                    \
  }

// The path of fileName in the folder of the shared object that holds this
// code (the port library's).
std::string besidePortLibrary(const char* fileName);

// The register of a device that a lines module drives: the module's lines
// for fields follow the register at location, one driver at a time (see
// FollowingRegister). Throws PortAccessError.
std::unique_ptr<DataRegister> makeModuleRegister(const LinesModule& module,
                                                 const std::vector<std::string>& fields,
                                                 const RegisterLocation& location);

// Output lines driven by a lines module. The module is loaded the first
// time its lines are made (a failed load is tried again the next time) and
// stays loaded.
class ModuleLines final : public OutputLines {
 public:
  // Loads module and makes its lines for fields; reaches nothing yet.
  // Throws PortAccessError naming what failed and what to do.
  ModuleLines(const LinesModule& module, const std::vector<std::string>& fields);
  ~ModuleLines() override;
  ModuleLines(const ModuleLines&) = delete;
  ModuleLines& operator=(const ModuleLines&) = delete;

  // Throw OutputAwayError when the device cannot be reached now,
  // PortAccessError for anything else.
  void write(std::uint8_t value) override;
  void check() override;

  std::optional<std::uint8_t> read() override { return std::nullopt; }
  void release() override;
  int reachedDescriptor() const override;
  std::string takeRemark() override;

 private:
  void throwUnlessDone(int outcome) const;

  const LinesModuleEntries& module_;
  VelmoLines* lines_;
};

}  // namespace velmo::port
