// Shared set-up of the data-form tests: a project whose ModifiedSet signal is counted, a
// message recorder, and typing into number fields the way a user does.
#pragma once

#include "entry/dataedit.h"
#include "forms/dataform.h"
#include "project.h"
#include "projectbuild.h"
#include "util/messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

class FormTest : public ::testing::Test {
protected:
    FormTest()
    {
        project = std::make_unique<TProject>();
        QObject::connect(project.get(), &TProject::ModifiedSet, [this](bool modified) {
            if (modified) ++modifiedCalls;
        });
    }
    ~FormTest() override
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<TDataForm*>(w)) delete w;
    }

    // Shows the form as a window of its own and waits until it is active (it loads its values).
    template <class F> F* Open(F* form)
    {
        form->show();
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form));
        return form;
    }

    // Types `text` into the field as a user does (the old text replaced).
    static void Type(TDataEdit* edit, const QString& text)
    {
        edit->setFocus(Qt::MouseFocusReason);
        edit->clear();
        QTest::keyClicks(edit, text);
    }
    // Moves the focus to another control of the window (the field validates its entry).
    static void Leave(QWidget* to) { to->setFocus(Qt::TabFocusReason); }
    // Types into the field and leaves it for `next`.
    static void Enter(TDataEdit* edit, const QString& text, QWidget* next)
    {
        Type(edit, text);
        Leave(next);
    }
    static QString LabelText(TDataEdit* edit) { return edit->EditLabel() ? edit->EditLabel()->text() : QString(); }
    // Runs the deletions that closing a window asked for.
    static void Flush() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    TProgramData& Data() { return project->Data(); }
    TProjectTables& Tables() { return project->Tables(); }

    int modifiedCalls = 0;
    std::unique_ptr<TProject> project;
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
};
