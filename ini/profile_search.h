// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmo {

// Bytes of a settings file, read once from the start in pieces.
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // The next piece of bytes, valid until the next call; empty at the end or
  // on a read error (then failed() is true).
  virtual std::string_view next() = 0;

  // True once a read has failed.
  virtual bool failed() const = 0;
};

// Size of the pieces in which sources hand out their bytes.
inline constexpr std::size_t kReadChunkBytes = 64 * 1024;

// Bytes held in memory, handed out in pieces of at most chunkBytes.
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::string_view bytes, std::size_t chunkBytes = kReadChunkBytes)
      : bytes_(bytes), chunkBytes_(chunkBytes) {}

  std::string_view next() override {
    const std::string_view piece = bytes_.substr(position_, chunkBytes_);
    position_ += piece.size();
    return piece;
  }
  bool failed() const override { return false; }

 private:
  std::string_view bytes_;
  std::size_t chunkBytes_;
  std::size_t position_ = 0;
};

// Longest prefix of any one line that the search keeps, in bytes. Longer
// lines are still read to their end (for their encoding, the "]" that ends a
// section name, and the last character of a value, which may be a closing
// quote), but only this much of them is looked at: a section or key name that
// does not end within it never matches, and a value comes back with at most
// what of it lies within it.
inline constexpr std::size_t kMaxKeptLineBytes = 64 * 1024;

// The value, as UTF-8, of key in the first section named section, by the
// profile rules (see profile_reader.h), not yet cut to any size; nullopt when
// the section or key is missing, a name is empty, or the source fails.
// Reads the source once, only as far as it takes to know the answer. Memory
// stays bounded whatever the size of the input; time is linear in it.
std::optional<std::string> findProfileValue(ByteSource& source, std::string_view section,
                                            std::string_view key);

// A section of a settings file as lookups see it: its name, as UTF-8 and
// spelt as its first header has it, and the names of its keys in file order.
struct ProfileSection {
  std::string name;
  std::vector<std::string> keys;
};

// The sections of the source by the profile rules, in the order they first
// appear, each name once whatever its case, with the keys of the first
// section of that name (the one lookups search); empty when the source
// fails. Memory grows with the number of sections and keys, not with the
// rest of the input.
std::vector<ProfileSection> listProfileSections(ByteSource& source);

}  // namespace velmo
