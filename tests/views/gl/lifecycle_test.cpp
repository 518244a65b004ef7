// The main window's child windows through New, Open, a drop, a unit switch and Exit, on the
// X server of xvfb-run with the 3-D view open as well.
#include "../lifecycle.h"
#include "gl/block.h"
#include "gl_fixture.h"

using lifecycle::Scenario;

TEST(ChildLifecycle3D, NewClosesEveryChild)
{
    Scenario s(&TDlgBlock::Register);
    lifecycle::NewClosesEveryChild(s);
}

TEST(ChildLifecycle3D, OpenClosesEveryChild)
{
    Scenario s(&TDlgBlock::Register);
    lifecycle::OpenClosesEveryChild(s);
}

TEST(ChildLifecycle3D, DropClosesEveryChild)
{
    Scenario s(&TDlgBlock::Register);
    lifecycle::DropClosesEveryChild(s);
}

TEST(ChildLifecycle3D, UnitSwitchReopensTheEditors)
{
    Scenario s(&TDlgBlock::Register);
    lifecycle::UnitSwitchReopensTheEditors(s);
}

TEST(ChildLifecycle3D, ExitWithTheSavePrompt)
{
    for (auto answer : {MessageSink::Answer::Yes, MessageSink::Answer::No, MessageSink::Answer::Cancel}) {
        SCOPED_TRACE(int(answer));
        Scenario s(&TDlgBlock::Register);
        lifecycle::ExitWithTheSavePrompt(s, answer);
    }
}
