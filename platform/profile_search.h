#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velmo {

// Bytes of a settings file, read from the start in pieces, as often as the
// search needs (it reads twice: once to choose the encoding, once to parse).
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // Goes back to the first byte. Returns false when that is not possible.
  virtual bool rewind() = 0;

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

  bool rewind() override {
    position_ = 0;
    return true;
  }
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
// lines are still read to their end and their quotes judged from their last
// character, but only this much of them is looked at: a section or key name
// that does not end within it never matches, and a value comes back with at
// most what of it lies within it.
inline constexpr std::size_t kMaxKeptLineBytes = 64 * 1024;

// The value, as UTF-8, of key in the first section named section, by the
// profile rules (see profile_reader.h), not yet cut to any size; nullopt when
// the section or key is missing, a name is empty, or the source fails.
// Memory stays bounded whatever the size of the input; time is linear in it.
std::optional<std::string> findProfileValue(ByteSource& source, std::string_view section,
                                            std::string_view key);

}  // namespace velmo
