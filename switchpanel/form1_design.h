// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include "switchpanel/button_roles.h"

namespace velmo::switchpanel {

// The panel window as designed, sizes and positions in twips (15 per pixel).
namespace form1_design {

inline constexpr const char* kTitle = "   Velmo 1.0  by the Velmo team     ";
inline constexpr int kClientWidth = 12615;
inline constexpr int kClientHeight = 2175;

inline constexpr int kButtonWidth = 1455;
inline constexpr int kButtonHeight = 375;
inline constexpr int kActivateRowTop = 960;
inline constexpr int kDeactivateRowTop = 1680;
inline constexpr int kFirstColumnLeft = 120;
inline constexpr int kColumnPitch = 1560;

// Column k (1..8) holds the pair of line k; activate buttons in the top row.
constexpr int buttonLeft(int button) {
  return kFirstColumnLeft + kColumnPitch * (lineOfButton(button) - 1);
}
constexpr int buttonTop(int button) {
  return isActivateButton(button) ? kActivateRowTop : kDeactivateRowTop;
}

// Focus order of the Tab key: Command1, Command2, Command4 ... Command16,
// and Command3 last.
inline constexpr std::array<int, kButtonCount> kTabOrder = {1,  2,  4,  5,  6,  7,  8,  9,
                                                            10, 11, 12, 13, 14, 15, 16, 3};

}  // namespace form1_design
}  // namespace velmo::switchpanel
