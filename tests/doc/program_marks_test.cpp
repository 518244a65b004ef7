// Every menu command, window caption and form field the manual quotes ({menu:...}, {win:...},
// {field:...}) exists in the program: the test runs the main window offscreen on each bundled
// example (with the plot data of a real engine run), opens every form, table editor, plot and
// view its menus offer, in both unit systems, and reads the texts from the windows themselves.
#include "forms/registerforms.h"
#include "mainform.h"
#include "manual_marks.h"
#include "sideview.h"
#include "util/messages.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

const QString kSource = QStringLiteral(TREMEX_SOURCE_DIR);

// A caption as the user reads it: the access-key "&" dropped ("&&" is one "&"), blanks and
// line breaks collapsed.
QString Plain(QString text)
{
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text.simplified();
}

// The texts the program shows, by the kind of mark that quotes them.
struct ProgramTexts {
    std::set<std::string> menus, windows, fields;

    // A field's caption, also without the unit the program shows after it ("Radius (m)" and
    // "Velocity, (m/SEC)" are "Radius" and "Velocity"); captions of several lines (table columns)
    // read as one line.
    void AddField(const QString& raw)
    {
        AddFieldVariants(Plain(QString(raw).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    }

    void AddFieldVariants(QString text)
    {
        if (text.isEmpty()) return;
        fields.insert(text.toStdString());
        static const QRegularExpression unit(QStringLiteral("\\s*[\\(\\[][^\\(\\)\\[\\]]*[\\)\\]]$"));
        static const QRegularExpression tail(QStringLiteral("[\\s,:]+$"));
        QString bare = text;
        bare.remove(unit);
        bare.remove(tail);
        if (!bare.isEmpty()) fields.insert(bare.toStdString());
        QString noColon = text;
        noColon.remove(tail);
        if (!noColon.isEmpty()) fields.insert(noColon.toStdString());
    }

    void AddMenu(const QString& path, QMenu* menu)
    {
        menus.insert(path.toStdString());
        for (QAction* a : menu->actions()) {
            if (a->isSeparator() || Plain(a->text()).isEmpty()) continue;
            const QString item = path + QStringLiteral(" > ") + Plain(a->text());
            if (a->menu()) AddMenu(item, a->menu());
            else menus.insert(item.toStdString());
        }
    }

    void AddMenuBar(QMenuBar* bar)
    {
        for (QAction* a : bar->actions()) {
            if (a->isSeparator() || Plain(a->text()).isEmpty()) continue;
            if (a->menu()) AddMenu(Plain(a->text()), a->menu());
            else menus.insert(Plain(a->text()).toStdString());
        }
    }

    void AddWidget(QWidget* w)
    {
        if (!w->windowTitle().isEmpty() && (w->isWindow() || qobject_cast<QMdiSubWindow*>(w)))
            windows.insert(Plain(w->windowTitle()).toStdString());
        if (auto* bar = qobject_cast<QMenuBar*>(w)) AddMenuBar(bar);
        if (auto* label = qobject_cast<QLabel*>(w)) AddField(label->text());
        if (auto* button = qobject_cast<QAbstractButton*>(w)) AddField(button->text());
        if (auto* group = qobject_cast<QGroupBox*>(w)) AddField(group->title());
        if (auto* tabs = qobject_cast<QTabBar*>(w))
            for (int i = 0; i < tabs->count(); ++i) AddField(tabs->tabText(i));
        if (auto* combo = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < combo->count(); ++i) AddField(combo->itemText(i));
        if (auto* toolBar = qobject_cast<QToolBar*>(w))
            for (QAction* a : toolBar->actions()) AddField(a->text());
        if (auto* view = qobject_cast<QAbstractItemView*>(w); view && view->model()) {
            QAbstractItemModel* model = view->model();
            for (int c = 0; c < model->columnCount(); ++c)
                AddField(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
        }
    }

    void AddAll(TMainForm& main)
    {
        AddWidget(&main);
        for (QWidget* w : main.findChildren<QWidget*>()) AddWidget(w);
        for (QWidget* w : QApplication::topLevelWidgets()) {
            AddWidget(w);
            for (QWidget* c : w->findChildren<QWidget*>()) AddWidget(c);
        }
    }
};

class ProgramMarksTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!qApp) {
            static int argc = 1;
            static char name[] = "manual_gui_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, work.filePath(QStringLiteral("settings")));
        startFolder = QDir::currentPath();
    }

    void TearDown() override { QDir::setCurrent(startFolder); }

    // A copy of a bundled example with the plot data of a run of the real engine beside it.
    QString RunExample(const QString& name)
    {
        const QString folder = work.filePath(name);
        QDir().mkpath(folder);
        for (const char* ext : {".tmx", ".tmm"}) {
            const QString to = folder + QLatin1Char('/') + name + QLatin1String(ext);
            QFile::copy(kSource + QStringLiteral("/examples/") + name + QLatin1String(ext), to);
            QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
        }
        const QString project = folder + QLatin1Char('/') + name + QStringLiteral(".tmx");
        QProcess run;
        run.start(QStringLiteral(TREMRUN_PATH), {project});
        EXPECT_TRUE(run.waitForFinished(120000)) << name.toStdString();
        EXPECT_TRUE(QFile::exists(folder + QLatin1Char('/') + name + QStringLiteral(".tmq")))
            << name.toStdString() << ": " << run.readAllStandardError().toStdString();
        return project;
    }

    // Opens every window the menus offer for the open project (not the 3-D view, which needs
    // OpenGL, nor the modal amplitude dialog, which is made at start and read as it is).
    static void OpenEverything(TMainForm& main)
    {
        main.DataMenuClick();
        main.HarmonicMenuClick();
        main.GraphicsMenuClick();
        for (const char* menuName : {"DataMenu", "GraphicsMenu", "ViewMenu"}) {
            QMenu* menu = main.Menu(QString::fromLatin1(menuName));
            ASSERT_NE(menu, nullptr) << menuName;
            QList<QAction*> actions = menu->actions();
            while (!actions.isEmpty()) {
                QAction* a = actions.takeFirst();
                if (a->menu()) {
                    // The unit and loading choices change the project: the test does those itself.
                    const QString name = a->menu()->objectName();
                    if (name != QLatin1String("DataUnits") && name != QLatin1String("DataLoading"))
                        actions << a->menu()->actions();
                    continue;
                }
                const QString name = a->objectName();
                if (a->isSeparator() || !a->isEnabled() || name == QLatin1String("View3D") ||
                    name == QLatin1String("GraphInteractive"))
                    continue;
                a->trigger();
                QCoreApplication::processEvents();
            }
        }
    }

    QTemporaryDir work;
    QString startFolder;
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
};

TEST_F(ProgramMarksTest, EveryQuotedMenuWindowAndFieldIsInTheProgram)
{
    const std::vector<ManualMarks::Mark> marks = ManualMarks::Read(TREMEX_SOURCE_DIR "/doc/manual");
    ProgramTexts texts;
    for (const QString& example :
         QDir(kSource + QStringLiteral("/examples")).entryList({QStringLiteral("*.tmx")}, QDir::Files, QDir::Name)) {
        SCOPED_TRACE(example.toStdString());
        const QString project = RunExample(QFileInfo(example).completeBaseName());
        TMainForm main;
        main.OpenUrl = [](const QUrl&) { return true; };
        RegisterForms::RegisterForms(main);
        SideView::RegisterWindows(main);
        main.CreateDialogs();
        main.SetCommandLine({});
        main.show();  // the windows lay themselves out when shown
        main.OpenFileName(project);
        ASSERT_TRUE(main.PlotDataRead()) << "the plot data of " << example.toStdString() << " was not read";
        for (const char* units : {"DataSI", "DataEnglish"}) {
            main.Action(QString::fromLatin1(units))->trigger();
            QCoreApplication::processEvents();
            OpenEverything(main);
            texts.AddAll(main);
        }
        main.SetModified(false);
        main.CloseAllChildren();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // MANUAL_PROGRAM_TEXTS=file writes every text found, for the writers of the manual.
    if (const QString dump = qEnvironmentVariable("MANUAL_PROGRAM_TEXTS"); !dump.isEmpty()) {
        QFile out(dump);
        if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            for (const auto& [kind, set] : {std::pair{"menu", &texts.menus}, std::pair{"win", &texts.windows},
                                            std::pair{"field", &texts.fields}})
                for (const std::string& text : *set) out.write(QByteArray(kind) + ':' + QByteArray(text.c_str()) + '\n');
        }
    }

    // The reading itself: what the running program shows, and nothing else.
    ASSERT_TRUE(texts.menus.count("Computation > Run Analysis"));
    ASSERT_TRUE(texts.menus.count("Data > Units > English Units (lbs, slug, ft)"));
    ASSERT_TRUE(texts.windows.count("Soil Below The Footing"));
    ASSERT_TRUE(texts.fields.count("Shear wave velocity"));
    ASSERT_FALSE(texts.fields.count("Shear"));
    ASSERT_FALSE(texts.windows.count("Soil Below"));
    ASSERT_FALSE(texts.menus.count("Computation > Run"));

    int checked = 0;
    for (const ManualMarks::Mark& m : marks) {
        const std::set<std::string>* known = m.kind == "menu"    ? &texts.menus
                                             : m.kind == "win"   ? &texts.windows
                                             : m.kind == "field" ? &texts.fields
                                                                 : nullptr;
        if (!known) continue;
        ++checked;
        EXPECT_TRUE(known->count(m.text))
            << m.Where() << ": " << m.Quoted() << " is not in the program (no such "
            << (m.kind == "menu" ? "menu path" : m.kind == "win" ? "window caption" : "field, button or column caption")
            << ")";
    }
    RecordProperty("marks", checked);
}

}  // namespace
