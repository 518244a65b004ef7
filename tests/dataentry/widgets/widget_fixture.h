// Shared set-up of the widget tests: a shown, active window and a message recorder.
#pragma once

#include "util/messages.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

class WidgetTest : public ::testing::Test {
protected:
    // Shows the window and waits until it is active, so that focus changes send their events.
    static void ShowActive(QWidget& window)
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
};
