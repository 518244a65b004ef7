// A second running copy of the main program for the tests of two copies on one project: the
// program's own main window (TMainForm) in a process of its own, driven by the steps of its
// command line, its messages printed on standard output, one line each ("Question: text", line
// ends shown as " | "), the questions answered by the steps. The settings go to the folder
// $TREMEX_COPY_SETTINGS.
//
//     tremex_copy PROJECT STEP...
//
// Steps, in order: title=TEXT (the project's title, as the title form would set it), save,
// run, answer=yes|no|cancel (the answer to the next question), engine=PATH (the engine library
// of the runs), mark=FILE (writes FILE), wait=FILE (waits, serving the window, until FILE
// exists). The program ends after the last step; its status is 0 when every step was done.
#include "mainform.h"
#include "util/messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <clocale>
#include <csignal>
#include <cstdio>

namespace {

// Prints every message and answers as the recorder does.
class TPrintingSink : public MessageRecorder {
public:
    void Information(QWidget* parent, const QString& text) override
    {
        Print("Information", text);
        MessageRecorder::Information(parent, text);
    }
    void Warning(QWidget* parent, const QString& text, const QString& place) override
    {
        Print("Warning", text);
        MessageRecorder::Warning(parent, text, place);
    }
    void Error(QWidget* parent, const QString& text) override
    {
        Print("Error", text);
        MessageRecorder::Error(parent, text);
    }
    Answer Question(QWidget* parent, const QString& text) override
    {
        Print("Question", text);
        return MessageRecorder::Question(parent, text);
    }
    Answer Confirm(QWidget* parent, const QString& text) override
    {
        Print("Confirmation", text);
        return MessageRecorder::Confirm(parent, text);
    }

private:
    static void Print(const char* kind, QString text)
    {
        text.replace(QChar(13), QStringLiteral(" | ")).replace(QChar(10), QStringLiteral(" | "));
        std::printf("%s: %s\n", kind, text.toUtf8().constData());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char* argv[])
{
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("TREMEX"));
    QApplication::setOrganizationName(QStringLiteral("Halvane"));
    const QString settings = qEnvironmentVariable("TREMEX_COPY_SETTINGS");
    if (settings.isEmpty()) return 2;
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) return 2;

    TPrintingSink sink;
    ScopedMessageSink scoped(&sink);
    TMainForm main;
    main.SetCommandLine({arguments[1]});
    main.CreateDialogs();
    main.FormShow();
    for (const QString& step : arguments.mid(2)) {
        const QString value = step.section(QLatin1Char('='), 1);
        if (step.startsWith(QLatin1String("title="))) {
            main.Data().ProjectTitle = value;
            main.SetModified(true);
        } else if (step == QLatin1String("save")) {
            main.FileSaveClick();
        } else if (step == QLatin1String("run")) {
            main.CompRunClick();
        } else if (step.startsWith(QLatin1String("answer="))) {
            sink.QueueAnswer(value == QLatin1String("yes")  ? MessageSink::Answer::Yes
                             : value == QLatin1String("no") ? MessageSink::Answer::No
                                                            : MessageSink::Answer::Cancel);
        } else if (step.startsWith(QLatin1String("engine="))) {
            main.SetEngineLibraryPath(value);
        } else if (step.startsWith(QLatin1String("mark="))) {
            QFile mark(value);
            if (!mark.open(QIODevice::WriteOnly)) return 3;
        } else if (step.startsWith(QLatin1String("wait="))) {
            QElapsedTimer waited;
            waited.start();
            while (!QFileInfo::exists(value)) {
                if (waited.elapsed() > 60000) return 4;
                QCoreApplication::processEvents();
                QThread::msleep(10);
            }
        } else {
            return 5;
        }
    }
    std::printf("end\n");
    return 0;
}
