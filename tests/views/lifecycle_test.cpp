// The main window's child windows through New, Open, a drop, a unit switch and Exit, on the
// offscreen platform (every kind but the 3-D view; gl/lifecycle_test.cpp adds it under X).
#include "lifecycle.h"

using lifecycle::Scenario;

TEST(ChildLifecycle, NewClosesEveryChild)
{
    Scenario s;
    lifecycle::NewClosesEveryChild(s);
}

TEST(ChildLifecycle, OpenClosesEveryChild)
{
    Scenario s;
    lifecycle::OpenClosesEveryChild(s);
}

TEST(ChildLifecycle, DropClosesEveryChild)
{
    Scenario s;
    lifecycle::DropClosesEveryChild(s);
}

TEST(ChildLifecycle, UnitSwitchReopensTheEditors)
{
    Scenario s;
    lifecycle::UnitSwitchReopensTheEditors(s);
}

TEST(ChildLifecycle, UnitSwitchKeepsTheWindowLayout)
{
    Scenario s;
    lifecycle::UnitSwitchKeepsTheWindowLayout(s);
}

TEST(ChildLifecycle, ExitWithTheSavePrompt)
{
    for (auto answer : {MessageSink::Answer::Yes, MessageSink::Answer::No, MessageSink::Answer::Cancel}) {
        SCOPED_TRACE(int(answer));
        Scenario s;
        lifecycle::ExitWithTheSavePrompt(s, answer);
    }
}
