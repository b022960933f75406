// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/portmonitor/monitor_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <filesystem>
#include <functional>

#include "port/register/simulated_register.h"
#include "system/temp_folder.h"
#include "tests/support/qt_application.h"
#include "tools/portmonitor/byte_format.h"

namespace velmo::portmonitor {
namespace {

using port::SimulatedRegister;
using Folder = port::RegisterLocation::Folder;

class MonitorWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::application(); }

  // Runs the event loop until done() holds; false after a bound that only a
  // broken window reaches.
  static bool processEventsUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
  }

  std::string litLines() const {
    std::string lines;
    for (int line = 1; line <= kLineCount; ++line) {
      lines += window.lamp(line).isOn() ? static_cast<char>('0' + line) : '-';
    }
    return lines;
  }

  velmo::TempFolder temp;
  std::string path = temp / "reg";
  SimulatedRegister writer{{path, Folder::kExisting}};
  port::RegisterWatcher watcher{{(writer.writeData(0x81), path), Folder::kExisting}};
  MonitorWindow window{watcher};
};

TEST_F(MonitorWindowTest, ShowsTheRegisterAtStart) {
  EXPECT_EQ(litLines(), "1------8");
  EXPECT_EQ(window.decimalShown(), "129");
  EXPECT_EQ(window.hexShown(), "0x81");
  EXPECT_EQ(window.binaryShown(), "10000001");
  EXPECT_EQ(window.statusShown().toStdString(), "Register: " + path);
}

TEST_F(MonitorWindowTest, FollowsEveryChange) {
  writer.writeData(0x3C);
  ASSERT_TRUE(processEventsUntil([&] { return window.decimalShown() == "60"; }));
  EXPECT_EQ(litLines(), "--3456--");
  EXPECT_EQ(window.hexShown(), "0x3C");
  EXPECT_EQ(window.binaryShown(), "00111100");
}

TEST_F(MonitorWindowTest, ShowsWhyTheRegisterCannotBeReadAndRecovers) {
  std::filesystem::remove(path);
  std::filesystem::create_symlink(temp / "elsewhere", path);
  ASSERT_TRUE(processEventsUntil([&] { return window.statusShown().contains("symbolic link"); }));
  std::filesystem::remove(path);
  writer.writeData(0x01);
  ASSERT_TRUE(processEventsUntil([&] { return window.decimalShown() == "1"; }));
  EXPECT_EQ(window.statusShown().toStdString(), "Register: " + path);
}

TEST_F(MonitorWindowTest, SaysItWaitsWhileTheRegistersFolderIsGone) {
  const std::string folder = temp / "port";
  std::filesystem::create_directory(folder);
  port::RegisterWatcher inFolder({folder + "/reg", Folder::kExisting});
  MonitorWindow waiting(inFolder);
  std::filesystem::remove(folder);
  ASSERT_TRUE(processEventsUntil([&] {
    return waiting.statusShown().toStdString() ==
           "The register folder " + folder +
               " is gone (deleted or moved away); waiting for it to come back.";
  })) << waiting.statusShown().toStdString();
  std::filesystem::create_directory(folder);
  ASSERT_TRUE(processEventsUntil([&] { return waiting.statusShown().startsWith("Register: "); }));
}

}  // namespace
}  // namespace velmo::portmonitor
