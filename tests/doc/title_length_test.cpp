// The length the chapters give the project title is the length the program keeps: the real title
// form takes no more characters than that, the engine prints no more of a longer title in the
// report, and every sentence of the chapters that gives the title a number of characters gives
// that number.
#include "forms/titleform.h"
#include "manual_marks.h"
#include "project.h"
#include "util/messages.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "qt_test.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Statement {
    std::string where;
    std::string text;
    int characters = 0;
};

// Every sentence of the chapters (code blocks and code spans left out; a table row is one
// sentence) that speaks of the title and gives a number of characters.
std::vector<Statement> TitleLengths(const std::filesystem::path& folder)
{
    std::vector<Statement> out;
    static const QRegularExpression fence(QStringLiteral("^```.*?^```"),
                                          QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression span(QStringLiteral("`[^`]*`"));
    static const QRegularExpression blank(QStringLiteral("\\n\\s*\\n"));
    static const QRegularExpression end(QStringLiteral("(?<=\\.)\\s+"));
    static const QRegularExpression title(QStringLiteral("\\btitle"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression length(QStringLiteral("\\b(\\d+) characters\\b"));
    for (const auto& path : ManualMarks::Chapters(folder)) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        QString text = QString::fromStdString(s.str());
        text.remove(fence);
        QStringList blocks;
        for (const QString& block : text.split(blank)) {
            const QStringList lines = block.split(QLatin1Char('\n'));
            QStringList rows;
            for (const QString& line : lines)
                if (line.trimmed().startsWith(QLatin1Char('|'))) rows << line;
            if (rows.isEmpty()) blocks << block;
            else blocks << rows;
        }
        for (QString block : blocks) {
            block.remove(span);
            block = block.simplified();
            const QStringList sentences = block.startsWith(QLatin1Char('|')) ? QStringList{block} : block.split(end);
            for (const QString& sentence : sentences) {
                if (!title.match(sentence).hasMatch()) continue;
                for (auto it = length.globalMatch(sentence); it.hasNext();)
                    out.push_back({path.filename().string(), sentence.toStdString(), it.next().captured(1).toInt()});
            }
        }
    }
    return out;
}

TEST(ManualTitleLength, EveryLengthTheChaptersGiveTheTitleIsWhatTheFormAndTheAnalysisKeep)
{
    TestSupport::EnsureApplication("manual_gui_tests");
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};

    // The form, as a user types a long title into it.
    TProject project;
    TdlgTitle form(project);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.TitleMemo->setFocus();
    QTest::keyClicks(form.TitleMemo, QString(100, QLatin1Char('t')));
    const int cap = int(form.TitleMemo->toPlainText().size());
    ASSERT_GT(cap, 0);
    ASSERT_LT(cap, 100) << "the title form took all 100 characters typed";
    form.close();

    // The engine, on a deck whose title line is longer than the 80 columns it reads.
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    QFile example(QStringLiteral(TREMEX_SOURCE_DIR "/examples/halfspace-harmonic.tmx"));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    QString deck = QString::fromLatin1(example.readAll());
    const QString longTitle = QStringLiteral("Title").repeated(20);
    deck.replace(QRegularExpression(QStringLiteral("^TITLE=[^\\r\\n]*")), QStringLiteral("TITLE=") + longTitle);
    const QString path = work.filePath(QStringLiteral("title.tmx"));
    QFile out(path);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(deck.toLatin1());
    out.close();
    QFile mass(work.filePath(QStringLiteral("title.tmm")));
    ASSERT_TRUE(mass.open(QIODevice::WriteOnly));
    mass.write("0\r\n");
    mass.close();
    QProcess run;
    run.start(QStringLiteral(TREMRUN_PATH), {path});
    ASSERT_TRUE(run.waitForFinished(120000));
    ASSERT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    QFile report(work.filePath(QStringLiteral("title.tmo")));
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    int printed = -1;
    for (const QString& line : QString::fromLatin1(report.readAll()).split(QLatin1Char('\n'))) {
        const QString shown = line.trimmed();
        if (shown.startsWith(longTitle.left(10))) {
            printed = int(shown.size());
            EXPECT_TRUE(longTitle.startsWith(shown)) << shown.toStdString();
            break;
        }
    }
    ASSERT_GT(printed, 0) << "the report shows no title line";
    EXPECT_EQ(printed, cap) << "the report prints " << printed << " characters of the title, the form takes " << cap;

    // The chapters.
    const std::vector<Statement> statements = TitleLengths(ManualMarks::Folder(TREMEX_SOURCE_DIR));
    ASSERT_FALSE(statements.empty()) << "no chapter says how many characters the title holds";
    for (const Statement& s : statements)
        EXPECT_EQ(s.characters, cap) << s.where << ": the title is given " << s.characters
                                     << " characters, the form takes " << cap << " and the report prints "
                                     << printed << ": " << s.text;
}

}  // namespace
