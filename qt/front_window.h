// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace velmo::qt {

// Brings a top-level window to the front in its normal state: shown,
// raised and active (the session bus's Activate).
void bringToFront(QWidget& window);

}  // namespace velmo::qt
