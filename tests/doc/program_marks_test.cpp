// Every menu command, window caption and form field the manual quotes ({menu:...}, {win:...},
// {field:...}) exists in the program: the test runs the main window offscreen on each bundled
// example (with the plot data of a real engine run), opens every form, table editor, plot and
// view its menus offer, in both unit systems, and reads the texts from the windows themselves.
#include "registerwindows.h"
#include "gl/block.h"
#include "mainform.h"
#include "plotform.h"
#include "manual_marks.h"
#include "sideview.h"
#include "util/messages.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
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

#include "qt_test.h"

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
        QString unitless = text;
        unitless.remove(unit);
        unitless = unitless.trimmed();
        if (!unitless.isEmpty()) fields.insert(unitless.toStdString());
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
        if (!w->windowTitle().isEmpty() && (w->isWindow() || qobject_cast<QMdiSubWindow*>(w))) {
            // The editor of a row's sub-table carries the row's number ("Load Amplitude 1").
            static const QRegularExpression row(QStringLiteral("\\s+\\d+$"));
            QString title = Plain(w->windowTitle());
            windows.insert(title.toStdString());
            windows.insert(title.remove(row).toStdString());
        }
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

// While it lives, every modal window that comes up (a table editor opened from a form, a dialog
// of a plot window, a file dialog) is read and closed, so that the test never waits for a user.
class ModalReader {
public:
    explicit ModalReader(ProgramTexts& texts) : m_texts(texts)
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            QCoreApplication::processEvents();
            m_texts.AddWidget(modal);
            for (QWidget* w : modal->findChildren<QWidget*>()) m_texts.AddWidget(w);
            ++m_read;
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
            else modal->close();
        });
        m_timer.start();
    }
    int Read() const { return m_read; }

private:
    ProgramTexts& m_texts;
    QTimer m_timer;
    int m_read = 0;
};

class ProgramMarksTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestSupport::EnsureApplication("manual_gui_tests"); }

    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        TestSupport::IsolateSettings(work.filePath(QStringLiteral("settings")));
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

    static bool With3DView() { return qEnvironmentVariable("MANUAL_WITH_3D_VIEW") == QLatin1String("1"); }

    // Opens every window the menus offer for the open project (the 3-D view only with OpenGL;
    // not the modal amplitude dialog, which is made at start and read as it is).
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
                if (a->isSeparator() || !a->isEnabled() || (name == QLatin1String("View3D") && !With3DView()) ||
                    name == QLatin1String("GraphInteractive"))
                    continue;
                a->trigger();
                QCoreApplication::processEvents();
            }
        }
    }

    // Presses the buttons of the open data forms and table editors that open further windows
    // (tables of a form, sub-tables of a table), and chooses the dialog commands of the plot
    // windows; modal ones are read and closed by a ModalReader.
    static void OpenFromWindows(TMainForm& main)
    {
        static const QRegularExpression skip(
            QStringLiteral("row|close|delete|clear|cancel|^ok$|browse|add|insert|remove|print|setup|save|equivalent"),
            QRegularExpression::CaseInsensitiveOption);
        static const QStringList plotDialogs{QStringLiteral("Graph Title"), QStringLiteral("Edit Legend"),
                                             QStringLiteral("Active Curves"), QStringLiteral("Save To Disk...")};
        for (int round = 0; round < 2; ++round) {
            QList<QPointer<QAbstractButton>> buttons;
            for (QMdiSubWindow* sub : main.MdiArea()->subWindowList())
                for (QPushButton* b : sub->findChildren<QPushButton*>())
                    if (!skip.match(Plain(b->text())).hasMatch()) buttons << b;
            for (const QPointer<QAbstractButton>& b : buttons) {
                if (!b || !b->isEnabled() || !b->isVisible()) continue;
                b->click();
                QCoreApplication::processEvents();
            }
        }
        QList<QPointer<QAction>> actions;
        for (QMdiSubWindow* sub : main.MdiArea()->subWindowList())
            for (QMenu* menu : sub->findChildren<QMenu*>())
                for (QAction* a : menu->actions())
                    if (plotDialogs.contains(Plain(a->text()))) actions << a;
        // A bitmap name for Save To Disk, so that its attributes dialog comes up.
        TPlotForm::SetSaveFileNameHook([](QWidget*) { return QDir::temp().filePath(QStringLiteral("manual-plot.bmp")); });
        for (const QPointer<QAction>& a : actions) {
            if (!a || !a->isEnabled()) continue;
            a->trigger();
            QCoreApplication::processEvents();
        }
        TPlotForm::SetSaveFileNameHook(nullptr);
        QFile::remove(QDir::temp().filePath(QStringLiteral("manual-plot.bmp")));
    }

    QTemporaryDir work;
    QString startFolder;
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
};

TEST_F(ProgramMarksTest, EveryQuotedMenuWindowAndFieldIsInTheProgram)
{
    const std::vector<ManualMarks::Mark> marks = ManualMarks::Read(ManualMarks::Folder(TREMEX_SOURCE_DIR));
    ProgramTexts texts;
    for (const QString& example :
         QDir(kSource + QStringLiteral("/examples")).entryList({QStringLiteral("*.tmx")}, QDir::Files, QDir::Name)) {
        SCOPED_TRACE(example.toStdString());
        const QString project = RunExample(QFileInfo(example).completeBaseName());
        TMainForm main;
        main.OpenUrl = [](const QUrl&) { return true; };
        RegisterWindows::RegisterForms(main);
        RegisterWindows::RegisterViews(main);
        if (With3DView()) RegisterWindows::RegisterBlockView(main);
        main.CreateDialogs();
        main.SetCommandLine({});
        main.show();  // the windows lay themselves out when shown
        main.OpenFileName(project);
        ASSERT_TRUE(main.PlotDataRead()) << "the plot data of " << example.toStdString() << " was not read";
        for (const char* units : {"DataSI", "DataEnglish"}) {
            main.Action(QString::fromLatin1(units))->trigger();
            QCoreApplication::processEvents();
            OpenEverything(main);
            {
                ModalReader modals(texts);
                OpenFromWindows(main);
            }
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
