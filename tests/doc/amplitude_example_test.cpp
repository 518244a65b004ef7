// The amplitude dialog's example of the results chapter: the three values at the point, computed
// from the chapter's own component formulas and amplitudes, are the chapter's results, and the
// dialog of the running program exports the same values for that project and point.
#include "ampplot.h"
#include "entry/dataedit.h"
#include "mainform.h"
#include "registerwindows.h"
#include "util/messages.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "qt_test.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

std::string ReadChapter()
{
    std::ifstream in(std::string(TREMEX_SOURCE_DIR) + "/doc/manual/04-results.md");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The lines after a "<!-- check: NAME -->" mark: up to the first empty line, or for a table up to
// the empty line after it.
QStringList Block(const std::string& chapter, const char* name)
{
    const QString text = QString::fromStdString(chapter);
    const qsizetype at = text.indexOf(QStringLiteral("<!-- check: ") + QLatin1String(name) + QStringLiteral(" -->"));
    if (at < 0) return {};
    QStringList lines;
    for (const QString& line : text.mid(at).split(QLatin1Char('\n')).mid(1)) {
        if (line.trimmed().isEmpty()) {
            if (!lines.isEmpty() && !lines.last().startsWith(QStringLiteral("Table:"))) break;
            continue;
        }
        lines << line;
    }
    return lines;
}

QList<long double> Numbers(const QString& text)
{
    QList<long double> out;
    static const QRegularExpression number(QStringLiteral("[-+]?\\d+(\\.\\d+)?(E[-+]?\\d+)?"));
    for (auto it = number.globalMatch(text); it.hasNext();) out << it.next().captured(0).toDouble();
    return out;
}

TEST(ManualAmplitudeExample, TheChaptersFormulaGivesItsResultsAndTheDialogExportsThem)
{
    TestSupport::EnsureApplication("manual_gui_tests");
    const std::string chapter = ReadChapter();
    const QStringList formula = Block(chapter, "amplitude-formula");
    const QStringList table = Block(chapter, "amplitude-example");
    ASSERT_FALSE(formula.isEmpty()) << "04-results.md: no component formulas after <!-- check: amplitude-formula -->";
    ASSERT_FALSE(table.isEmpty()) << "04-results.md: no example table after <!-- check: amplitude-example -->";

    // The example's quantities, by the first cell of their rows.
    std::map<QString, QString> rows;
    for (const QString& line : table) {
        const QStringList cells = line.split(QLatin1Char('|'));
        if (cells.size() >= 3) rows[cells[1].trimmed().remove(QRegularExpression(QStringLiteral("<[^>]*>")))] = cells[2].trimmed();
    }
    const QString project = rows[QStringLiteral("project")];
    const QList<long double> g = Numbers(rows[QStringLiteral("G")]), p = Numbers(rows[QStringLiteral("P")]);
    const QList<long double> u = Numbers(rows[QStringLiteral("UOX, UOY, UOZ")]);
    const QList<long double> t = Numbers(rows[QStringLiteral("EPOX, EPOY, EPOZ")]);
    const QList<long double> want = Numbers(rows[QStringLiteral("xP, yP, zP")]);
    const QList<long double> hertz = Numbers(rows[QStringLiteral("frequency (export)")]);
    ASSERT_FALSE(project.isEmpty());
    ASSERT_EQ(g.size(), 3);
    ASSERT_EQ(p.size(), 3);
    ASSERT_EQ(u.size(), 3);
    ASSERT_EQ(t.size(), 3);
    ASSERT_EQ(want.size(), 3);
    ASSERT_EQ(hertz.size(), 1);

    // The chapter's formulas, term by term: "xP = UOX + Δy·EPOZ − Δz·EPOY".
    std::map<QString, long double> values{{QStringLiteral("UOX"), u[0]},  {QStringLiteral("UOY"), u[1]},
                                          {QStringLiteral("UOZ"), u[2]},  {QStringLiteral("EPOX"), t[0]},
                                          {QStringLiteral("EPOY"), t[1]}, {QStringLiteral("EPOZ"), t[2]},
                                          {QStringLiteral("Δx"), p[0] - g[0]}, {QStringLiteral("Δy"), p[1] - g[1]},
                                          {QStringLiteral("Δz"), p[2] - g[2]}};
    QString plain = formula.join(QLatin1Char(' '));
    plain.remove(QRegularExpression(QStringLiteral("<[^>]*>")));
    plain.replace(QChar(0x2212), QLatin1Char('-'));
    static const QRegularExpression component(QStringLiteral("([xyz])P\\s*=\\s*([^,]+)"));
    int seen = 0;
    for (auto it = component.globalMatch(plain); it.hasNext();) {
        const auto m = it.next();
        const int k = m.captured(1).at(0).unicode() - 'x';
        long double sum = 0;
        static const QRegularExpression term(QStringLiteral("([-+]?)\\s*([^-+\\s]+)"));
        for (auto jt = term.globalMatch(m.captured(2)); jt.hasNext();) {
            const auto tm = jt.next();
            long double v = 1;
            for (const QString& factor : tm.captured(2).split(QChar(0x00B7))) {
                ASSERT_TRUE(values.count(factor)) << "unknown term " << factor.toStdString() << " in the formula";
                v *= values[factor];
            }
            sum += tm.captured(1) == QLatin1String("-") ? -v : v;
        }
        EXPECT_NEAR(double(sum), double(want[k]), 5e-5 * std::fabs(double(want[k])) + 1e-12)
            << "component " << m.captured(1).toStdString() << " of the chapter's formula";
        ++seen;
    }
    ASSERT_EQ(seen, 3) << "three component formulas expected in: " << plain.toStdString();

    // The program: the example run by the engine, opened, its dialog exported at P.
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    TestSupport::IsolateSettings(work.filePath(QStringLiteral("settings")));
    for (const char* ext : {".tmx", ".tmm"}) {
        const QString to = work.filePath(project + QLatin1String(ext));
        ASSERT_TRUE(QFile::copy(QStringLiteral(TREMEX_SOURCE_DIR "/examples/") + project + QLatin1String(ext), to));
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
    const QString deck = work.filePath(project + QStringLiteral(".tmx"));
    QProcess run;
    run.start(QStringLiteral(TREMRUN_PATH), {deck});
    ASSERT_TRUE(run.waitForFinished(120000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();

    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
    TMainForm main;
    main.OpenUrl = [](const QUrl&) { return true; };
    RegisterWindows::RegisterForms(main);
    RegisterWindows::RegisterViews(main);
    main.CreateDialogs();
    main.SetCommandLine({});
    main.show();
    main.OpenFileName(deck);
    ASSERT_TRUE(main.PlotDataRead());
    auto* dialog = main.findChild<TDlgAmpPlot*>();
    ASSERT_NE(dialog, nullptr);
    dialog->FormActivate();
    for (int k = 0; k < 3; ++k) dialog->Edit(k)->SetNumber(p[k]);
    dialog->UpdateGraph();
    const QString exported = work.filePath(QStringLiteral("export.txt"));
    dialog->ExportData(exported);
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    bool found = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"))) {
        const QStringList cells = line.split(QLatin1Char(','));
        if (cells.size() != 5 || std::fabs(cells[1].toDouble() - double(hertz[0])) > 5e-6) continue;
        found = true;
        for (int k = 0; k < 3; ++k)
            EXPECT_NEAR(cells[2 + k].toDouble(), double(want[k]), 5e-5 * std::fabs(double(want[k])))
                << "the export's component " << k << " at " << cells[1].toStdString() << " Hz";
    }
    EXPECT_TRUE(found) << "no line of the export at " << double(hertz[0]) << " Hz";
    main.SetModified(false);
    main.CloseAllChildren();
}

}  // namespace
