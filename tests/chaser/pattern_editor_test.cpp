// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/pattern_editor.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <fstream>

#include "system/temp_folder.h"
#include "tests/chaser/chaser_fixture.h"
#include "tests/support/qt_application.h"

namespace velmo::chaser {
namespace {

using namespace std::chrono_literals;
using Writes = std::vector<std::string>;

TEST(PatternEditor, ACellClickedIsPreviewedThenSavedAndTheChaserHasIt) {
  test::application();
  const TempFolder folder;
  std::ofstream(folder / "Velmo1.ini") << "[pattern4]\nname=Par\nsteps=3,12\ntime=100\n";
  VirtualTimeline timeline;
  test::RecordingPort port{timeline.clock()};
  Chaser chaser(timeline.scheduler(), port, folder.path());
  PatternEditor editor(chaser, {folder / "Velmo1.ini", ""});
  editor.show();
  auto* grid = editor.findChild<QTableWidget*>("Grid");
  editor.findChild<QCheckBox*>("Preview")->click();
  const QRect line8Step2 = grid->visualItemRect(grid->item(7, 1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, line8Step2.center());
  timeline.advance(200ms);
  EXPECT_EQ(port.takeWrites(), (Writes{"0:0", "100:3", "200:140"}));

  editor.findChild<QPushButton*>("Save")->click();
  ASSERT_EQ(chaser.userPatterns().size(), 1u);
  EXPECT_EQ(chaser.userPatterns()[0].steps, (std::vector<std::uint8_t>{3, 140}));
  EXPECT_EQ(loadUserPatterns(folder / "Velmo1.ini").patterns, chaser.userPatterns());
}

}  // namespace
}  // namespace velmo::chaser
