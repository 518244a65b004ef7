// The 3-D view in the main window: made by its registered maker, driven by the tool bar and
// the "Show 3D View" menu, and closing hides them again.
#include "gl/block.h"

#include "gl_fixture.h"
#include "mainform.h"
#include "qt_test.h"
#include "registerwindows.h"
#include "util/messages.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

TEST(BlockInMainWindow, ToolBarMenuAndClose)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    TestSupport::IsolateSettings(work.filePath(QStringLiteral("settings")));
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);

    TMainForm main;
    RegisterWindows::RegisterBlockView(main);
    main.resize(1100, 800);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.Project().Open(QStringLiteral(TREMEX_SOURCE_DIR "/examples/pile-group-random.tmx"));

    main.Open3DView();
    ASSERT_NE(main.MdiArea()->activeSubWindow(), nullptr);
    QPointer<TDlgBlock> view = qobject_cast<TDlgBlock*>(main.MdiArea()->activeSubWindow()->widget());
    ASSERT_TRUE(view);
    EXPECT_FALSE(main.BlockToolBar()->isHidden());
    QTest::qWait(100);
    // The cap 0.15 x 5 on the ground, the piles 4 sections of 4 below it.
    EXPECT_NEAR(double(view->ModelReach), 0.75 + 16, 1e-12);

    auto trigger = [&](const char* name) {
        QAction* a = main.findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    };
    trigger("ToolView4");
    EXPECT_EQ(view->ViewRotation, (std::array<long double, 3>{22.5L, 0, 45}));
    trigger("ToolReverse");
    EXPECT_EQ(view->ViewRotation[2], 225);
    trigger("ToolZoomIn");
    EXPECT_EQ(view->ViewZoom, 1.4142L);
    trigger("ToolZoomWindow");
    EXPECT_EQ(view->MouseMode, 4);
    EXPECT_TRUE(view->ZoomWindowArmed);
    trigger("ToolRotate");
    EXPECT_EQ(view->MouseMode, 3);
    EXPECT_FALSE(view->ZoomWindowArmed);
    trigger("ShowPiles");
    EXPECT_FALSE(view->PilesVisible());
    trigger("ShowPiles");
    trigger("ShowPileNumbers");
    EXPECT_TRUE(view->PileNumbersVisible());
    QTest::qWait(100);
    main.grab().save(QStringLiteral(TEST_TMP_DIR) + QStringLiteral("/shots/main-window-3d.png"));

    // Closing the view's frame frees it and hides the tool bar.
    main.MdiArea()->activeSubWindow()->close();
    for (int i = 0; i < 5 && view; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QTest::qWait(20);
    }
    EXPECT_TRUE(view.isNull());
    EXPECT_TRUE(main.BlockToolBar()->isHidden());
    EXPECT_TRUE(main.MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
}

// The 3-D view opens wholly inside the frame of the smallest supported size, beside the windows
// already open and below its own tool bar.
TEST(BlockInMainWindow, OpensInsideTheFrameAt1024x768)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    TestSupport::IsolateSettings(work.filePath(QStringLiteral("settings")));
    MessageRecorder recorder;
    ScopedMessageSink sink(&recorder);

    TMainForm main;
    RegisterWindows::RegisterAll(main);
    main.resize(1024, 768);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.Project().Open(QStringLiteral(TREMEX_SOURCE_DIR "/examples/pile-group-random.tmx"));
    for (TChildKind kind : {TChildKind::Title, TChildKind::Tipsoil, TChildKind::TopView, TChildKind::SideViewYZ})
        main.ShowChild(kind);
    main.Open3DView();
    QTest::qWait(100);
    QMdiSubWindow* sub = main.MdiArea()->activeSubWindow();
    ASSERT_NE(sub, nullptr);
    ASSERT_NE(qobject_cast<TDlgBlock*>(sub->widget()), nullptr);
    const QRect area = main.MdiArea()->viewport()->rect();
    EXPECT_TRUE(area.contains(sub->geometry()))
        << sub->x() << "," << sub->y() << " " << sub->width() << "x" << sub->height() << " in " << area.width() << "x"
        << area.height();
    EXPECT_EQ(recorder.Count(), 0) << recorder.LastText().toStdString();
}
