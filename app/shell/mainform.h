// Main window of the main program (unit Main): `TMainForm`, the host of the data forms, the views
// and the 3-D view (app/ui/childhost.h).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The main window is the multiple-document frame of the program: it holds the one project
// (`TProject`, app/model/project.h: the project data and the thirteen grid tables), the 18 result
// graphs (`TGraphPlot`, plots/pltdata.h), the menus, the 3-D tool bar, the recent-file list and
// the registry settings (QSettings "Halvane"/"TREMEX", group "3.0.11"). It is a frame that
// delegates: the project to `TProject`, the run of an analysis to `TAnalysisRun` (run.h), the
// windows to the makers registered in app/program/registerwindows.cpp.
//
// Child windows. Every data form and view is made on demand by a maker registered for its kind:
//
//     main.RegisterChild(TChildKind::Title, [](TChildHost& h) -> QWidget* {
//         return new TdlgTitle(h.Project());   // no parent: the main window puts it in the MDI area
//     });
//
// The main window calls the maker when the command's window does not exist, keeps a guarded
// pointer to the window (so each kind exists at most once; the pointer clears itself when the
// window is freed), puts a window without parent into the MDI area as a sub-window that is
// freed when closed, and shows it. A maker that returns a window with a parent (a QDialog of its
// own, a window it put in the MDI area itself) is only shown. A command whose kind has no maker
// shows "This window is not available in this build." A maker may raise `Exception`.
//
// Data forms derive also from `TChildWindow`: the main window calls FormDeactivate of the active
// child before a menu opens and before the project is closed (the values being edited reach the
// project data), and FormActivate of every open data form after a unit switch (they reload their
// values and unit labels). The 3-D view derives also from `TBlockViewControl` (or has a child
// object that does), which the tool bar, the File items Save Bitmap / Print Page and the "Show 3D
// View" menu drive; its close signal is connected to TMainForm::Close3DView where the view is
// registered (the main window also notices when it is freed).
//
// Every message goes through the message interface (dataentry/util/messages.h); the file dialogs
// go through the replaceable OpenDialog / SaveDialog hooks (tests answer them).
#pragma once

#include "childhost.h"
#include "project.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QUrl;
class QDialog;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class TAboutBox;
class THelpWindow;
class TDlgRunAnalysis;
class TAnalysisRun;
class TGraphPlot;
class TMainForm;

class TMainForm : public QMainWindow, public TChildHost {
    Q_OBJECT

public:
    static constexpr int kRecentCount = 10;
    static constexpr int kWindowItems = 50;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // --- version and captions
    static QString GetVersion() { return QStringLiteral("3.0.11"); }
    // The project name for captions: "C:/Jobs/pump.tmx" gives "Pump", "a.tmx" gives "a".
    static QString CaptionName(const QString& path);
    // Window caption of the current project.
    void SetCaption();

    // --- the project
    TProject& Project() const override { return *m_project; }
    TProgramData& Data() const { return m_project->Data(); }
    TProjectTables& Tables() const { return m_project->Tables(); }
    bool IsModified() const;
    void SetModified(bool value);

    // --- start-up: the dialogs made at start (about box, progress window, amplitude dialog).
    void CreateDialogs();
    // The project named at start (default: the application's first argument); read when the
    // window first shows.
    void SetCommandLine(const QStringList& arguments) { m_arguments = arguments; m_argumentsSet = true; }
    // What showing the window for the first time does (registry, command-line project, caption).
    void FormShow();
    // Activation of the main window: loading items by LoadCode; Pile Coordinates disabled.
    void FormActivate();
    // After an activation of the main window: when the project's files were changed outside
    // this copy (Edit Input Text, another copy's save) since it read or saved them, asks whether
    // to read the project again (Reload) or keep it as it is here; once for each new state of
    // the files.
    void OfferReload();

    // --- project commands
    bool QuerySave();
    void FileNewClick();
    void FileOpenClick();
    // Save: Save As while the project has no name of its own. true when the files were written,
    // or read again (the user chose Reload: the project is then what the disk holds).
    //
    // Before a save over the project's own files (Save, Save As to the same name, the save
    // before a run, the save of Exit) the files on the disk are compared with what this copy
    // last read or wrote (ProjectFile::FilesState); when another copy or a text editor changed
    // them, the user chooses Reload, Overwrite or Cancel. Save As to another name asks before
    // it replaces any file a save writes there (project, mass and drawing-data file) and deletes
    // the report and plot data of that name, which are not this project's results. A project
    // that another running copy analyses is not saved (the message names that run).
    bool FileSaveClick();
    bool FileSaveAsClick();
    void OpenFileName(const QString& path);
    // A file dropped on the window opens as a project (the first one).
    void OpenDroppedFile(const QString& path);
    void OpenRecentFile(int index);

    // --- recent files and settings
    const QStringList& PrevFiles() const { return m_prevFiles; }
    int PrevFileCount() const { return m_prevFileCount; }
    void UpdatePrevFile(const QString& path);
    void UpdateRegistry();
    void ReadRegistry();
    QString WordProcessorPath() const { return m_wordProcessorPath; }
    void SetWordProcessorPath(const QString& path);

    // --- child windows
    QMdiArea* MdiArea() const { return m_mdi; }
    void RegisterChild(TChildKind kind, TChildMaker maker) override;
    void SetAmplitudeDialogMaker(TDialogMaker maker) override { m_ampMaker = std::move(maker); }
    QWidget* HostWindow() override { return this; }
    // The open window of a kind, none when it is not open.
    QWidget* Child(TChildKind kind) const;
    // Opens (or brings up) the window of a kind; none when it could not be made.
    QWidget* ShowChild(TChildKind kind) override;
    void CommitActiveChild();
    void CloseAllChildren();
    // After a unit switch: reloads the open forms and remakes the open table editors, leaving
    // every child window as it was (stacking order, active window, maximized or normal state,
    // place and size).
    void RefreshOpenForms();
    // Tells the open windows that the project data changed.
    void NotifyDataChanged();
    void UpdateLoadingMenus();
    void UpdateFoundationMenus();
    void Open3DView();
    void Close3DView();
    void ShowChildWindow(int index);
    // Window > Close (Ctrl+F4): asks the active child to close.
    void CloseActiveChild();

    // --- plots and the run of an analysis
    const QList<TGraphPlot*>& Plots() const { return m_plots; }
    TGraphPlot* Plot(const QString& objectName) const override;
    bool PlotDataRead() const { return m_plotDataRead; }
    // Reads the plot data of the current project into the 18 graphs (see plotreader.h); a file
    // that cannot be read or does not fit the project is told in a message.
    bool ReadPlotData(const QString& path);
    // No plot data: the plot windows close, the graphs are emptied, PlotDataRead is false.
    void ClearPlotData();
    // Run Analysis: saves the project and runs it through `TAnalysisRun` (run.h), whose signals
    // show the progress window and take the result. The engine runs on a worker thread while
    // this thread serves the windows; meanwhile the progress window is modal and no command
    // runs (Running()).
    void CompRunClick();
    bool Running() const;
    // The run of an analysis (one object for the window's lifetime).
    TAnalysisRun& AnalysisRun() const { return *m_run; }
    // The folder of names.dat, TAPE7 and TAPE8 (runfolder.h), chosen on the first call.
    // Raises EInOutError when none can be had.
    QString RunFolder();
    // After the engine returned: the message for its result (see Run::ResultMessage) and, when
    // the analysis ran, the plot data read back; else the plots are cleared.
    void TakeRunResult(int32_t result);
    // The engine library the run loads (default: libtremcalc.so in the program's folder).
    QString EngineLibraryPath() const;
    void SetEngineLibraryPath(const QString& path);
    // Opens a file in the external text editor: the "Word Processor" of the settings, or by
    // default the desktop's opener (xdg-open). The editor is watched to its end: one that cannot
    // start, crashes or ends with a failure status (the opener with no application for the file)
    // is told with the file's full path, the reason and what to do.
    void OpenInEditor(const QString& path);
    // Help > Contents: the help pages in the program's own help window.
    void OpenHelpContents();
    // Help > User's Manual: the PDF file through the desktop's opener, watched as the editor is.
    void OpenManual();
    // The help window, none before Help > Contents.
    THelpWindow* HelpWindow() const;
    // The default text editor: the desktop's opener.
    static QString DefaultWordProcessor();

    // --- dialogs of the file commands (replaceable; an empty result is Cancel)
    std::function<QString(const QString& title)> OpenDialog;
    std::function<QString(const QString& title, const QString& preset)> SaveDialog;
    // Opens a web address through the desktop (replaceable).
    std::function<bool(const QUrl& url)> OpenUrl;
    // Starts a program (the text editor, the desktop opener) without waiting and calls `failed`
    // on this thread with the reason when it crashes or ends with a failure status; false when
    // it cannot start (replaceable; ShellOpen::StartWatched by default).
    std::function<bool(const QString& program, const QStringList& arguments,
                       std::function<void(const QString& reason)> failed)>
        StartWatched;

    // --- menus, for the tests and the other units
    QAction* Action(const QString& objectName) const;
    QMenu* Menu(const QString& objectName) const;
    QToolBar* BlockToolBar() const { return m_toolBar; }
    TDlgRunAnalysis* ProgressWindow() const { return m_progress; }
    TAboutBox* AboutBox() const { return m_about; }
    // The menu handlers that run before a menu opens.
    void FileMenuClick();
    void DataMenuClick();
    void CompMenuClick();
    void GraphicsMenuClick();
    void WindowMenuClick();
    void Show3DMenuClick();
    void UnitsMenuClick();
    void HarmonicMenuClick();

    // The update-check address.
    QString UpdateCheckUrl() const;
    static QString ReleaseDate() { return QStringLiteral("12/10/26"); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate();
    void BuildMenus();
    void BuildToolBar();
    QAction* AddAction(QMenu* menu, const QString& name, const QString& caption,
                       std::function<void()> handler);
    QMenu* AddMenu(QMenu* parent, const QString& name, const QString& caption);
    // Runs a command: an Exception is shown through the message interface.
    void Guard(const std::function<void()>& command);
    void SetLoadCode(int code);
    void ApplyLoadingItems(int code);
    void ShowTable(TGridTable* table);
    TBlockViewControl* BlockView() const;
    void ShowPlotWindow(const QString& objectName);
    void ShowAmplitudeDialog();
    // The full path of a file of the program's folder; empty after the message that it is missing.
    QString ProgramFile(const QString& fileName);
    void AfterProjectRead(const QString& path);
    // Asks a window to close; `force` frees one that refused.
    void CloseChild(QWidget* window, bool force);
    // The MDI frame of a child window, or the window itself.
    static QWidget* FrameOf(QWidget* window);
    // After a save: tells the user when the analysis will not read the whole title.
    void TellTitleAsRead();
    // The save of Save and Save As (`saveAs`) to `path`, with the checks told at FileSaveClick.
    bool SaveTo(const QString& path, bool saveAs);
    // Whether the files on the disk (`state`) differ from what this copy last read or wrote.
    bool ChangedOnDisk(const ProjectFile::TFilesState& state) const;
    // The question about files changed outside: before a save, or after an activation.
    QString ChangeText(bool saving) const;
    // Empty when Save As to `target` replaces nothing; else the question, and in `results` the
    // report and plot data of that name that the save deletes.
    QString ReplaceText(const QString& target, QStringList& results) const;
    // Reads the project again from its file; false (with the message) when it cannot be read.
    bool ReloadProject();
    // The listeners of the run: the progress window and the commands while the engine runs,
    // the result after it.
    void RunStarted();
    void RunFinished(int32_t result);

    std::unique_ptr<TProject> m_project;
    QMdiArea* m_mdi = nullptr;
    QToolBar* m_toolBar = nullptr;
    QList<TGraphPlot*> m_plots;
    QList<QAction*> m_recentItems;
    QList<QAction*> m_windowItems;
    QAction* m_recentSeparator = nullptr;
    QAction* m_windowSeparator = nullptr;
    QAction* m_bitmapSeparator = nullptr;
    QAction* m_show3DMenuAction = nullptr;
    QAction* m_saveBitmapAction = nullptr;
    QAction* m_printPageAction = nullptr;
    QActionGroup* m_mouseModes = nullptr;

    std::array<TChildMaker, size_t(TChildKind::Count)> m_makers;
    std::array<QPointer<QWidget>, size_t(TChildKind::Count)> m_children;
    TDialogMaker m_ampMaker;
    QPointer<QDialog> m_ampDialog;
    TAboutBox* m_about = nullptr;
    QPointer<THelpWindow> m_help;
    TDlgRunAnalysis* m_progress = nullptr;

    TAnalysisRun* m_run = nullptr;

    QStringList m_prevFiles;
    int m_prevFileCount = 0;
    QString m_wordProcessorPath;
    bool m_wordProcessorDefault = true;
    bool m_plotDataRead = false;
    bool m_shown = false;
    bool m_inShowEvent = false;  // FormShow runs from the first show: its messages come after it
    bool m_destroying = false;
    bool m_argumentsSet = false;
    QStringList m_arguments;
    bool m_savingForRun = false;  // the save before this copy's run, which holds the run's lock
    bool m_asking = false;        // a question about the files on the disk is open
    bool m_changeShown = false;   // m_shownState holds the files' state last asked about
    ProjectFile::TFilesState m_shownState;
};
