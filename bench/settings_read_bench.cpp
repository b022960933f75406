// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the start-up read of large settings files: the chaser's Form_Load
// (24 ReadIniString calls) and the switch panel's (16 calls) on files of 1,
// 10 and 100 MB whose wanted sections come after all the others, so every
// call scans the whole file. Prints the time of each start-up, its time per
// MB (flat when the read is linear in the file size) and the peak memory.
//
//   settings_read_bench [MB ...]   (file sizes, default 1 10 100)

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "chaser/chaser.h"
#include "ini/settings_writer.h"
#include "port_client/port.h"
#include "switchpanel/switch_panel.h"
#include "system/temp_folder.h"
#include "timers/virtual_timeline.h"

namespace velmo::bench {
namespace {

using Clock = std::chrono::steady_clock;
using chaser::Chaser;

// A port that goes nowhere.
class NullPort final : public Port {
 protected:
  void writeByte(int, std::uint8_t) override {}
  std::uint8_t readByte(int) override { return 0; }
};

constexpr int kRuns = 3;  // the fastest of these counts, once the file is in the page cache
constexpr std::size_t kMegabyte = 1024 * 1024;

// Fastest of kRuns runs of startUp, in milliseconds.
double fastestMs(const std::function<void()>& startUp) {
  double best = 1e300;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = Clock::now();
    startUp();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return best;
}

double chaserStartUpMs(const std::string& folder) {
  return fastestMs([&] {
    VirtualTimeline timeline;
    NullPort port;
    Chaser chaser(timeline.scheduler(), port, folder);
    chaser.Form_Load();
    if (chaser.timer(24).interval() != Chaser::exampleInterval(24))
      throw std::runtime_error("wrong interval read");
  });
}

double panelStartUpMs(const std::string& folder) {
  return fastestMs([&] {
    NullPort port;
    switchpanel::SwitchPanel panel(port, folder);
    panel.Form_Load();
    if (panel.button(16).caption != "Av 16") throw std::runtime_error("wrong caption read");
  });
}

long peakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

std::vector<std::size_t> parseSizes(int argc, char** argv) {
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) {
    char* end = nullptr;
    const long mb = std::strtol(argv[i], &end, 10);
    if (*end != '\0' || mb < 1 || mb > 4096) return {};
    sizes.push_back(static_cast<std::size_t>(mb));
  }
  if (argc == 1) sizes = {1, 10, 100};
  return sizes;
}

// The example step times, each in its timer's own section and key.
std::string chaserSettings() {
  std::string text;
  for (int timer = 1; timer <= Chaser::kTimerCount; ++timer)
    text += settingsEntry(Chaser::intervalSection(timer), Chaser::intervalKey(timer),
                          std::to_string(Chaser::exampleInterval(timer)));
  return text;
}

// "På <button>" or "Av <button>" for each button, in UTF-8.
std::string panelSettings() {
  std::string text;
  for (int button = 1; button <= switchpanel::kButtonCount; ++button)
    text += settingsEntry(switchpanel::captionSection(button), switchpanel::captionKey(button),
                          (button % 2 == 1 ? "På " : "Av ") + std::to_string(button));
  return text;
}

}  // namespace
}  // namespace velmo::bench

int main(int argc, char** argv) {
  using namespace velmo::bench;
  const std::vector<std::size_t> sizes = parseSizes(argc, argv);
  if (sizes.empty()) {
    std::fprintf(stderr, "usage: settings_read_bench [MB ...]  (whole MB, 1 to 4096)\n");
    return 2;
  }
  std::printf("start-up read of settings files whose wanted sections come last (fastest of %d)\n",
              kRuns);
  std::printf("%8s %14s %10s %14s %10s %14s\n", "file MB", "chaser ms", "ms/MB", "panel ms",
              "ms/MB", "peak RSS MB");
  for (const std::size_t mb : sizes) {
    velmo::TempFolder folder;
    velmo::writeWithFiller(folder / "Velmo1.ini", mb * kMegabyte, chaserSettings());
    velmo::writeWithFiller(folder / "Velmo.ini", mb * kMegabyte, panelSettings());
    const double chaserMs = chaserStartUpMs(folder.path());
    const double panelMs = panelStartUpMs(folder.path());
    std::printf("%8zu %14.1f %10.2f %14.1f %10.2f %14ld\n", mb, chaserMs,
                chaserMs / static_cast<double>(mb), panelMs, panelMs / static_cast<double>(mb),
                peakRssMb());
    std::fflush(stdout);
  }
  return 0;
}
