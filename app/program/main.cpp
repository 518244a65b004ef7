// Tremex3: the main program of TREMEX.
//
// Start-up: the application (title "TREMEX"), then in this order the main window, the about box,
// the progress window and the amplitude dialog, all but the main window hidden; the data forms
// and the views are made when first opened (their makers are registered with the main window
// below, app/program/registerwindows.h; a command whose window has no maker tells the user so).
// Showing the main window reads the settings and opens the project named as the first argument
// (".tmx" appended when the name holds no "."), else starts a new project.
#include "gl/glwindow.h"
#include "mainform.h"
#include "registerwindows.h"

#include <QApplication>

#include <clocale>
#include <csignal>

int main(int argc, char* argv[])
{
    // A write beyond a file size limit fails and is reported like a full disk, instead of
    // ending the program with the user's work.
    std::signal(SIGXFSZ, SIG_IGN);
    TglWindow::PrepareApplication();
    QApplication app(argc, argv);
    // Numbers in files and on screen never follow the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("TREMEX"));
    // No display name: it would be appended to the window caption; message boxes take the
    // application name as their title.
    QApplication::setOrganizationName(QStringLiteral("Halvane"));
    QApplication::setApplicationVersion(TMainForm::GetVersion());

    TMainForm main;
    // The makers of the data forms, the views and the amplitude dialog, and their signals.
    RegisterWindows::RegisterAll(main);
    main.CreateDialogs();
    main.show();
    return app.exec();
}
