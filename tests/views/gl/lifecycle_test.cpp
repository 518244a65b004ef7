// The main window's child windows through New, Open, a drop, a unit switch and Exit, on the
// X server of xvfb-run with the 3-D view open as well.
#include "../lifecycle.h"
#include "gl/block.h"
#include "gl_fixture.h"
#include "gl/glwindow.h"

#include <QScreen>

using lifecycle::Scenario;

TEST(ChildLifecycle3D, NewClosesEveryChild)
{
    Scenario s(&RegisterWindows::RegisterBlockView);
    lifecycle::NewClosesEveryChild(s);
}

TEST(ChildLifecycle3D, OpenClosesEveryChild)
{
    Scenario s(&RegisterWindows::RegisterBlockView);
    lifecycle::OpenClosesEveryChild(s);
}

TEST(ChildLifecycle3D, DropClosesEveryChild)
{
    Scenario s(&RegisterWindows::RegisterBlockView);
    lifecycle::DropClosesEveryChild(s);
}

TEST(ChildLifecycle3D, UnitSwitchReopensTheEditors)
{
    Scenario s(&RegisterWindows::RegisterBlockView);
    lifecycle::UnitSwitchReopensTheEditors(s);
}

TEST(ChildLifecycle3D, UnitSwitchKeepsTheWindowLayout)
{
    Scenario s(&RegisterWindows::RegisterBlockView);
    lifecycle::UnitSwitchKeepsTheWindowLayout(s);
}

TEST(ChildLifecycle3D, ExitWithTheSavePrompt)
{
    for (auto answer : {MessageSink::Answer::Yes, MessageSink::Answer::No, MessageSink::Answer::Cancel}) {
        SCOPED_TRACE(int(answer));
        Scenario s(&RegisterWindows::RegisterBlockView);
        lifecycle::ExitWithTheSavePrompt(s, answer);
    }
}

// A 3-D view opened after an earlier one was closed is drawn on the screen (it stayed black):
// read back from the X server, not from the view's own frame buffer.
TEST(ChildLifecycle3D, AViewOpenedAgainIsShown)
{
    Scenario s(&RegisterWindows::RegisterBlockView);
    s.main->OpenFileName(s.Example(QStringLiteral("halfspace-harmonic"), QStringLiteral("first.tmx")));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        s.main->Open3DView();
        auto* view = qobject_cast<TDlgBlock*>(s.main->Child(TChildKind::Block));
        ASSERT_NE(view, nullptr);
        QTest::qWait(300);
        // Above the model: the white background.
        const QPoint sky = view->GL()->mapTo(s.main.get(), QPoint(view->GL()->width() / 2, 10));
        const QImage screen = s.main->screen()->grabWindow(s.main->winId()).toImage();
        EXPECT_EQ(screen.pixelColor(sky * screen.devicePixelRatio()).name().toStdString(), "#ffffff");
        s.main->MdiArea()->activeSubWindow()->close();
        QTest::qWait(100);
        EXPECT_EQ(s.main->Child(TChildKind::Block), nullptr);
    }
}
