// The notification-area layer: Shell_NotifyIcon on QSystemTrayIcon with the
// tray's presence and kind faked, and the reports that reach the window.
#include "qt/tray_notify_icon.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <utility>
#include <vector>

#include "system/shell_notify_icon.h"
#include "tests/support/qt_application.h"

namespace velmo::qt {
namespace {

using Reports = std::vector<std::pair<std::uint32_t, std::uint32_t>>;  // message, report

// A window that records the reports it receives.
class ReportLog final : public NotifyIconWindow {
 public:
  Reports reports;
  void notifyIconReport(std::uint32_t message, std::uint32_t report) override {
    reports.emplace_back(message, report);
  }
};

class TrayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::application(); }

  NotifyIconData record() {
    NotifyIconData data;
    data.hWnd = &window;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_MOUSEMOVE;
    data.szTip = "Velmo 1.0 by Åse";
    data.menuEntry = "Gjenopprett";
    return data;
  }

  // A shell with a notification area of the given kind, showing icon.
  std::unique_ptr<QtShellNotifyIcon> shellOn(TrayHost host) {
    auto shell = std::make_unique<QtShellNotifyIcon>([] { return true; }, [host] { return host; });
    shell->setIcon(icon);
    return shell;
  }

  ReportLog window;
  QIcon icon{[] {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return pixmap;
  }()};
};

TEST(TrayMessages, EachActivationStandsForItsWindowMessages) {
  using Reason = QSystemTrayIcon::ActivationReason;
  const std::vector<std::tuple<Reason, TrayHost, std::vector<std::uint32_t>>> cases = {
      {QSystemTrayIcon::Trigger, TrayHost::XEmbed, {513, 514}},
      {QSystemTrayIcon::DoubleClick, TrayHost::XEmbed, {515}},
      {QSystemTrayIcon::Context, TrayHost::XEmbed, {516, 517}},
      {QSystemTrayIcon::MiddleClick, TrayHost::XEmbed, {519, 520}},
      {QSystemTrayIcon::Unknown, TrayHost::XEmbed, {}},
      // A StatusNotifierItem host never reports a double-click: Activate is one.
      {QSystemTrayIcon::Trigger, TrayHost::StatusNotifier, {515}},
      {QSystemTrayIcon::Context, TrayHost::StatusNotifier, {516, 517}},
      {QSystemTrayIcon::MiddleClick, TrayHost::StatusNotifier, {519, 520}}};
  for (const auto& [reason, host, messages] : cases) {
    EXPECT_EQ(trayMessagesFor(reason, host), messages)
        << "reason " << reason << (host == TrayHost::StatusNotifier ? " on SNI" : " on XEmbed");
  }
}

TEST_F(TrayTest, WithoutANotificationAreaNothingIsAdded) {
  QtShellNotifyIcon shell([] { return false; }, [] { return TrayHost::XEmbed; });
  EXPECT_FALSE(shell.Shell_NotifyIcon(NIM_ADD, record()));
  EXPECT_EQ(shell.icon(&window, 1), nullptr);
  EXPECT_FALSE(shell.Shell_NotifyIcon(NIM_DELETE, record()));
}

TEST_F(TrayTest, AddShowsOneIconWithTipAndMenuAndReportsItsActivations) {
  auto shell = shellOn(TrayHost::XEmbed);
  const NotifyIconData data = record();
  ASSERT_TRUE(shell->Shell_NotifyIcon(NIM_ADD, data));
  EXPECT_FALSE(shell->Shell_NotifyIcon(NIM_ADD, data));
  EXPECT_FALSE(shell->Shell_NotifyIcon(1, data));  // NIM_MODIFY is not offered

  QSystemTrayIcon* tray = shell->icon(&window, 1);
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->toolTip(), QString("Velmo 1.0 by Åse"));
  EXPECT_EQ(tray->icon().cacheKey(), icon.cacheKey());
  ASSERT_NE(tray->contextMenu(), nullptr);
  const QList<QAction*> entries = tray->contextMenu()->actions();
  ASSERT_EQ(entries.size(), 1);
  EXPECT_EQ(entries[0]->text(), QString("Gjenopprett"));

  emit tray->activated(QSystemTrayIcon::Trigger);
  emit tray->activated(QSystemTrayIcon::DoubleClick);
  emit tray->activated(QSystemTrayIcon::Context);
  entries[0]->trigger();
  EXPECT_EQ(window.reports,
            (Reports{{512, 513}, {512, 514}, {512, 515}, {512, 516}, {512, 517}, {512, 515}}));
}

TEST_F(TrayTest, OnAStatusNotifierHostActivateReportsADoubleClick) {
  auto shell = shellOn(TrayHost::StatusNotifier);
  ASSERT_TRUE(shell->Shell_NotifyIcon(NIM_ADD, record()));
  emit shell->icon(&window, 1)->activated(QSystemTrayIcon::Trigger);
  EXPECT_EQ(window.reports, (Reports{{512, 515}}));
}

TEST_F(TrayTest, DeleteRemovesTheIconEvenFromItsOwnSignals) {
  auto shell = shellOn(TrayHost::XEmbed);
  const NotifyIconData data = record();
  for (bool fromMenu : {false, true}) {
    ASSERT_TRUE(shell->Shell_NotifyIcon(NIM_ADD, data));
    QPointer<QSystemTrayIcon> tray = shell->icon(&window, 1);
    QPointer<QMenu> menu = tray->contextMenu();

    bool removed = false;
    auto remove = [&] { removed = shell->Shell_NotifyIcon(NIM_DELETE, data); };
    if (fromMenu) {
      QObject::connect(menu->actions()[0], &QAction::triggered, remove);
      menu->actions()[0]->trigger();
    } else {
      QObject::connect(tray, &QSystemTrayIcon::activated, remove);
      emit tray->activated(QSystemTrayIcon::DoubleClick);
    }
    EXPECT_TRUE(removed);
    EXPECT_EQ(shell->icon(&window, 1), nullptr);
    EXPECT_FALSE(shell->Shell_NotifyIcon(NIM_DELETE, data));

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(tray.isNull());
    EXPECT_TRUE(menu.isNull());
  }
}

}  // namespace
}  // namespace velmo::qt
