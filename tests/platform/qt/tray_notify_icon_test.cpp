// The notification-area layer: the record's single-byte form, the handles,
// and Shell_NotifyIcon on QSystemTrayIcon with the tray's presence faked.
#include "platform/qt/tray_notify_icon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>
#include <memory>
#include <vector>

#include "platform/qt/tray_handles.h"
#include "platform/shell_notify_icon.h"
#include "tests/support/qt_application.h"

namespace velmo::qt {
namespace {

// A window that records the mouse moves it receives.
class MouseLog : public QWidget {
 public:
  MouseLog() { setMouseTracking(true); }
  std::vector<QPointF> moves;

 protected:
  void mouseMoveEvent(QMouseEvent* event) override { moves.push_back(event->position()); }
};

class TrayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::application(); }

  NotifyIconData record() {
    NotifyIconData data;
    data.cbSize = NotifyIconData::kVersion1Size;
    data.hWnd = handleOfWindow(&window);
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_MOUSEMOVE;
    data.hIcon = handleOfIcon(icon);
    data.szTip = tipField(U"Velmo 1.0 by Åse");
    return data;
  }

  std::vector<float> movesX() const {
    std::vector<float> xs;
    for (const QPointF& at : window.moves) xs.push_back(static_cast<float>(at.x()));
    return xs;
  }

  MouseLog window;
  QIcon icon{[] {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return pixmap;
  }()};
};

TEST(NotifyIconRecord, TipIsCutTo63CharactersThenNulThenSpaces) {
  const std::u32string longText(70, U'x');
  const std::u32string field = tipField(longText);
  ASSERT_EQ(field.size(), 64u);
  EXPECT_EQ(field.substr(0, 63), longText.substr(0, 63));
  EXPECT_EQ(field[63], U'\0');

  const std::u32string shortField = tipField(U"ab");
  EXPECT_EQ(shortField, U"ab" + std::u32string(1, U'\0') + std::u32string(61, U' '));
}

TEST(NotifyIconRecord, TipBytesAreWindows1252) {
  NotifyIconData data;
  data.szTip = tipField(U"Åse Ødegård € Ω");
  const auto bytes = version1Bytes(data);
  const std::vector<std::uint8_t> tip(bytes.begin() + 24, bytes.begin() + 40);
  EXPECT_EQ(tip, (std::vector<std::uint8_t>{0xC5, 's', 'e', ' ', 0xD8, 'd', 'e', 'g', 0xE5, 'r',
                                            'd', ' ', 0x80, ' ', '?', 0}));
  EXPECT_EQ(bytes[40], ' ');
  EXPECT_EQ(bytes[87], ' ');
  EXPECT_EQ(tipText(data), "Åse Ødegård € ?");
}

TEST(NotifyIconRecord, FieldsAreLittleEndianInOrder) {
  NotifyIconData data;
  data.cbSize = 0x04030201;
  data.hWnd = 0x08070605;
  data.uID = 0x0C0B0A09;
  data.uFlags = 0x100F0E0D;
  data.uCallbackMessage = 0x14131211;
  data.hIcon = 0x18171615;
  const auto bytes = version1Bytes(data);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(bytes[i], i + 1) << "byte " << i;
}

TEST(TrayMessages, EachActivationStandsForItsWindowMessages) {
  using Reason = QSystemTrayIcon::ActivationReason;
  const std::vector<std::pair<Reason, std::vector<std::uint32_t>>> cases = {
      {QSystemTrayIcon::Trigger, {513, 514}},
      {QSystemTrayIcon::DoubleClick, {515}},
      {QSystemTrayIcon::Context, {516, 517}},
      {QSystemTrayIcon::MiddleClick, {519, 520}},
      {QSystemTrayIcon::Unknown, {}}};
  for (const auto& [reason, messages] : cases) EXPECT_EQ(trayMessagesFor(reason), messages);
}

TEST_F(TrayTest, HandlesNameTheirWindowAndIcon) {
  const std::uint32_t windowHandle = handleOfWindow(&window);
  EXPECT_NE(windowHandle, 0u);
  EXPECT_EQ(handleOfWindow(&window), windowHandle);
  EXPECT_EQ(windowOfHandle(windowHandle), &window);

  const std::uint32_t iconHandle = handleOfIcon(icon);
  EXPECT_NE(iconHandle, windowHandle);
  EXPECT_EQ(handleOfIcon(QIcon(icon)), iconHandle);
  EXPECT_EQ(iconOfHandle(iconHandle).cacheKey(), icon.cacheKey());

  std::uint32_t goneHandle = 0;
  {
    QWidget gone;
    goneHandle = handleOfWindow(&gone);
    EXPECT_NE(goneHandle, windowHandle);
  }
  EXPECT_EQ(windowOfHandle(goneHandle), nullptr);
  EXPECT_EQ(windowOfHandle(0), nullptr);
  EXPECT_TRUE(iconOfHandle(0).isNull());
}

TEST_F(TrayTest, ReportsArriveAsMouseMovesAtXOfTheMessage) {
  deliverTrayReport(&window, WM_MOUSEMOVE, WM_LBUTTONDBLCLK);
  deliverTrayReport(&window, WM_LBUTTONDOWN, WM_LBUTTONDBLCLK);  // not a mouse-move callback
  deliverTrayReport(nullptr, WM_MOUSEMOVE, WM_LBUTTONDBLCLK);
  ASSERT_EQ(window.moves.size(), 1u);
  EXPECT_EQ(window.moves[0], QPointF(515, 0));
}

TEST_F(TrayTest, WithoutANotificationAreaNothingIsAdded) {
  QtShellNotifyIcon shell([] { return false; });
  EXPECT_FALSE(shell.Shell_NotifyIcon(NIM_ADD, record()));
  EXPECT_EQ(shell.icon(record().hWnd, 1), nullptr);
  EXPECT_FALSE(shell.Shell_NotifyIcon(NIM_DELETE, record()));
}

TEST_F(TrayTest, AddShowsOneIconWithTipAndReportsItsActivations) {
  QtShellNotifyIcon shell([] { return true; });
  const NotifyIconData data = record();
  ASSERT_TRUE(shell.Shell_NotifyIcon(NIM_ADD, data));
  EXPECT_FALSE(shell.Shell_NotifyIcon(NIM_ADD, data));
  EXPECT_FALSE(shell.Shell_NotifyIcon(NIM_MODIFY, data));

  QSystemTrayIcon* tray = shell.icon(data.hWnd, 1);
  ASSERT_NE(tray, nullptr);
  EXPECT_EQ(tray->toolTip(), QString("Velmo 1.0 by Åse"));
  EXPECT_EQ(tray->icon().cacheKey(), icon.cacheKey());

  emit tray->activated(QSystemTrayIcon::Trigger);
  emit tray->activated(QSystemTrayIcon::DoubleClick);
  emit tray->activated(QSystemTrayIcon::Context);
  EXPECT_EQ(movesX(), (std::vector<float>{513, 514, 515, 516, 517}));
}

TEST_F(TrayTest, DeleteRemovesTheIconEvenFromItsOwnSignal) {
  QtShellNotifyIcon shell([] { return true; });
  const NotifyIconData data = record();
  ASSERT_TRUE(shell.Shell_NotifyIcon(NIM_ADD, data));
  QPointer<QSystemTrayIcon> tray = shell.icon(data.hWnd, 1);

  bool removed = false;
  QObject::connect(tray, &QSystemTrayIcon::activated,
                   [&] { removed = shell.Shell_NotifyIcon(NIM_DELETE, data); });
  emit tray->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(removed);
  EXPECT_EQ(shell.icon(data.hWnd, 1), nullptr);
  EXPECT_FALSE(shell.Shell_NotifyIcon(NIM_DELETE, data));

  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(tray.isNull());
  EXPECT_TRUE(shell.Shell_NotifyIcon(NIM_ADD, data));  // a new icon after removal
}

}  // namespace
}  // namespace velmo::qt
