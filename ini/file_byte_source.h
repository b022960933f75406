// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "ini/profile_search.h"
#include "system/file_descriptor.h"

namespace velmo {

// The bytes of a regular file, read through one descriptor in pieces of
// kReadChunkBytes. Owns the descriptor.
class FileByteSource : public ByteSource {
 public:
  // Opens path for reading without ever blocking. Returns null when the path
  // does not name a readable regular file (missing, no permission, a folder,
  // a FIFO, a device, a link to one of these, or a path with a NUL in it).
  static std::unique_ptr<FileByteSource> open(const std::string& path);

  std::string_view next() override;
  bool failed() const override { return failed_; }

 private:
  explicit FileByteSource(FileDescriptor file) : file_(std::move(file)) {}

  FileDescriptor file_;
  bool failed_ = false;
  std::array<char, kReadChunkBytes> buffer_;
};

}  // namespace velmo
