#include "qt_test.h"

#include "util/exceptions.h"

#include <QApplication>
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
