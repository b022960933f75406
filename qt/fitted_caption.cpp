// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt/fitted_caption.h"

#include <QFontMetrics>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace velmo::qt {
namespace {

// The width of the area the button's style draws its caption in; a wider
// caption is clipped.
int captionWidth(const QPushButton& button) {
  QStyleOptionButton option;
  option.initFrom(&button);
  if (button.autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
  return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
}

int textWidth(const QFont& font, const QString& caption) {
  return QFontMetrics(font).size(Qt::TextShowMnemonic, caption).width();
}

}  // namespace

void setFittedCaption(QPushButton& button, const QString& caption) {
  button.setFont(QFont());  // back to the inherited font
  const QFont inherited = button.font();
  const int width = captionWidth(button);
  QFont font = inherited;
  for (double size = font.pointSizeF() - 0.5;
       size >= kSmallestCaptionPointSize && textWidth(font, caption) > width; size -= 0.5) {
    font.setPointSizeF(size);
  }
  const QString shown =
      textWidth(font, caption) <= width
          ? caption
          : QFontMetrics(font).elidedText(caption, Qt::ElideRight, width, Qt::TextShowMnemonic);
  if (font != inherited) button.setFont(font);
  button.setText(shown);
  button.setToolTip(font == inherited && shown == caption ? QString() : caption);
}

}  // namespace velmo::qt
