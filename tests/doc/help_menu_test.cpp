// Help > Contents shows the help pages of the program's folder (the folder of this test,
// build/bin, as of Tremex3) in the program's own help window; Help > User's Manual opens the
// manual there through the desktop's opener.
#include "helpwindow.h"
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
#include <QTextBrowser>
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
        main->StartWatched = [this](const QString& program, const QStringList& arguments,
                                    std::function<void(const QString&)> failed) {
            opened << (QStringList{program} + arguments);
            if (!openerWorks) failed(QStringLiteral("the program %1 ended with the failure status 3").arg(program));
            return true;
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
    QList<QStringList> opened;
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
        EXPECT_TRUE(recorder.Messages().isEmpty()) << recorder.LastText().toStdString();
    }
    // The manual through the desktop's opener, the file as one argument.
    main->Action(QStringLiteral("HelpManual"))->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), (QStringList{QStringLiteral("xdg-open"), ProgramFile(QStringLiteral("Tremx v3 Manual.pdf"))}));
    // The contents in the program's own window: no opener.
    opened.clear();
    main->Action(QStringLiteral("HelpContents"))->trigger();
    EXPECT_TRUE(opened.isEmpty());
    THelpWindow* help = main->HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ(help->Browser()->source(), QUrl::fromLocalFile(ProgramFile(QStringLiteral("help/index.html"))));
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Contents - TREMEX 3.0.11 Help"));
    EXPECT_TRUE(recorder.Messages().isEmpty()) << recorder.LastText().toStdString();
}

// The pages are linked: a chapter from the contents, a section of another chapter from a
// chapter, back and forward through them, and the contents again; the figures load.
TEST_F(HelpMenuTest, TheHelpWindowFollowsTheLinksBackForwardAndToTheContents)
{
    main->Action(QStringLiteral("HelpContents"))->trigger();
    THelpWindow* help = main->HelpWindow();
    ASSERT_NE(help, nullptr);
    QTextBrowser* browser = help->Browser();
    const QUrl contents = QUrl::fromLocalFile(ProgramFile(QStringLiteral("help/index.html")));
    EXPECT_FALSE(help->BackAction()->isEnabled());
    // A link as the page holds it, followed as a click does (relative to the page).
    auto follow = [browser](const QString& href) {
        const QString html = browser->toHtml();
        EXPECT_TRUE(html.contains(QStringLiteral("href=\"") + href + QLatin1Char('"'))) << href.toStdString();
        browser->setSource(browser->source().resolved(QUrl(href)));
    };
    follow(QStringLiteral("04-results.html"));
    const QUrl results = QUrl::fromLocalFile(ProgramFile(QStringLiteral("help/04-results.html")));
    EXPECT_EQ(browser->source(), results);
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Views of the foundation")));
    EXPECT_TRUE(help->windowTitle().contains(QStringLiteral("Results"), Qt::CaseInsensitive))
        << help->windowTitle().toStdString();
    // A figure of the page is found beside it.
    EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource,
                                       results.resolved(QUrl(QStringLiteral("figures/view-top.png"))))
                     .isNull());
    EXPECT_TRUE(help->BackAction()->isEnabled());
    help->BackAction()->trigger();
    EXPECT_EQ(browser->source(), contents);
    EXPECT_TRUE(help->ForwardAction()->isEnabled());
    help->ForwardAction()->trigger();
    EXPECT_EQ(browser->source(), results);
    help->ContentsAction()->trigger();
    EXPECT_EQ(browser->source(), contents);
    // Help > Contents again: the one window, on its contents page.
    follow(QStringLiteral("07-messages.html"));
    main->Action(QStringLiteral("HelpContents"))->trigger();
    EXPECT_EQ(main->HelpWindow(), help);
    EXPECT_EQ(browser->source(), contents);
    EXPECT_TRUE(recorder.Messages().isEmpty()) << recorder.LastText().toStdString();
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

TEST_F(HelpMenuTest, AnOpenerThatFailsIsToldWithThePathAndWhatToDo)
{
    openerWorks = false;
    main->Action(QStringLiteral("HelpManual"))->trigger();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(recorder.LastText(),
              QStringLiteral("The file %1 could not be shown: the program xdg-open ended with the failure status 3.\r"
                             "Open the file by hand with a program that shows PDF files; Help > Contents shows the "
                             "same manual.")
                  .arg(ProgramFile(QStringLiteral("Tremx v3 Manual.pdf"))));
    // The contents open all the same.
    recorder.Clear();
    main->Action(QStringLiteral("HelpContents"))->trigger();
    ASSERT_NE(main->HelpWindow(), nullptr);
    EXPECT_TRUE(main->HelpWindow()->isVisible());
    EXPECT_TRUE(recorder.Messages().isEmpty());
}

}  // namespace
