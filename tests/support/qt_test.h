// Helpers shared by the tests of the main program: the run of a Qt test program and the message
// of a raised exception.
#pragma once

#include <QString>

#include <functional>
#include <string>

namespace TestSupport {

// Runs the GoogleTest tests of a program with windows: one QApplication on the offscreen
// platform unless QT_QPA_PLATFORM names another (the 3-D tests run with xcb under a virtual X
// server), numbers in the C locale. `beforeApplication` runs before the application is made
// (what the program does first), `afterApplication` after it.
int RunQtTests(int argc, char** argv, const std::function<void()>& beforeApplication = {},
               const std::function<void()>& afterApplication = {});

// A QApplication named `name` for fixtures of programs whose main() makes none (GoogleTest's own
// main); nothing when there is one already.
void EnsureApplication(const char* name);

// The settings of one test: standard paths in test mode, the user's settings (native and ini
// format) in `folder`, so that no test reads or writes the user's own.
void IsolateSettings(const QString& folder);

// The message of the `Exception` that `action` raises; "(no exception)" when it raises none.
std::string MessageOf(const std::function<void()>& action);

}  // namespace TestSupport
