// SPDX-License-Identifier: GPL-3.0-or-later
#include "chaser/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "qt/fatal_error.h"
#include "system/run_time_error.h"
#include "tests/chaser/chaser_fixture.h"
#include "tests/support/qt_application.h"

namespace velmo::chaser {
namespace {

using namespace std::chrono_literals;
using test::kSweepUp;
using test::steps;
using test::operator+;
using Writes = std::vector<std::string>;

class Form1Test : public ::testing::Test {
 protected:
  QPushButton* button(const char* name) {
    auto* found = form->findChild<QPushButton*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  // The window on the example settings, loaded and shown; start-up's write
  // is taken off the record.
  void showLoaded() {
    chaser->Form_Load();
    port.takeWrites();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  QApplication& app = test::application();
  VirtualTimeline timeline;
  test::EventLog events;
  test::RecordingPort port{timeline.clock(), events};
  std::unique_ptr<Chaser> chaser =
      std::make_unique<Chaser>(timeline.scheduler(), port, "/opt/velmo",
                               test::intervalReader(test::exampleIntervals(), events));
  std::unique_ptr<Form1> form = std::make_unique<Form1>(*chaser);
};

TEST_F(Form1Test, ClientAreaIsFixedAt297By101Pixels) {
  EXPECT_EQ(form->size(), QSize(297, 101));
  EXPECT_EQ(form->minimumSize(), QSize(297, 101));
  EXPECT_EQ(form->maximumSize(), QSize(297, 101));
}

TEST_F(Form1Test, TitleCreditsTheAuthorsAfterTheVersion) {
  const QString title = form->windowTitle();
  EXPECT_TRUE(title.startsWith("Velmo 1.1 by ")) << title.toStdString();
  EXPECT_GT(title.size(), QString("Velmo 1.1 by ").size());
}

TEST_F(Form1Test, PictureAndIconComeFromTheBuiltInAssets) {
  auto* picture = form->findChild<QLabel*>("Picture");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->geometry(), QRect(0, 0, 259, 60));
  EXPECT_FALSE(picture->pixmap().isNull());
  EXPECT_FALSE(form->windowIcon().isNull());
}

struct ButtonDesign {
  const char* name;
  const char* caption;
  QRect pixels;
};

TEST_F(Form1Test, ButtonsStandInOneRowUnderThePictureInTabOrder) {
  const ButtonDesign expected[] = {{"Command1", "Løpelys 1", {8, 64, 65, 25}},
                                   {"Command2", "Løpelys 2", {80, 64, 65, 25}},
                                   {"Command3", "Løpelys 3", {152, 64, 65, 25}},
                                   {"Command4", "Deaktiver", {224, 64, 65, 25}}};
  for (const ButtonDesign& design : expected) {
    QPushButton* b = button(design.name);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->text(), QString::fromUtf8(design.caption)) << design.name;
    EXPECT_EQ(b->geometry(), design.pixels) << design.name;
    EXPECT_TRUE(b->isEnabled()) << design.name;
    EXPECT_TRUE(b->focusPolicy() & Qt::TabFocus) << design.name;
  }
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(button(expected[i].name)->nextInFocusChain(), button(expected[i + 1].name))
        << expected[i].name;
  }
}

TEST_F(Form1Test, StartUpWritesOneZeroBeforeTheFirstRead) {
  chaser->Form_Load();
  ASSERT_EQ(events.size(), 25u);
  EXPECT_EQ(events[0], "out 888 0");
  EXPECT_EQ(events[1], "read timer1 tiden /opt/velmo/Velmo1.ini");
  EXPECT_EQ(events[24], "read timer24 tiden23 /opt/velmo/Velmo1.ini");
  EXPECT_EQ(port.takeWrites(), Writes{"0:0"});
}

TEST_F(Form1Test, ClickingLopelys1WritesZeroThenStepsOnTheTimeline) {
  showLoaded();
  QTest::mouseClick(button("Command1"), Qt::LeftButton);
  EXPECT_EQ(port.takeWrites(), Writes{"0:0"});
  timeline.advance(1600ms);
  EXPECT_EQ(port.takeWrites(), steps(100, 100, kSweepUp) + steps(900, 100, kSweepUp));

  QTest::mouseClick(button("Command4"), Qt::LeftButton);
  timeline.advance(10s);
  EXPECT_EQ(port.takeWrites(), Writes{"1600:0"});
}

TEST_F(Form1Test, ClosingTheWindowMidPatternWritesNothingMore) {
  showLoaded();
  QTest::mouseClick(button("Command1"), Qt::LeftButton);
  timeline.advance(350ms);
  port.takeWrites();
  form->close();
  // As the program ends: the window goes, then the chaser.
  form.reset();
  chaser.reset();
  timeline.advance(10s);
  EXPECT_EQ(port.takeWrites(), Writes{});
  EXPECT_EQ(port.reg, 4) << "the lines keep the last byte";
}

TEST_F(Form1Test, EachButtonRunsItsOwnHandler) {
  showLoaded();
  struct Click {
    const char* button;
    Writes firstSecond;  // writes within one second of the click
  };
  const Click clicks[] = {
      {"Command2", Writes{"0:0"} + steps(100, 100, {1, 2, 4, 8, 16, 32, 64, 128, 128, 64})},
      {"Command3",
       {"1000:0", "1130:24", "1260:0", "1380:24", "1500:0", "1500:231", "1700:0", "1900:231"}},
      {"Command4", {"2000:0"}},
  };
  for (const Click& click : clicks) {
    QTest::mouseClick(button(click.button), Qt::LeftButton);
    timeline.advance(1000ms);
    EXPECT_EQ(port.takeWrites(), click.firstSecond) << click.button;
  }
}

TEST_F(Form1Test, PortErrorDuringAClickGoesToTheFatalErrorReport) {
  struct FailingPort final : Port {
    void writeByte(int, std::uint8_t) override { throw RunTimeError("port library missing"); }
    std::uint8_t readByte(int) override { return 0; }
  } failing;
  Chaser failingChaser(timeline.scheduler(), failing, "/opt/velmo",
                       test::intervalReader(test::exampleIntervals(), events));
  Form1 window(failingChaser);
  std::vector<std::string> reports;
  qt::setFatalErrorReporter([&](const std::string& text) { reports.push_back(text); });
  window.findChild<QPushButton*>("Command1")->click();
  qt::setFatalErrorReporter({});
  EXPECT_EQ(reports, std::vector<std::string>{"port library missing"});
}

TEST_F(Form1Test, UserPatternsGetRowsBeneathAndTheWindowGrowsOnlyThen) {
  showLoaded();
  chaser->setUserPatterns({{4, "Par", {3}, {100}},
                           {5, "b", {1}, {9}},
                           {6, "c", {1}, {9}},
                           {7, "d", {1}, {9}},
                           {9, "Nine", {1}, {10}}});
  EXPECT_EQ(button("Pattern4")->geometry(), QRect(8, 96, 65, 25));
  EXPECT_EQ(button("Pattern9")->geometry(), QRect(8, 128, 65, 25));
  EXPECT_EQ(form->size(), QSize(297, 165));
  QTest::mouseClick(button("Pattern4"), Qt::LeftButton);
  timeline.advance(100ms);
  EXPECT_EQ(port.takeWrites(), (Writes{"0:0", "100:3"}));
  chaser->setUserPatterns({});
  EXPECT_EQ(form->size(), QSize(297, 101));
}

TEST_F(Form1Test, KeysChangeTheSpeedAndTapAndTheBoxShowsIt) {
  showLoaded();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_Plus);
  EXPECT_DOUBLE_EQ(chaser->speed(), 1.05);
  QTest::mouseClick(button("Command1"), Qt::LeftButton);
  QTest::keyClick(form.get(), Qt::Key_T);
  timeline.advance(50ms);
  QTest::keyClick(form.get(), Qt::Key_T);
  EXPECT_DOUBLE_EQ(chaser->speed(), 2) << "a step of Løpelys 1 is 100 ms at speed 1";
  EXPECT_EQ(form->findChild<QDoubleSpinBox*>("Speed")->text(), "2.00×");
}

}  // namespace
}  // namespace velmo::chaser
