// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/front_window.h"

#include <QWidget>

namespace velmo::qt {

void bringToFront(QWidget& window) {
  if (window.isMinimized()) {
    window.showNormal();
  } else {
    window.show();
  }
  window.raise();
  window.activateWindow();
}

}  // namespace velmo::qt
