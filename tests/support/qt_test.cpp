#include "qt_test.h"

#include "util/exceptions.h"

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <clocale>

namespace TestSupport {

int RunQtTests(int argc, char** argv, const std::function<void()>& beforeApplication,
               const std::function<void()>& afterApplication)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (beforeApplication) beforeApplication();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (afterApplication) afterApplication();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

void EnsureApplication(const char* name)
{
    if (qApp) return;
    static int argc = 1;
    static std::string program;
    program = name;
    static char* argv[] = {program.data(), nullptr};
    new QApplication(argc, argv);
}

void IsolateSettings(const QString& folder)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.message().toStdString();
    }
    return "(no exception)";
}

}  // namespace TestSupport
