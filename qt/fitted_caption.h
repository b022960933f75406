// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QPushButton;

namespace velmo::qt {

// The smallest point size a caption is shrunk to before it is cut.
inline constexpr double kSmallestCaptionPointSize = 7;

// Shows caption on button without changing the button's size: in the font
// the button inherits when the caption fits there, else in the largest
// smaller size (half-point steps, down to kSmallestCaptionPointSize) at which
// it fits, else in that smallest size cut at the end with "…". A caption fits
// when it is no wider than the area the style draws captions in. A caption
// not shown in the inherited font is also the button's tooltip; otherwise the
// tooltip is empty.
void setFittedCaption(QPushButton& button, const QString& caption);

}  // namespace velmo::qt
