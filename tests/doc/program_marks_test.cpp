// Every menu command, window caption and form field the manual quotes ({menu:...}, {win:...},
// {field:...}) exists in the program, and every unit the manual's field tables give a field or a
// column is the unit the program shows for it: the test runs the main window offscreen on each
// bundled example (with the plot data of a real engine run), opens every form, table editor, plot
// and view its menus offer, in both unit systems, and reads the texts and units from the windows
// themselves (a number field's unit template as its label expands it, a table column's template
// as its heading expands it).
#include "registerwindows.h"
#include "entry/numbercontrol.h"
#include "table/columntypes.h"
#include "table/tableform.h"
#include "table/unittemplates.h"
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

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <regex>
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

// A unit as a product of unit names with their powers ("lbs/ft³", "lbs/ft^3" and "F/L2^3"
// expanded in English are one unit; "(kN-m)²·sec/rad" is "kN^2-m^2-sec/rad"). The names are
// case-blind ("SEC" is "sec"). Empty text is no unit; a text that is not made of known unit names
// gives no value.
using Unit = std::map<std::string, int>;

std::optional<Unit> ReadUnit(const std::string& text)
{
    static const std::map<std::string, std::string> names{
        {"lbs", "lbs"}, {"lb", "lbs"},    {"kips", "kips"},   {"tons", "tons"}, {"kn", "kN"},
        {"ft", "ft"},   {"in", "in"},     {"m", "m"},         {"mm", "mm"},     {"slug", "slug"},
        {"mg", "Mg"},   {"sec", "sec"},   {"s", "sec"},       {"rad", "rad"},   {"radian", "rad"},
        {"deg", "deg"}, {"degree", "deg"}, {"degrees", "deg"}, {"hz", "Hz"}};
    // Superscript digits in UTF-8 (², ³, ⁴ and ¹).
    static const std::map<std::string, int> superscripts{
        {"\xc2\xb9", 1}, {"\xc2\xb2", 2}, {"\xc2\xb3", 3}, {"\xe2\x81\xb4", 4}};
    std::size_t i = 0;
    bool failed = false;
    auto exponent = [&]() {
        if (i < text.size() && text[i] == '^') ++i;
        if (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) return text[i++] - '0';
        for (const auto& [glyph, power] : superscripts)
            if (text.compare(i, glyph.size(), glyph) == 0) {
                i += glyph.size();
                return power;
            }
        return 1;
    };
    // A product: factors joined by "-", "·", "*" or blanks, "/" putting what follows under the line.
    std::function<Unit(bool)> product = [&](bool inGroup) {
        Unit unit;
        int sign = 1;
        while (i < text.size() && !failed) {
            const char c = text[i];
            if (c == ')') {
                if (!inGroup) failed = true;
                break;
            }
            if (c == '-' || c == '*' || c == ' ') {
                ++i;
            } else if (text.compare(i, 2, "\xc2\xb7") == 0) {
                i += 2;
            } else if (c == '/') {
                sign = -1;
                ++i;
            } else if (c == '(') {
                ++i;
                const Unit group = product(true);
                if (i >= text.size() || text[i] != ')') {
                    failed = true;
                    break;
                }
                ++i;
                const int power = exponent();
                for (const auto& [name, p] : group) unit[name] += sign * power * p;
            } else if (std::isalpha(static_cast<unsigned char>(c))) {
                std::string word;
                while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])))
                    word += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i++])));
                const auto known = names.find(word);
                if (known == names.end()) {
                    failed = true;
                    break;
                }
                unit[known->second] += sign * exponent();
            } else {
                failed = true;
            }
        }
        return unit;
    };
    Unit unit = product(false);
    if (failed || i != text.size()) return std::nullopt;
    std::erase_if(unit, [](const auto& entry) { return entry.second == 0; });
    return unit;
}

std::string UnitText(const Unit& unit)
{
    std::string text;
    for (const auto& [name, power] : unit)
        text += (text.empty() ? "" : " ") + name + (power == 1 ? "" : "^" + std::to_string(power));
    return text.empty() ? "(no unit)" : text;
}

// The units a cell of the manual's field tables gives: one unit; "u (moment: v)" for a column
// whose rows hold forces or moments; "u (label: v)" for a field whose label shows another unit
// than its value's ("none" and "no unit" are no unit).
std::vector<std::string> CellUnits(const std::string& cell)
{
    static const std::regex alternative("^(.*\\S)\\s+\\((moment|label):\\s*(.*)\\)$");
    auto none = [](const std::string& text) { return text == "none" || text == "no unit" ? std::string() : text; };
    std::smatch m;
    if (std::regex_match(cell, m, alternative)) return {none(m[1]), none(m[3])};
    return {none(cell)};
}

// The texts the program shows, by the kind of mark that quotes them, and the units of its number
// fields and table columns.
struct ProgramTexts {
    std::set<std::string> menus, windows, fields;
    // caption -> unit text shown, for English (0) and SI (1)
    std::map<std::string, std::set<std::string>> units[2];
    // captions of the table columns that hold a sub-table (a button in each row)
    std::set<std::string> tableColumns;
    bool complete = false;  // every example was read

    void AddUnit(const QString& caption, int unitSystem, const QString& unit)
    {
        if (unitSystem != 1 && unitSystem != 2) return;
        units[unitSystem - 1][Plain(caption).toStdString()].insert(unit.trimmed().toStdString());
    }

    // A table's columns: a float column's unit is its template expanded for the table's system;
    // a column without a template whose caption ends in a unit in brackets ("(degrees)") shows
    // that unit.
    void AddTable(const TGridTable* table)
    {
        for (int c = 0; c < table->ColumnCount(); ++c) {
            const TColumn* column = table->GetColumn(c);
            const QString caption = column->Captions().join(QLatin1Char(' '));
            if (dynamic_cast<const TTableColumn*>(column)) tableColumns.insert(Plain(caption).toStdString());
            const auto* floats = dynamic_cast<const TFloatColumn*>(column);
            if (!floats) continue;
            QString unit;
            if (!floats->UnitTemplate().isEmpty()) {
                unit = ColumnTypes::ExpandUnitTemplate(floats->UnitTemplate(), table->UnitSystem());
            } else {
                static const QRegularExpression named(QStringLiteral("\\(([^()]*)\\)\\s*$"));
                const QRegularExpressionMatch m = named.match(caption);
                if (m.hasMatch() && ReadUnit(m.captured(1).toStdString())) unit = m.captured(1);
            }
            AddUnit(caption, table->UnitSystem(), unit);
        }
    }

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
        // A field without a unit template shows no unit in either system.
        if (auto* number = dynamic_cast<TNumberControl*>(w)) {
            if (number->UnitsString().isEmpty()) {
                AddUnit(number->Caption(), 1, QString());
                AddUnit(number->Caption(), 2, QString());
            } else {
                AddUnit(number->Caption(), number->Units(), number->ExpandUnitsString());
            }
        }
        if (auto* tableForm = qobject_cast<TTableForm*>(w); tableForm && tableForm->Table())
            AddTable(tableForm->Table());
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

    // What the program shows with every bundled example open, read once for the tests below.
    // A reading cut short by a failure is not taken for the program's texts.
    const ProgramTexts& Texts()
    {
        static std::optional<ProgramTexts> read;
        if (!read) {
            read.emplace();
            ReadProgram(*read);
        }
        return *read;
    }

    void ReadProgram(ProgramTexts& texts)
    {
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
                for (int system = 0; system < 2; ++system)
                    for (const auto& [caption, shown] : texts.units[system])
                        for (const std::string& unit : shown)
                            out.write(QByteArray(system == 0 ? "unit:English:" : "unit:SI:") + caption.c_str() + " = " +
                                      unit.c_str() + '\n');
            }
        }
        texts.complete = true;
    }

    QTemporaryDir work;
    QString startFolder;
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
};

TEST_F(ProgramMarksTest, EveryQuotedMenuWindowAndFieldIsInTheProgram)
{
    const std::vector<ManualMarks::Mark> marks = ManualMarks::Read(ManualMarks::Folder(TREMEX_SOURCE_DIR));
    const ProgramTexts& texts = Texts();
    ASSERT_TRUE(texts.complete);
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

TEST_F(ProgramMarksTest, EveryUnitOfTheFieldTablesIsTheUnitTheProgramShows)
{
    // The reading of units itself.
    ASSERT_EQ(ReadUnit("lbs/ft\xc2\xb3"), ReadUnit("lbs/ft^3"));
    ASSERT_EQ(ReadUnit("(kN-m)\xc2\xb2\xc2\xb7sec/rad"), ReadUnit("kN^2-m^2-sec/rad"));
    ASSERT_EQ(ReadUnit("ft/SEC"), ReadUnit("ft/sec"));
    ASSERT_EQ(ReadUnit(""), Unit{});
    ASSERT_NE(ReadUnit("ft"), ReadUnit("m"));
    ASSERT_NE(ReadUnit("slug-ft\xc2\xb2"), ReadUnit("slug-ft"));
    ASSERT_NE(ReadUnit("lbs/ft\xc2\xb2"), ReadUnit("lbs-ft\xc2\xb2"));
    ASSERT_FALSE(ReadUnit("Z-dir."));
    ASSERT_EQ(CellUnits("lbs (moment: lbs-ft)"), (std::vector<std::string>{"lbs", "lbs-ft"}));
    ASSERT_EQ(CellUnits("sec (label: no unit)"), (std::vector<std::string>{"sec", ""}));

    const ProgramTexts& texts = Texts();
    ASSERT_TRUE(texts.complete);
    // The program's units as read: a form field's and a table column's template, both systems.
    ASSERT_EQ(texts.units[0].count("Shear wave velocity"), 1u);
    for (const std::string& shown : texts.units[0].at("Shear wave velocity")) ASSERT_EQ(ReadUnit(shown), ReadUnit("ft/sec"));
    ASSERT_EQ(texts.units[1].count("Unit Weight"), 1u);
    for (const std::string& shown : texts.units[1].at("Unit Weight")) ASSERT_EQ(ReadUnit(shown), ReadUnit("kN/m^3"));

    const std::vector<ManualMarks::UnitRow> rows = ManualMarks::ReadUnitRows(ManualMarks::Folder(TREMEX_SOURCE_DIR));
    ASSERT_FALSE(rows.empty());
    int checked = 0;
    for (const ManualMarks::UnitRow& row : rows) {
        for (int system = 0; system < 2; ++system) {
            const char* systemName = system == 0 ? "English" : "SI";
            const std::string& cell = system == 0 ? row.english : row.si;
            const std::map<std::string, std::set<std::string>>& shownUnits = texts.units[system];
            std::vector<Unit> given;
            for (const std::string& text : CellUnits(cell)) {
                const std::optional<Unit> unit = ReadUnit(text);
                EXPECT_TRUE(unit) << row.Where() << ": \"" << text << "\" is not a unit";
                if (unit) given.push_back(*unit);
            }
            // The fields the units belong to: the number fields and columns of the row's first
            // cell; for a column of sub-tables, the number columns of those tables the row names.
            std::vector<std::string> fields;
            bool subTables = false;
            for (const std::string& field : row.fields) {
                if (shownUnits.count(field)) fields.push_back(field);
                else if (texts.tableColumns.count(field)) subTables = true;
                else if (!cell.empty())
                    ADD_FAILURE() << row.Where() << ": the manual gives {field:" << field << "} the unit \"" << cell
                                  << "\" (" << systemName << "), but the program has no number field or column of that caption";
            }
            if (subTables)
                for (const std::string& field : row.meaning)
                    if (shownUnits.count(field)) fields.push_back(field);
            if (!cell.empty() && fields.empty())
                ADD_FAILURE() << row.Where() << ": the unit \"" << cell << "\" belongs to no number field or column";
            for (const std::string& field : fields) {
                for (const std::string& shownText : shownUnits.at(field)) {
                    ++checked;
                    const std::optional<Unit> shown = ReadUnit(shownText);
                    ASSERT_TRUE(shown) << "the program's unit \"" << shownText << "\" of " << field << " is not read";
                    const bool same = std::find(given.begin(), given.end(), *shown) != given.end();
                    EXPECT_TRUE(same) << row.Where() << ": {field:" << field << "} in " << systemName
                                      << " units: the manual gives \"" << cell << "\", the program shows \""
                                      << shownText << "\" (" << UnitText(*shown) << ")";
                }
            }
        }
    }
    RecordProperty("units", checked);
}

}  // namespace
