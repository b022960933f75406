#include <QApplication>
#include <memory>

#include "chaser/form1.h"
#include "chaser/usage.h"
#include "platform/qt/close_on_signals.h"
#include "platform/qt/fatal_error.h"

int main(int argc, char* argv[]) {
  if (auto status = velmo::handleCommandLine(argc, argv, velmo::chaser::kUsage).exitStatus)
    return *status;
  QApplication app(argc, argv);
  std::unique_ptr<velmo::chaser::Form1> form;
  return velmo::qt::runMainWindow([&]() -> QWidget& {
    form = std::make_unique<velmo::chaser::Form1>();
    velmo::qt::closeOnTerminationSignals(*form);
    form->Form_Load();
    return *form;
  });
}
