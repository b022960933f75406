// SPDX-License-Identifier: GPL-3.0-or-later
// The panel window on Qt's offscreen platform: layout, captions fitted to
// their buttons, focus order, real button clicks reaching the port, and the
// notification-area icon.
#include "switchpanel/form1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <map>
#include <string>
#include <vector>

#include "qt/fatal_error.h"
#include "system/run_time_error.h"
#include "tests/support/qt_application.h"
#include "tests/support/recording_port.h"
#include "tests/switchpanel/fake_tray.h"

namespace velmo::switchpanel {
namespace {

// Captions of the settings file the window tests read: one short, one that
// fits a smaller font, one that fits no readable font.
const char* captionOf(const std::string& key) {
  if (key == "command1") return "Aktiver vifte 1";
  if (key == "command3") return "Slå på vifte 2";
  if (key == "command12") return "Deaktiver blacklight";
  if (key == "command14") return "Deaktiver lyset i gården bak låven";
  return "";
}

class Form1Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::application(); }

  void SetUp() override {
    panel.Form_Load();
    log.clear();
  }

  void showActive() {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }

  std::vector<std::string> log;
  test::RecordingPort port{log};
  SwitchPanel panel{port, "/opt/velmo",
                    [](const std::string&, const std::string& key, const std::string&) {
                      return std::string(captionOf(key));
                    }};
  test::FakeNotificationArea area{log};
  Form1 window{panel, area};
};

TEST_F(Form1Test, ClientAreaIsFixedWhiteWithTitleIconAndPicture) {
  EXPECT_EQ(window.size(), QSize(841, 145));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(Qt::white));
  EXPECT_FALSE(window.windowIcon().isNull());

  const QString title = window.windowTitle();
  EXPECT_TRUE(title.startsWith("   Velmo 1.0  by ")) << title.toStdString();
  EXPECT_TRUE(title.endsWith("     ") && !title.endsWith("      ")) << title.toStdString();
  EXPECT_GT(title.trimmed().size(), QString("Velmo 1.0  by").size());

  auto* picture = window.findChild<QLabel*>("Picture");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->geometry(), QRect(0, 0, 259, 60));
}

TEST_F(Form1Test, ButtonsStandInTwoRowsOfEightColumns) {
  for (int button = 1; button <= kButtonCount; ++button) {
    const int column = (button - 1) / 2;
    const int top = button % 2 == 1 ? 64 : 112;
    QPushButton* widget = window.findChild<QPushButton*>(QString("Command%1").arg(button));
    ASSERT_NE(widget, nullptr) << "Command" << button;
    EXPECT_EQ(widget->geometry(), QRect(8 + 104 * column, top, 97, 25)) << "Command" << button;
  }
}

TEST_F(Form1Test, ButtonsMirrorTheCoreAfterStartUp) {
  for (int button = 1; button <= kButtonCount; ++button) {
    const QPushButton* widget = window.commandButton(button);
    EXPECT_EQ(widget->isEnabled(), button % 2 == 1) << "Command" << button;
    if (button != 14) {
      EXPECT_EQ(widget->text(), captionOf("command" + std::to_string(button))) << button;
    }
  }
}

TEST_F(Form1Test, CaptionsThatDoNotFitShrinkThenAreCut) {
  const QFont normal = window.font();
  const auto shownWidth = [](const QPushButton* button) {
    return QFontMetrics(button->font()).horizontalAdvance(button->text());
  };
  const int room = window.commandButton(1)->width();

  const QPushButton* fits = window.commandButton(1);
  EXPECT_EQ(fits->font(), normal);
  EXPECT_TRUE(fits->toolTip().isEmpty());

  const QPushButton* shrunk = window.commandButton(12);
  EXPECT_EQ(shrunk->text(), "Deaktiver blacklight");
  EXPECT_LT(shrunk->font().pointSizeF(), normal.pointSizeF());
  EXPECT_GE(shrunk->font().pointSizeF(), 7);
  EXPECT_LE(shownWidth(shrunk), room);
  EXPECT_EQ(shrunk->toolTip(), "Deaktiver blacklight");

  const QPushButton* cut = window.commandButton(14);
  EXPECT_TRUE(cut->text().startsWith("Deaktiver")) << cut->text().toStdString();
  EXPECT_TRUE(cut->text().endsWith(QChar(0x2026))) << cut->text().toStdString();
  EXPECT_EQ(cut->font().pointSizeF(), 7);
  EXPECT_LE(shownWidth(cut), room);
  EXPECT_EQ(cut->toolTip(), "Deaktiver lyset i gården bak låven");
}

TEST_F(Form1Test, TabSkipsTheDisabledRowAndEndsOnCommand3) {
  showActive();
  window.commandButton(1)->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), window.commandButton(1));

  for (int expected : {5, 7, 9, 11, 13, 15, 3, 1}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.commandButton(expected))
        << "expected Command" << expected << ", focus on "
        << QApplication::focusWidget()->objectName().toStdString();
  }
}

TEST_F(Form1Test, FullTabOrderWithEveryButtonEnabled) {
  for (int line = 1; line <= kLineCount; ++line) window.commandButton(2 * line)->setEnabled(true);
  showActive();
  window.commandButton(1)->setFocus();
  for (int expected : {2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 3, 1}) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), window.commandButton(expected));
  }
}

TEST_F(Form1Test, ClickingRealButtonsDrivesThePort) {
  showActive();
  QTest::mouseClick(window.commandButton(1), Qt::LeftButton);
  QTest::mouseClick(window.commandButton(9), Qt::LeftButton);
  EXPECT_EQ(port.reg, 17);
  EXPECT_FALSE(window.commandButton(1)->isEnabled());
  EXPECT_TRUE(window.commandButton(2)->isEnabled());

  QTest::mouseClick(window.commandButton(1), Qt::LeftButton);  // disabled now
  QTest::mouseClick(window.commandButton(2), Qt::LeftButton);
  EXPECT_EQ(port.reg, 16);
  EXPECT_EQ(log, (std::vector<std::string>{"in 888 0", "out 888 1", "in 888 1", "out 888 17",
                                           "in 888 17", "out 888 16"}));
  EXPECT_TRUE(window.commandButton(1)->isEnabled());
  EXPECT_FALSE(window.commandButton(2)->isEnabled());
}

TEST_F(Form1Test, SpaceOnTheFocusedButtonClicksIt) {
  showActive();
  window.commandButton(5)->setFocus();
  QTest::keyClick(window.commandButton(5), Qt::Key_Space);
  EXPECT_EQ(port.reg, 4);
}

TEST_F(Form1Test, PortErrorInAClickGoesToTheFatalErrorReport) {
  class FailingReads final : public Port {
   protected:
    void writeByte(int, std::uint8_t) override {}
    std::uint8_t readByte(int) override { throw RunTimeError("cannot read port 888"); }
  } failing;
  SwitchPanel broken(failing, "/opt/velmo", [](auto&&...) { return std::string(); });
  Form1 brokenWindow(broken, area);
  std::vector<std::string> reports;
  qt::setFatalErrorReporter([&](const std::string& text) { reports.push_back(text); });

  brokenWindow.show();
  QTest::mouseClick(brokenWindow.commandButton(1), Qt::LeftButton);
  qt::setFatalErrorReporter({});
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find("cannot read port 888"), std::string::npos);
}

TEST_F(Form1Test, MinimisingHidesTheWindowBehindTheIconWhoseRequestRestoresIt) {
  showActive();
  log.clear();
  window.setWindowState(Qt::WindowMinimized);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(log, (std::vector<std::string>{"icon show"}));

  area.requestRestore();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);
  EXPECT_FALSE(area.shown);
}

TEST_F(Form1Test, ThePointerOverTheWindowNeverTakesTheRestorePath) {
  showActive();
  log.clear();
  for (int y : {30, 100, 140}) {
    for (int x : {514, 515, 516}) QTest::mouseMove(&window, QPoint(x, y));
  }
  EXPECT_TRUE(log.empty()) << log.front();
}

TEST_F(Form1Test, ClosingRemovesTheIcon) {
  showActive();
  window.setWindowState(Qt::WindowMinimized);
  ASSERT_TRUE(area.shown);
  window.close();
  EXPECT_FALSE(area.shown);
}

}  // namespace
}  // namespace velmo::switchpanel
