// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/portmonitor/lamp.h"

#include <QPainter>

namespace velmo::portmonitor {

Lamp::Lamp(QWidget* parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setOn(bool on) {
  if (on == on_) return;
  on_ = on;
  update();
}

void Lamp::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(QColor(60, 60, 60), 2));
  painter.setBrush(on_ ? QColor(255, 176, 0) : QColor(70, 50, 30));
  painter.drawEllipse(rect().adjusted(2, 2, -2, -2));
}

}  // namespace velmo::portmonitor
