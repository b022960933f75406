// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the settings reader. The input is the section name on its first
// line, the key name on its second, and the bytes of the file after that. In
// the file, a byte 0x01 stands for a run of letters and 0x02 for a run of
// blanks, each a little shorter than the part of a line the reader keeps, so
// that small inputs reach long lines and the places where they are cut.
//
// Checked for every input, besides the sanitizers' findings:
// - the value is the same whether the file comes whole or in small pieces;
// - for files of up to kSmallFileBytes, it is the value that a plain reading
//   of the rules gives (profile_reference.h);
// - names match in any case and with blanks around them;
// - every result is valid UTF-8, cut to bufferSize - 1 code points, and the
//   result for a smaller buffer is the start of the one for a larger buffer.
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "ini/profile_reader.h"
#include "ini/profile_search.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/profile_reference.h"

namespace {

// Files longer than this get only the checks whose outcome depends on the
// length, so that an input of 1 MB stays well within the second that libFuzzer
// allows it: no reading one byte at a time, no changed names, two buffer sizes.
constexpr std::size_t kSmallFileBytes = 4096;

struct Lookup {
  std::string_view section;
  std::string_view key;
  std::string_view file;
};

// Takes the text up to the next LF (or all of it) off the front of data.
std::string_view takeLine(std::string_view& data) {
  const std::size_t end = data.find('\n');
  const std::string_view line = data.substr(0, end);
  data.remove_prefix(end == std::string_view::npos ? data.size() : end + 1);
  return line;
}

// The file with its stretch marks written out, as long as it stays within
// 256 KiB (four runs); marks beyond that stay as they are.
std::string stretched(std::string_view file) {
  constexpr std::size_t kMaxBytes = 256 * 1024;
  constexpr std::size_t kRunBytes = velmo::kMaxKeptLineBytes - 8;
  std::string result;
  for (const char c : file) {
    const bool mark = (c == '\x01' || c == '\x02') && result.size() + kRunBytes <= kMaxBytes;
    if (mark) {
      result.append(kRunBytes, c == '\x01' ? 'x' : ' ');
    } else {
      result += c;
    }
  }
  return result;
}

std::optional<std::string> findInPieces(const Lookup& lookup, std::size_t pieceBytes) {
  velmo::MemoryByteSource source(lookup.file, pieceBytes);
  return velmo::findProfileValue(source, lookup.section, lookup.key);
}

// The same names in capitals (ASCII letters only, so validity as UTF-8 is
// kept) with blanks around them.
std::string shouted(std::string_view name) {
  std::string result = " \t";
  for (const char c : name) result += c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  return result + "\t ";
}

// The value found does not depend on how the file is cut into pieces, nor on
// the case of the names or blanks around them.
std::optional<std::string> checkedValue(const Lookup& lookup, bool small) {
  const std::optional<std::string> whole = findInPieces(lookup, lookup.file.size() + 1);
  FUZZ_CHECK(findInPieces(lookup, 2 + lookup.file.size() % 15) == whole);
  if (whole) FUZZ_CHECK(velmo::fuzz::decodeUtf8(*whole).has_value());
  if (!small) return whole;

  FUZZ_CHECK(whole == velmo::fuzz::referenceValue(lookup.file, lookup.section, lookup.key));
  FUZZ_CHECK(findInPieces(lookup, 1) == whole);
  const std::string section = shouted(lookup.section), key = shouted(lookup.key);
  velmo::MemoryByteSource source(lookup.file);
  FUZZ_CHECK(velmo::findProfileValue(source, section, key) == whole);
  return whole;
}

// Results for growing buffer sizes: each valid UTF-8, of at most
// bufferSize - 1 code points, and each the start of the next; with no limit,
// the value found or else the default.
void checkBufferSizes(const Lookup& lookup, const std::optional<std::string>& value, bool small) {
  // The key doubles as the default, so defaults that are not UTF-8 are read too.
  const std::string_view defaultValue = lookup.key;
  constexpr std::size_t kUnlimited = std::numeric_limits<std::size_t>::max();
  constexpr std::array<std::size_t, 5> kSizes = {0, 1, 2, 255, kUnlimited};

  std::string previous;
  for (const std::size_t size : kSizes) {
    if (!small && size < 255) continue;
    const std::string result =
        velmo::profileStringFromBytes(lookup.file, lookup.section, lookup.key, defaultValue, size);
    const std::optional<std::u32string> codePoints = velmo::fuzz::decodeUtf8(result);
    FUZZ_CHECK(codePoints.has_value());
    FUZZ_CHECK(size == 0 ? result.empty() : codePoints->size() <= size - 1);
    FUZZ_CHECK(result.starts_with(previous));
    previous = result;
  }
  if (value) FUZZ_CHECK(previous == *value);
  if (!value && velmo::fuzz::decodeUtf8(defaultValue)) FUZZ_CHECK(previous == defaultValue);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  Lookup lookup;
  lookup.section = takeLine(input);
  lookup.key = takeLine(input);
  const std::string file = stretched(input);
  lookup.file = file;
  const bool small = lookup.file.size() <= kSmallFileBytes;
  checkBufferSizes(lookup, checkedValue(lookup, small), small);
  return 0;
}
