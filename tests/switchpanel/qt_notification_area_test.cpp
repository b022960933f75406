// SPDX-License-Identifier: GPL-3.0-or-later
// The notification area on QSystemTrayIcon, with the area's presence and
// kind faked: what the icon shows and which activations ask for the window.
#include "switchpanel/qt_notification_area.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <memory>
#include <tuple>
#include <vector>

#include "tests/support/qt_application.h"

namespace velmo::switchpanel {
namespace {

using qt::TrayHost;

class QtTrayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::application(); }

  // An area of the given kind showing the icon; restore requests count.
  QtNotificationArea& showOn(TrayHost host) {
    area = std::make_unique<QtNotificationArea>([] { return true; }, [host] { return host; });
    area->setPicture(picture);
    EXPECT_TRUE(area->showIcon({"Velmo 1.0 by Åse", "Gjenopprett"}, [this] { ++restores; }));
    return *area;
  }

  std::unique_ptr<QtNotificationArea> area;
  int restores = 0;
  QIcon picture{[] {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return pixmap;
  }()};
};

TEST_F(QtTrayTest, EachKindOfAreaRestoresOnItsOwnActivation) {
  using Reason = QSystemTrayIcon::ActivationReason;
  const std::vector<std::tuple<TrayHost, Reason, bool>> cases = {
      {TrayHost::XEmbed, QSystemTrayIcon::Trigger, false},
      {TrayHost::XEmbed, QSystemTrayIcon::DoubleClick, true},
      {TrayHost::XEmbed, QSystemTrayIcon::Context, false},
      {TrayHost::XEmbed, QSystemTrayIcon::MiddleClick, false},
      {TrayHost::XEmbed, QSystemTrayIcon::Unknown, false},
      // A StatusNotifierItem host never reports a double-click: Activate asks.
      {TrayHost::StatusNotifier, QSystemTrayIcon::Trigger, true},
      {TrayHost::StatusNotifier, QSystemTrayIcon::Context, false},
      {TrayHost::StatusNotifier, QSystemTrayIcon::MiddleClick, false}};
  for (const auto& [host, reason, restoring] : cases) {
    restores = 0;
    emit showOn(host).shownIcon()->activated(reason);
    EXPECT_EQ(restores, restoring ? 1 : 0)
        << "reason " << reason << (host == TrayHost::StatusNotifier ? " on SNI" : " on XEmbed");
  }
}

TEST_F(QtTrayTest, WithoutANotificationAreaNothingIsShown) {
  QtNotificationArea none([] { return false; }, [] { return TrayHost::XEmbed; });
  EXPECT_FALSE(none.showIcon({"tip", "entry"}, [] {}));
  EXPECT_EQ(none.shownIcon(), nullptr);
}

TEST_F(QtTrayTest, IconShowsPictureTipAndAMenuEntryThatRestores) {
  QSystemTrayIcon* tray = showOn(TrayHost::XEmbed).shownIcon();
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->toolTip(), QString("Velmo 1.0 by Åse"));
  EXPECT_EQ(tray->icon().cacheKey(), picture.cacheKey());
  ASSERT_NE(tray->contextMenu(), nullptr);
  const QList<QAction*> entries = tray->contextMenu()->actions();
  ASSERT_EQ(entries.size(), 1);
  EXPECT_EQ(entries[0]->text(), QString("Gjenopprett"));
  entries[0]->trigger();
  EXPECT_EQ(restores, 1);
}

TEST_F(QtTrayTest, RemovingTheIconFromItsOwnRequestDeletesItLater) {
  for (bool fromMenu : {false, true}) {
    area =
        std::make_unique<QtNotificationArea>([] { return true; }, [] { return TrayHost::XEmbed; });
    ASSERT_TRUE(area->showIcon({"tip", "entry"}, [this] { area->removeIcon(); }));
    QPointer<QSystemTrayIcon> tray = area->shownIcon();
    QPointer<QMenu> menu = tray->contextMenu();
    if (fromMenu) {
      menu->actions()[0]->trigger();
    } else {
      emit tray->activated(QSystemTrayIcon::DoubleClick);
    }
    EXPECT_EQ(area->shownIcon(), nullptr);
    EXPECT_NO_THROW(area->removeIcon());

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tray.isNull());
    EXPECT_TRUE(menu.isNull());
  }
}

}  // namespace
}  // namespace velmo::switchpanel
