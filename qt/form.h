// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

namespace velmo::qt {

// Window designs give sizes in twips: 15 twips are one pixel at 96 dpi.
constexpr int twipsToPixels(int twips) {
  return twips / 15;
}
QRect twipsToPixels(const QRect& twips);

// A fixed-size top-level window: white client area of the designed size,
// a picture at the top-left, an icon, and push buttons placed in twips.
class Form : public QWidget {
 public:
  Form(QSize clientTwips, const QString& title, const QString& picturePath,
       const QString& iconPath);

  // Adds a standard push button at a design position in twips.
  QPushButton* addButton(const QString& objectName, const QString& caption, const QRect& twips);
};

}  // namespace velmo::qt
