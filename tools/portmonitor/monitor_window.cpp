// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/portmonitor/monitor_window.h"

#include <QFont>
#include <QFormLayout>
#include <QGridLayout>
#include <QVBoxLayout>
#include <exception>

#include "tools/portmonitor/byte_format.h"

namespace velmo::portmonitor {
namespace {

QLabel* valueLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setFont(QFont("monospace"));
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

MonitorWindow::MonitorWindow(port::RegisterWatcher& watcher, QWidget* parent)
    : QWidget(parent),
      watcher_(watcher),
      notifier_(watcher.descriptor(), QSocketNotifier::Read),
      decimal_(valueLabel(this)),
      hex_(valueLabel(this)),
      binary_(valueLabel(this)),
      status_(new QLabel(this)) {
  setWindowTitle("Port monitor");

  auto* lines = new QGridLayout;
  for (int line = 1; line <= kLineCount; ++line) {
    lamps_[line - 1] = new Lamp(this);
    lines->addWidget(lamps_[line - 1], 0, line - 1, Qt::AlignHCenter);
    lines->addWidget(new QLabel(QString::number(line), this), 1, line - 1, Qt::AlignHCenter);
  }
  auto* values = new QFormLayout;
  values->addRow("Decimal", decimal_);
  values->addRow("Hex", hex_);
  values->addRow("Binary", binary_);
  status_->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lines);
  layout->addLayout(values);
  layout->addWidget(status_);

  QObject::connect(&notifier_, &QSocketNotifier::activated, this,
                   [this] { registerMayHaveChanged(); });
  showWhatIsFollowed();
  showByte(watcher.byte());
}

void MonitorWindow::showWhatIsFollowed() {
  if (!watcher_.following()) {
    status_->setText(QString::fromStdString(watcher_.lossReason()));
    return;
  }
  const QString followed = "Register: " + QString::fromStdString(watcher_.path());
  status_->setText(watcher_.outputAway().empty()
                       ? followed
                       : followed +
                             "\nOutput away: " + QString::fromStdString(watcher_.outputAway()));
}

void MonitorWindow::registerMayHaveChanged() {
  try {
    if (const auto byte = watcher_.update()) showByte(*byte);
    showWhatIsFollowed();
  } catch (const std::exception& error) {
    status_->setText(QString::fromUtf8(error.what()));
  }
}

void MonitorWindow::showByte(std::uint8_t byte) {
  for (int line = 1; line <= kLineCount; ++line) lamps_[line - 1]->setOn(lineIsOn(byte, line));
  decimal_->setText(QString::number(byte));
  hex_->setText(QString::fromStdString(hexText(byte)));
  binary_->setText(QString::fromStdString(binaryText(byte)));
}

}  // namespace velmo::portmonitor
