// Help > Contents and Help > User's Manual open the help pages and the manual in the program's
// folder (the folder of this test, build/bin, as of Tremex3) through the program's opener.
#include "mainform.h"
#include "util/messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "qt_test.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class HelpMenuTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TestSupport::EnsureApplication("manual_gui_tests"); }

    void SetUp() override
    {
        ASSERT_TRUE(settings.isValid());
        TestSupport::IsolateSettings(settings.path());
        main = std::make_unique<TMainForm>();
        main->OpenUrl = [this](const QUrl& url) {
            opened << url;
            return openerWorks;
        };
    }

    QString ProgramFile(const QString& name) const
    {
        return QDir(QCoreApplication::applicationDirPath()).filePath(name);
    }

    QTemporaryDir settings;
    MessageRecorder recorder;
    ScopedMessageSink sink{&recorder};
    std::unique_ptr<TMainForm> main;
    QList<QUrl> opened;
    bool openerWorks = true;
};

TEST_F(HelpMenuTest, ContentsAndUsersManualOpenTheirFilesInTheProgramsFolder)
{
    struct Case {
        const char* action;
        const char* caption;
        const char* file;
    };
    for (const Case& c : {Case{"HelpContents", "&Contents", "help/index.html"},
                          Case{"HelpManual", "&User's Manual", "Tremx v3 Manual.pdf"}}) {
        SCOPED_TRACE(c.file);
        const QString path = ProgramFile(QString::fromUtf8(c.file));
        // The build puts both in the program's folder; without them the program has no help.
        ASSERT_TRUE(QFileInfo(path).isFile() && QFileInfo(path).size() > 0)
            << path.toStdString() << " is missing from the program's folder";
        QAction* action = main->Action(QString::fromLatin1(c.action));
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(c.caption));
        EXPECT_TRUE(main->Menu(QStringLiteral("HelpMenu"))->actions().contains(action));
        opened.clear();
        recorder.Clear();
        action->trigger();
        ASSERT_EQ(opened.size(), 1);
        EXPECT_EQ(opened.first(), QUrl::fromLocalFile(path));
        EXPECT_TRUE(opened.first().isLocalFile());
        EXPECT_EQ(opened.first().toLocalFile(), path);
        EXPECT_TRUE(recorder.Messages().isEmpty()) << recorder.LastText().toStdString();
    }
}

TEST_F(HelpMenuTest, TheHelpPagesAreOnePagePerChapterWithTheirStylesheet)
{
    const QDir help(ProgramFile(QStringLiteral("help")));
    ASSERT_TRUE(help.exists());
    EXPECT_TRUE(help.exists(QStringLiteral("manual.css")));
    const QStringList chapters =
        QDir(QStringLiteral(TREMEX_SOURCE_DIR "/doc/manual")).entryList({QStringLiteral("[0-9][0-9]-*.md")});
    ASSERT_FALSE(chapters.isEmpty());
    for (QString chapter : chapters) {
        chapter.replace(QStringLiteral(".md"), QStringLiteral(".html"));
        EXPECT_TRUE(help.exists(chapter)) << chapter.toStdString();
    }
}

TEST_F(HelpMenuTest, AnOpenerThatFailsIsToldWithThePath)
{
    openerWorks = false;
    main->Action(QStringLiteral("HelpManual"))->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(recorder.LastText(),
              QStringLiteral("The file %1 could not be opened.").arg(ProgramFile(QStringLiteral("Tremx v3 Manual.pdf"))));
}

}  // namespace
