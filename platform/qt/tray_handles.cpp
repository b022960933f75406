#include "platform/qt/tray_handles.h"

#include <QHash>
#include <QPointer>

namespace velmo::qt {
namespace {

struct Handles {
  std::uint32_t next = 1;
  QHash<std::uint32_t, QPointer<QWidget>> windows;
  QHash<std::uint32_t, QIcon> icons;
};

Handles& handles() {
  static Handles table;
  return table;
}

}  // namespace

std::uint32_t handleOfWindow(QWidget* window) {
  Handles& table = handles();
  for (auto it = table.windows.cbegin(); it != table.windows.cend(); ++it) {
    if (it.value() == window) return it.key();
  }
  table.windows.insert(table.next, window);
  return table.next++;
}

QWidget* windowOfHandle(std::uint32_t handle) {
  return handles().windows.value(handle);
}

std::uint32_t handleOfIcon(const QIcon& icon) {
  Handles& table = handles();
  for (auto it = table.icons.cbegin(); it != table.icons.cend(); ++it) {
    if (it.value().cacheKey() == icon.cacheKey()) return it.key();
  }
  table.icons.insert(table.next, icon);
  return table.next++;
}

QIcon iconOfHandle(std::uint32_t handle) {
  return handles().icons.value(handle);
}

}  // namespace velmo::qt
