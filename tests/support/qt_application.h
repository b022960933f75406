// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <errno.h>  // program_invocation_name

#include <QApplication>

namespace velmo::test {

// The test program's one QApplication, made on the first call (named after
// the program) and never destroyed: Qt Test's input devices outlive the tests
// and must not outlive the application object. Needs Qt6::Widgets.
inline QApplication& application() {
  static int argc = 1;
  static char* argv[] = {program_invocation_name, nullptr};
  static auto* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace velmo::test
