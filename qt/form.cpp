// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/form.h"

#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPixmap>

namespace velmo::qt {

QRect twipsToPixels(const QRect& twips) {
  return {twipsToPixels(twips.left()), twipsToPixels(twips.top()), twipsToPixels(twips.width()),
          twipsToPixels(twips.height())};
}

Form::Form(QSize clientTwips, const QString& title, const QString& picturePath,
           const QString& iconPath) {
  setWindowTitle(title);
  setWindowIcon(QIcon(iconPath));
  setFixedSize(twipsToPixels(clientTwips.width()), twipsToPixels(clientTwips.height()));

  QPalette background = palette();
  background.setColor(QPalette::Window, Qt::white);
  setPalette(background);
  setAutoFillBackground(true);

  auto* picture = new QLabel(this);
  picture->setObjectName("Picture");
  picture->setPixmap(QPixmap(picturePath));
  picture->move(0, 0);
  picture->adjustSize();
}

QPushButton* Form::addButton(const QString& objectName, const QString& caption,
                             const QRect& twips) {
  auto* button = new QPushButton(caption, this);
  button->setObjectName(objectName);
  button->setGeometry(twipsToPixels(twips));
  // Buttons take focus from Tab and click, as the system's standard buttons do.
  button->setFocusPolicy(Qt::StrongFocus);
  button->setAutoDefault(false);
  return button;
}

}  // namespace velmo::qt
