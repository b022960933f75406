#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "port_client/port.h"
#include "system/temp_folder.h"

// Settings files as hostile users and file systems make them, written to a
// fresh folder: shared by the reliability tests and the read benchmark.
namespace velmo::reliability {

// A port that goes nowhere.
class NullPort final : public Port {
 protected:
  void writeByte(int, std::uint8_t) override {}
  std::uint8_t readByte(int) override { return 0; }
};

// The chaser's section and key of timer 1..24: "timer<N>" and "tiden<N-1>",
// "tiden" alone for timer 1.
inline std::string chaserSection(int timer) {
  return "timer" + std::to_string(timer);
}
inline std::string chaserKey(int timer) {
  return timer == 1 ? "tiden" : "tiden" + std::to_string(timer - 1);
}

// A Velmo1.ini body: for each timer number, its own section with its own key
// set to the value text.
inline std::string chaserSettings(const std::map<int, std::string>& values) {
  std::string text;
  for (const auto& [timer, value] : values)
    text += "[" + chaserSection(timer) + "]\n" + chaserKey(timer) + "=" + value + "\n";
  return text;
}

// The intervals of the example Velmo1.ini, by timer number.
inline std::map<int, int> exampleIntervals() {
  std::map<int, int> intervals;
  const int others[] = {130, 260, 380, 500, 700, 900, 500, 620};
  for (int timer = 1; timer <= 24; ++timer)
    intervals[timer] = timer <= 16 ? 100 * timer : others[timer - 17];
  return intervals;
}

// The example intervals as value texts.
inline std::map<int, std::string> exampleIntervalTexts() {
  std::map<int, std::string> texts;
  for (const auto& [timer, interval] : exampleIntervals()) texts[timer] = std::to_string(interval);
  return texts;
}

// How the "ø" of the panel's "Utgang<N>høy" sections is stored.
enum class SectionBytes { Utf8, Windows1252 };

// The panel's section and key of button 1..16 ("Utgang1høy", "command1" ...).
inline std::string panelSection(int button, SectionBytes bytes) {
  const int line = (button + 1) / 2;
  const char* oe = bytes == SectionBytes::Utf8 ? "\xC3\xB8" : "\xF8";
  return "Utgang" + std::to_string(line) + (button % 2 == 1 ? std::string("h") + oe + "y" : "lav");
}
inline std::string panelKey(int button) {
  return "command" + std::to_string(button);
}

// A Velmo.ini body: for each button number, its own section and key set to
// the caption bytes as given.
inline std::string panelSettings(const std::map<int, std::string>& captions, SectionBytes bytes) {
  std::string text;
  for (const auto& [button, caption] : captions)
    text += "[" + panelSection(button, bytes) + "]\n" + panelKey(button) + "=" + caption + "\n";
  return text;
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

// The most memory this process has held so far (VmHWM), in kB; 0 when
// /proc cannot tell.
inline long peakResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string field; status >> field;) {
    long kb = 0;
    if (field == "VmHWM:" && status >> kb) return kb;
  }
  return 0;
}

// Writes bytes to path as they are.
inline void writeFile(const std::string& path, std::string_view bytes) {
  writeWithFiller(path, 0, bytes);
}

// A settings path that names no readable regular file, and how to make it.
struct UnusablePath {
  const char* kind;
  void (*make)(const std::string& path);
};

// Every kind of settings path that must read as a missing file without
// blocking: a folder, a FIFO without a writer, a link to /dev/zero, a link
// loop, a link to nothing.
inline const std::vector<UnusablePath>& unusablePaths() {
  namespace fs = std::filesystem;
  static const std::vector<UnusablePath> kinds = {
      {"folder", [](const std::string& path) { fs::create_directory(path); }},
      {"FIFO",
       [](const std::string& path) {
         if (::mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("mkfifo failed");
       }},
      {"link to /dev/zero", [](const std::string& path) { fs::create_symlink("/dev/zero", path); }},
      {"link loop",
       [](const std::string& path) {
         fs::create_symlink(path + ".loop", path);
         fs::create_symlink(path, path + ".loop");
       }},
      {"link to nothing",
       [](const std::string& path) { fs::create_symlink(path + ".gone", path); }},
  };
  return kinds;
}

}  // namespace velmo::reliability
