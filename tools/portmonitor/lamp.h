// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace velmo::portmonitor {

// A round lamp for one data line: lit amber when the line is high.
class Lamp final : public QWidget {
 public:
  explicit Lamp(QWidget* parent = nullptr);

  void setOn(bool on);
  bool isOn() const { return on_; }

  QSize sizeHint() const override { return {32, 32}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool on_ = false;
};

}  // namespace velmo::portmonitor
