// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "port/data_register.h"
#include "system/file_descriptor.h"

namespace velmo::port {

// Where a simulated register file lies, and how its folder is treated.
struct RegisterLocation {
  enum class Folder {
    kExisting,  // the folder must exist and is used as it is
    kPrivate,   // the folder is created 0700 when missing and must be ours
  };
  std::string path;
  Folder folder = Folder::kExisting;

  bool privateFolder() const { return folder == Folder::kPrivate; }
  bool operator==(const RegisterLocation&) const = default;
};

// The simulated data register: a one-byte file whose first byte is the
// register (a missing or empty file reads as 0). Every process that uses the
// same file sees the same byte, and the file keeps it after they end, like
// the latch of a real port.
//
// Each access opens the file without following a symbolic link and makes one
// pread or pwrite of the byte, so a file that is truncated or deleted while
// programs run works again at the next access. Writes, which come at every
// step of a pattern, keep the file open and open it anew (with every check)
// after anything has changed in its folder, which inotify tells without a
// look at the path.
// A missing file is created with mode 0600 holding 0. A register path that
// is a symbolic link or not a regular file is refused with a PortAccessError
// that names the path.
class SimulatedRegister final : public DataRegister {
 public:
  explicit SimulatedRegister(RegisterLocation location);

  void writeData(std::uint8_t value) override;
  std::uint8_t readData() override;

  // The register byte without creating anything: 0 when the file is missing
  // or empty. Throws PortAccessError as readData() does.
  std::uint8_t peek() const;

  const std::string& path() const { return location_.path; }

 private:
  // The register file opened with access (O_RDONLY or O_WRONLY); an empty
  // descriptor when the file is missing.
  FileDescriptor openExisting(int access) const;
  // The register file opened with access, created holding 0 if missing.
  FileDescriptor openOrCreate(int access) const;
  // Creates the file holding 0, complete or not at all; an existing file is
  // left alone.
  void createHoldingZero() const;
  std::uint8_t readFrom(const FileDescriptor& file) const;
  // Whether the kept writer may still be used: nothing changed in the folder
  // since it was opened.
  bool writerStillValid() const;
  // An inotify descriptor watching the register's folder for changes; empty
  // when no watch can be had.
  FileDescriptor watchFolder() const;

  RegisterLocation location_;
  FileDescriptor writer_;
  FileDescriptor folderChanges_;
};

}  // namespace velmo::port
