// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

// Settings files for the tests and benchmarks; the programs only read them.
namespace velmo {

// A section holding one key: "[section]\nkey=value\n".
inline std::string settingsEntry(const std::string& section, const std::string& key,
                                 const std::string& value) {
  return "[" + section + "]\n" + key + "=" + value + "\n";
}

// Writes, in pieces, fillerBytes of sections that no program asks for, then
// tail. The filler is plain ASCII, so it leaves the file's encoding to tail.
// Throws std::runtime_error when the file cannot be written.
inline void writeWithFiller(const std::string& path, std::size_t fillerBytes,
                            std::string_view tail) {
  std::string block;
  for (int i = 0; block.size() < 64 * 1024; ++i) {
    block += "[other section " + std::to_string(i) + "]\nname=a value that no program reads\n" +
             "tiden=1\ncommand1=not this one\n\n";
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::size_t written = 0; written < fillerBytes; written += block.size())
    out.write(block.data(),
              static_cast<std::streamsize>(std::min(block.size(), fillerBytes - written)));
  if (fillerBytes > 0) out << "\n";  // a filler cut mid-line ends before tail
  out << tail;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

}  // namespace velmo
