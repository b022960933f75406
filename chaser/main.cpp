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
  // A failing start-up is reported and ends the program before the window shows.
  const bool loaded = velmo::qt::runGuarded([&] {
    form = std::make_unique<velmo::chaser::Form1>();
    velmo::qt::closeOnTerminationSignals(*form);
    form->Form_Load();
  });
  if (!loaded) return 1;
  form->show();
  return app.exec();
}
