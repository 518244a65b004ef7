// The child windows of the main window as a desktop user meets them: every new child opens
// wholly inside the visible area of the frame, the keys of the desktop close and cycle them,
// and Arrange Icons lines the minimized ones up along the bottom.
#include "mainform_fixture.h"

#include "entry/dataedit.h"
#include "registerwindows.h"
#include "projecttables.h"
#include "table/table.h"
#include "table/tableform.h"

#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

#include <vector>

namespace {

class MainFormChildWindows : public MainFormTest {
protected:
    // The main window of the smallest supported size, shown and active, with every window
    // kind registered and a pile project open (its tables and views have something to show).
    TMainForm& Start(const QString& example = QStringLiteral("pile-group-random"))
    {
        TMainForm& m = Make();
        RegisterWindows::RegisterForms(m);
        RegisterWindows::RegisterViews(m);
        // The 3-D view needs a GL context (tests/views/gl has it); here a stand-in of its size.
        m.RegisterChild(TChildKind::Block, [](TChildHost&) -> QWidget* {
            auto* view = new QWidget;
            view->setWindowTitle(QStringLiteral("3D View"));
            view->resize(739, 509);
            return view;
        });
        m.resize(1024, 768);
        m.show();
        m.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&m));
        m.OpenFileName(CopyExample(example, example + QStringLiteral(".tmx")));
        QApplication::processEvents();
        return m;
    }

    // Lets the windows lay themselves out (layouts and deferred placements are posted events).
    static void Settle()
    {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
            QTest::qWait(5);
        }
    }

    // The frame's visible area in the coordinates of its sub-windows.
    static QRect Area(const TMainForm& m) { return m.MdiArea()->viewport()->rect(); }

    static std::vector<QMdiSubWindow*> Children(const TMainForm& m)
    {
        std::vector<QMdiSubWindow*> list;
        for (QMdiSubWindow* sub : m.MdiArea()->subWindowList(QMdiArea::CreationOrder))
            if (!sub->isHidden()) list.push_back(sub);
        return list;
    }
};

// Every kind of child, opened one after the other as a user piles them up: each new one lies
// wholly inside the area (moved there, and shrunk only when larger than the area).
TEST_F(MainFormChildWindows, EveryNewChildOpensWhollyInsideTheFrameAt1024x768)
{
    TMainForm& m = Start();
    const QRect area = Area(m);
    ASSERT_GT(area.width(), 900);
    ASSERT_GT(area.height(), 550);

    auto check = [&](const QString& what) {
        Settle();
        QMdiSubWindow* sub = m.MdiArea()->activeSubWindow();
        ASSERT_NE(sub, nullptr) << what.toStdString();
        EXPECT_TRUE(area.contains(sub->geometry()))
            << what.toStdString() << ": " << sub->geometry().x() << "," << sub->geometry().y() << " "
            << sub->geometry().width() << "x" << sub->geometry().height() << " in " << area.width() << "x"
            << area.height();
    };
    std::vector<std::pair<QString, std::function<void()>>> opens;
    for (auto [kind, name] : {std::pair{TChildKind::Title, "title form"},
                              std::pair{TChildKind::Options, "control options dialog"},
                              std::pair{TChildKind::Layout, "foundation options"},
                              std::pair{TChildKind::Shape, "shape form"},
                              std::pair{TChildKind::NCPileProperties, "pile cap form"},
                              std::pair{TChildKind::CPileProperties, "pile properties"},
                              std::pair{TChildKind::Massdata, "mass data"},
                              std::pair{TChildKind::Tipsoil, "soil below"},
                              std::pair{TChildKind::Random, "random loading"},
                              std::pair{TChildKind::TopView, "top view"},
                              std::pair{TChildKind::SideViewXZ, "XZ view"},
                              std::pair{TChildKind::SideViewYZ, "YZ view"}})
        opens.emplace_back(QString::fromLatin1(name), [&m, kind = kind] { m.ShowChild(kind); });
    TProjectTables& t = m.Tables();
    for (auto [table, name] : {std::pair{t.Pilecoord, "pile coordinates"}, std::pair{t.PileData, "pile elements"},
                               std::pair{t.D, "soil layers"}, std::pair{t.pilecapsoil, "side soil"},
                               std::pair{t.MassCal, "mass components"}, std::pair{t.Trandom, "spectra"},
                               std::pair{t.MultiElement, "foundation layers"}})
        opens.emplace_back(QString::fromLatin1(name), [table = table] { table->ShowEditor(); });
    opens.emplace_back(QStringLiteral("plot window"), [&m] {
        TGraphPlot* plot = m.Plot(QStringLiteral("pltRealKXX"));
        plot->SetLineCount(1);
        plot->SetPointCount(3);
        for (int j = 0; j < 3; ++j) {
            plot->Points(0, j)->X = j;
            plot->Points(0, j)->Y = 1 + j;
        }
        plot->ShowPlot();
    });
    opens.emplace_back(QStringLiteral("3-D view"), [&m] { m.Open3DView(); });
    for (const auto& [name, open] : opens) {
        open();
        check(name);
    }
    // A child larger than the area is shrunk to it.
    QMdiSubWindow* big = m.MdiArea()->addSubWindow(new QWidget);
    big->resize(area.width() + 300, area.height() + 200);
    big->show();
    check(QStringLiteral("oversized child"));
    EXPECT_EQ(big->width(), area.width()) << "shrunk to the area";
}

// A child that opens while the children are maximized lies inside the area when it is first
// restored to its normal size.
TEST_F(MainFormChildWindows, AChildOpenedMaximizedIsInsideTheAreaWhenRestored)
{
    TMainForm& m = Start();
    m.ShowChild(TChildKind::Title);
    Settle();
    m.MdiArea()->activeSubWindow()->showMaximized();
    Settle();
    // Opened maximized, as the children are.
    m.ShowChild(TChildKind::CPileProperties);
    m.ShowChild(TChildKind::TopView);
    m.ShowChild(TChildKind::SideViewYZ);
    m.Tables().PileData->ShowEditor();
    Settle();
    const QRect area = Area(m);
    for (QMdiSubWindow* sub : Children(m)) {
        sub->showNormal();
        Settle();
        EXPECT_TRUE(area.contains(sub->geometry()))
            << sub->windowTitle().toStdString() << ": " << sub->x() << "," << sub->y() << " " << sub->width() << "x"
            << sub->height() << " in " << area.width() << "x" << area.height();
    }
}

// Closing a maximized child maximizes the one that becomes active: a table editor among them
// fills the area then, as every maximized child does, and does not leave the others showing
// around its normal size.
TEST_F(MainFormChildWindows, TheChildMaximizedByAnotherOnesCloseFillsTheArea)
{
    TMainForm& m = Start(QStringLiteral("single-pile-harmonic"));
    m.Tables().D->ShowEditor();
    m.ShowChild(TChildKind::CPileProperties);
    Settle();
    m.Tables().D->ShowEditor();  // the soil table active again, in front
    Settle();
    m.Open3DView();
    Settle();
    m.MdiArea()->activeSubWindow()->showMaximized();
    Settle();
    Press(Qt::Key_F4, Qt::ControlModifier);
    Settle();
    QMdiSubWindow* sub = m.MdiArea()->activeSubWindow();
    ASSERT_NE(sub, nullptr);
    ASSERT_TRUE(sub->isMaximized()) << sub->windowTitle().toStdString();
    EXPECT_EQ(sub->geometry(), Area(m)) << sub->windowTitle().toStdString() << ": " << sub->width() << "x"
                                        << sub->height() << " in " << Area(m).width() << "x" << Area(m).height();
}

// Ctrl+F4 closes the active child, Ctrl+Tab and Ctrl+F6 go to the next one (Shift: the
// previous one); the Window menu closes the active child too.
TEST_F(MainFormChildWindows, TheDesktopKeysCloseAndCycleTheChildren)
{
    TMainForm& m = Start();
    m.ShowChild(TChildKind::Title);
    m.ShowChild(TChildKind::Shape);
    m.Tables().Pilecoord->ShowEditor();
    Settle();
    std::vector<QMdiSubWindow*> children = Children(m);
    ASSERT_EQ(children.size(), 3u);
    ASSERT_EQ(m.MdiArea()->activeSubWindow(), children[2]);

    Press(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(m.MdiArea()->activeSubWindow(), children[0]) << "Ctrl+Tab: the next child";
    Press(Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(m.MdiArea()->activeSubWindow(), children[1]) << "Ctrl+F6: the next child";
    Press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m.MdiArea()->activeSubWindow(), children[0]) << "Ctrl+Shift+Tab: the previous child";
    Press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(m.MdiArea()->activeSubWindow(), children[2]) << "Ctrl+Shift+F6: the previous child";
    EXPECT_TRUE(children[2]->widget()->isAncestorOf(QApplication::focusWidget()))
        << "the keyboard works on in the child reached";

    // Ctrl+F4 on the table editor, then on the shape form.
    Press(Qt::Key_F4, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(m.Tables().Pilecoord->Editor(), nullptr) << "Ctrl+F4 closed the table editor";
    ASSERT_EQ(Children(m).size(), 2u);
    m.MdiArea()->setActiveSubWindow(Children(m)[1]);
    Press(Qt::Key_F4, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(m.Child(TChildKind::Shape), nullptr) << "Ctrl+F4 closed the shape form";
    ASSERT_EQ(Children(m).size(), 1u);

    // Window > Close (its caption reads like the menu's other items).
    QAction* close = m.Action(QStringLiteral("WindowClose"));
    EXPECT_EQ(close->text(), QStringLiteral("C&lose"));
    EXPECT_TRUE(close->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_F4)));
    m.WindowMenuClick();
    EXPECT_TRUE(close->isEnabled());
    close->trigger();
    Settle();
    EXPECT_TRUE(Children(m).empty());
    m.WindowMenuClick();
    EXPECT_FALSE(close->isEnabled()) << "nothing to close";
    Press(Qt::Key_F4, Qt::ControlModifier);  // nothing to close, nothing happens
    EXPECT_EQ(recorder.Count(), 0);
}

// A form whose focused number field holds an invalid entry stays open on Ctrl+F4.
TEST_F(MainFormChildWindows, CtrlF4LeavesAFormWithAnInvalidEntryOpen)
{
    TMainForm& m = Start();
    QWidget* form = m.ShowChild(TChildKind::Tipsoil);
    ASSERT_NE(form, nullptr);
    Settle();
    TDataEdit* field = nullptr;
    for (TDataEdit* edit : form->findChildren<TDataEdit*>())
        if (edit->isVisible() && edit->isEnabled()) field = edit;
    ASSERT_NE(field, nullptr);
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("1+"));
    Press(Qt::Key_F4, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(m.Child(TChildKind::Tipsoil), form) << "the form stays";
    EXPECT_FALSE(Children(m).empty());
    EXPECT_GE(recorder.Count(), 1) << "the field says why";
    // Corrected, the same key closes it.
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("1"));
    const int messages = recorder.Count();
    Press(Qt::Key_F4, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(m.Child(TChildKind::Tipsoil), nullptr);
    EXPECT_EQ(recorder.Count(), messages);
}

// Arrange Icons puts the minimized children side by side along the bottom of the area, in rows
// upwards when one row cannot hold them, however the user dragged them about.
TEST_F(MainFormChildWindows, ArrangeIconsLinesTheMinimizedChildrenUpAlongTheBottom)
{
    TMainForm& m = Start();
    for (TChildKind kind : {TChildKind::Title, TChildKind::Shape, TChildKind::Tipsoil, TChildKind::TopView,
                            TChildKind::SideViewXZ, TChildKind::SideViewYZ, TChildKind::NCPileProperties,
                            TChildKind::CPileProperties, TChildKind::Random})
        m.ShowChild(kind);
    Settle();
    std::vector<QMdiSubWindow*> children = Children(m);
    ASSERT_EQ(children.size(), 9u);
    const size_t icons = children.size() - 1;  // the last one stays open
    for (size_t i = 0; i < icons; ++i) {
        m.MdiArea()->setActiveSubWindow(children[i]);
        children[i]->showMinimized();
        Settle();
    }
    // The user drags the icons onto one spot.
    for (size_t i = 0; i < icons; ++i) children[i]->move(200, 100);
    Settle();
    m.Action(QStringLiteral("WindowArrange"))->trigger();
    Settle();
    const QRect area = Area(m);
    int widths = 0;
    for (size_t i = 0; i < icons; ++i) widths += children[i]->width();
    ASSERT_GT(widths, area.width()) << "more icons than one row holds";
    EXPECT_EQ(children[0]->geometry().bottom(), area.bottom()) << "the first icon sits on the bottom";
    EXPECT_EQ(children[0]->x(), 0);
    for (size_t i = 0; i < icons; ++i) {
        const QRect g = children[i]->geometry();
        EXPECT_TRUE(children[i]->isMinimized());
        EXPECT_TRUE(area.contains(g)) << "icon " << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(g.intersects(children[j]->geometry())) << "icons " << j << " and " << i << " side by side";
    }
    EXPECT_FALSE(children[icons]->isMinimized());
}

}  // namespace
