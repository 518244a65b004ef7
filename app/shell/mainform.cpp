#include "mainform.h"

#include "about.h"
#include "childframes.h"
#include "helpwindow.h"
#include "plotreader.h"
#include "pltdata.h"
#include "plotform.h"
#include "progress.h"
#include "run.h"
#include "shellopen.h"
#include "projectfile.h"
#include "projectrun.h"
#include "projecttables.h"
#include "runlist.h"
#include "poissonratios.h"
#include "weakzones.h"
#include "table/tableform.h"
#include "util/docfolder.h"
#include "util/filedialog.h"
#include "util/filenames.h"
#include "util/dynlib.h"
#include "util/guard.h"
#include "util/messages.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include <algorithm>
#include <vector>
#include <tuple>

namespace {

QString L(const char* text) { return QString::fromLatin1(text); }

const QString kFilter = QStringLiteral("TREMEX 3.0.11 (*.tmx);;All Files (*.*)");
const QString kCaptionPrefix = QStringLiteral("TREMEX 3.0.11 - ");

// The registry of the program: organisation "Halvane", application "TREMEX", group "3.0.11".
class TRegistry {
public:
    TRegistry() : settings(QStringLiteral("Halvane"), QStringLiteral("TREMEX"))
    {
        settings.beginGroup(TMainForm::GetVersion());
    }
    QSettings settings;
};

QString FileValueName(int i) { return QStringLiteral("File%1").arg(i + 1); }

}  // namespace

// --- creation ------------------------------------------------------------------------------

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("MainForm"));
    m_project = std::make_unique<TProject>();
    // The windows that refer to the data close before another project takes over; the open
    // forms follow every change of the data and of the units.
    connect(m_project.get(), &TProject::AboutToReplace, this, [this] { CloseAllChildren(); });
    connect(m_project.get(), &TProject::ModifiedSet, this, [this](bool modified) {
        if (modified) NotifyDataChanged();
    });
    connect(m_project.get(), &TProject::UnitsChanged, this, [this] { RefreshOpenForms(); });

    m_run = new TAnalysisRun(this);
    connect(m_run, &TAnalysisRun::Started, this, &TMainForm::RunStarted);
    connect(m_run, &TAnalysisRun::Finished, this, [this](int32_t result) { RunFinished(result); });

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MdiArea"));
    // The window left behind has stored what it edited by now.
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] { NotifyDataChanged(); });
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    // Every child, whoever makes it, opens where it can be seen.
    ChildFrames::Install(m_mdi);

    m_plots = PltData::CreateResultPlots(this);
    // The plot windows and the table editors open in the MDI area.
    PltData::SetPlotOpener(TPlotForm::Opener(m_mdi));
    TableForm::InstallEditor(m_mdi);

    OpenDialog = [this](const QString& title) {
        QFileDialog dialog(this, title, DocFolder::StartFolder(), kFilter);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setDefaultSuffix(QStringLiteral("tmx"));
        // A folder holding names that are no UTF-8 text: the dialog cannot list them, the user
        // is told so (once per folder).
        QStringList told;
        const auto notice = [&dialog, &told](const QString& folder) {
            if (told.contains(folder)) return;
            told << folder;
            const QString text = FileNames::FolderNotice(folder);
            if (!text.isEmpty()) Messages::Information(&dialog, text);
        };
        connect(&dialog, &QFileDialog::directoryEntered, &dialog, notice);
        QTimer::singleShot(0, &dialog, [&dialog, notice] { notice(dialog.directory().absolutePath()); });
        return FileDialog::Exec(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    SaveDialog = [this](const QString& title, const QString& preset) {
        QFileDialog dialog(this, title, QString(), kFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("tmx"));
        // Every file the save would replace is asked about at once after the dialog (the mass
        // file of another project without its project file too).
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        const QFileInfo info(preset);
        dialog.setDirectory(info.isAbsolute() ? info.absolutePath() : DocFolder::StartFolder());
        dialog.selectFile(info.fileName());
        return FileDialog::Exec(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
                   ? dialog.selectedFiles().first()
                   : QString();
    };
    OpenUrl = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    StartWatched = &ShellOpen::StartWatched;

    FormCreate();
    resize(1000, 720);
}

TMainForm::~TMainForm()
{
    m_destroying = true;
    // The child windows refer to the project: they go first.
    for (QMdiSubWindow* w : m_mdi->subWindowList()) delete w;
    for (auto& child : m_children) delete child.data();
}

void TMainForm::FormCreate()
{
    setAcceptDrops(true);
    for (int i = 0; i < kRecentCount; ++i) m_prevFiles << QString();
    {
        TRegistry registry;
        SetWordProcessorPath(registry.settings.value(L("Word Processor")).toString());
    }
    BuildMenus();
    BuildToolBar();
    m_toolBar->hide();
    m_show3DMenuAction->setVisible(false);
    SetCaption();
}

void TMainForm::CreateDialogs()
{
    if (!m_about) m_about = new TAboutBox(GetVersion(), this);
    if (!m_progress) m_progress = new TDlgRunAnalysis(this);
    if (m_ampMaker && !m_ampDialog) {
        Guard([this] {
            m_ampDialog = m_ampMaker(*this);
            if (m_ampDialog) m_ampDialog->hide();
        });
    }
}

QString TMainForm::DefaultWordProcessor()
{
    // Not $VISUAL or $EDITOR: a terminal editor started from the desktop runs without a
    // terminal and shows nothing.
    return ShellOpen::DesktopOpener();
}

void TMainForm::SetWordProcessorPath(const QString& path)
{
    m_wordProcessorDefault = path.trimmed().isEmpty();
    m_wordProcessorPath = m_wordProcessorDefault ? DefaultWordProcessor() : path;
}

// --- captions and modified state ---------------------------------------------------------

QString TMainForm::CaptionName(const QString& path)
{
    QString name = QFileInfo(path).fileName();
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    if (dot >= 0 && name.mid(dot).compare(QStringLiteral(".tmx"), Qt::CaseInsensitive) == 0)
        name = name.left(int(name.indexOf(QLatin1Char('.'))));
    if (name.size() > 1) name[0] = name[0].toUpper();
    return name;
}

void TMainForm::SetCaption()
{
    setWindowTitle(kCaptionPrefix + CaptionName(Data().FileName));
    // The caption follows every change of the project's name; so do the file dialogs.
    DocFolder::SetProjectFile(Data().FileName);
}

bool TMainForm::IsModified() const { return m_project->IsModified(); }

void TMainForm::SetModified(bool value) { m_project->SetModified(value); }

// --- start-up ------------------------------------------------------------------------------

void TMainForm::ReadRegistry()
{
    TRegistry registry;
    QSettings& s = registry.settings;
    if (s.status() == QSettings::NoError) {
        SetWordProcessorPath(s.value(L("Word Processor")).toString());
        for (int i = 0; i < kRecentCount; ++i) m_prevFiles[i] = s.value(FileValueName(i)).toString();
    } else {
        SetWordProcessorPath(QString());
        for (QString& f : m_prevFiles) f.clear();
    }
    m_prevFileCount = 0;
    for (const QString& f : m_prevFiles)
        if (!f.isEmpty()) ++m_prevFileCount;
}

void TMainForm::UpdateRegistry()
{
    TRegistry registry;
    QSettings& s = registry.settings;
    // The editor taken from the environment is not written: it follows the environment.
    s.setValue(L("Word Processor"), m_wordProcessorDefault ? QString() : m_wordProcessorPath);
    for (int i = 0; i < kRecentCount; ++i) s.setValue(FileValueName(i), m_prevFiles[i]);
    s.sync();
}

void TMainForm::FormShow()
{
    ReadRegistry();
    // The dialogs of a new project open where the user worked last.
    DocFolder::SetProjectFile(m_prevFiles[0]);
    const QStringList arguments = m_argumentsSet ? m_arguments : QCoreApplication::arguments().mid(1);
    if (!arguments.isEmpty() && !arguments.first().isEmpty()) {
        QString path = arguments.first();
        if (!path.contains(QLatin1Char('.'))) path += QStringLiteral(".tmx");
        // Messages of the first showing come once the main window is on the screen.
        const auto tell = [this](const QString& text) {
            if (m_inShowEvent) QTimer::singleShot(0, this, [this, text] { Messages::Error(this, text); });
            else Messages::Error(this, text);
        };
        if (QFileInfo(path).isFile()) {
            try {
                m_project->Open(path);
                AfterProjectRead(Data().FileName);
            } catch (const Exception& e) {
                // The new project stays.
                tell(e.message());
            }
        } else if (const QString notUtf8 = FileNames::NotUtf8Message(path); !notUtf8.isEmpty()) {
            tell(notUtf8);  // a file that exists under a name the program cannot hold
        }
    }
    UpdateLoadingMenus();
    SetCaption();
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        m_inShowEvent = true;
        Guard([this] { FormShow(); });
        m_inShowEvent = false;
    }
}

void TMainForm::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
        // After the event: the question is a window of its own, which activation must not wait on.
        QTimer::singleShot(0, this, [this] {
            if (isActiveWindow()) OfferReload();
        });
    }
}

void TMainForm::FormActivate()
{
    ApplyLoadingItems(Data().LoadCode);
    Action(L("DataPileCoord"))->setEnabled(false);
}

// --- project commands ----------------------------------------------------------------------

void TMainForm::Guard(const std::function<void()>& command) { Guard::Run(this, command); }

bool TMainForm::QuerySave()
{
    if (!IsModified()) return true;
    switch (Messages::Question(this, QStringLiteral("Do you want to save any changes?"))) {
    case MessageSink::Answer::No:
        return true;
    case MessageSink::Answer::Yes:
        // A save that failed or was cancelled keeps the project open.
        return FileSaveClick() && QFileInfo(Data().FileName).fileName() != DataUnit::kNewFileName;
    default:
        return false;
    }
}

void TMainForm::AfterProjectRead(const QString& path)
{
    const QString plotFile = ProjectFile::ChangeFileExt(path, QStringLiteral(".tmq"));
    if (QFileInfo::exists(plotFile)) m_plotDataRead = ReadPlotData(plotFile);
}

void TMainForm::FileNewClick()
{
    CommitActiveChild();
    if (!QuerySave()) return;
    m_project->New();
    ClearPlotData();
    SetCaption();
    UpdateLoadingMenus();
    if (Child(TChildKind::Block)) Close3DView();
}

void TMainForm::FileOpenClick()
{
    CommitActiveChild();
    if (!QuerySave()) return;
    const QString path = OpenDialog ? OpenDialog(QStringLiteral("Open")) : QString();
    if (!path.isEmpty()) OpenFileName(path);
}

void TMainForm::OpenFileName(const QString& path)
{
    const QFileInfo info(path);
    QDir::setCurrent(info.absolutePath());
    m_project->Open(info.absoluteFilePath());
    UpdateLoadingMenus();
    SetCaption();
    AfterProjectRead(Data().FileName);
    UpdatePrevFile(Data().FileName);
}

void TMainForm::OpenDroppedFile(const QString& path)
{
    if (!QuerySave()) return;
    const QFileInfo info(path);
    QDir::setCurrent(info.absolutePath());
    m_project->Open(info.absoluteFilePath());
    SetCaption();
    AfterProjectRead(Data().FileName);
}

void TMainForm::OpenRecentFile(int index)
{
    if (index < 0 || index >= kRecentCount) return;
    const QString path = m_prevFiles[index];
    if (path.isEmpty()) return;
    CommitActiveChild();
    if (QuerySave()) OpenFileName(path);
}

bool TMainForm::FileSaveClick()
{
    if (QFileInfo(Data().FileName).fileName() == DataUnit::kNewFileName) return FileSaveAsClick();
    return SaveTo(Data().FileName, false);
}

bool TMainForm::ChangedOnDisk(const ProjectFile::TFilesState& state) const
{
    // A project file that has gone holds nothing to read again or to lose: the save writes it.
    return state.HasProject() && state != m_project->FilesAsKnown();
}

QString TMainForm::ChangeText(bool saving) const
{
    const QString lead = QStringLiteral("The project file %1 was changed outside this copy of the program (by a text "
                                        "editor or another copy of the program) since this copy read or saved it.")
                             .arg(QDir::toNativeSeparators(Data().FileName)) +
                         QChar(13);
    if (saving)
        return lead + QStringLiteral("Reload reads the project again as it is on the disk now (the changes made here "
                                     "since it was last saved are dropped); Overwrite saves the project as it is here "
                                     "over the changed file; Cancel saves nothing.");
    return lead + QStringLiteral("Reload reads the project again as it is on the disk now (the changes made here since "
                                 "it was last saved are dropped); Keep leaves the project here as it is (a save then "
                                 "asks again).");
}

bool TMainForm::ReloadProject()
{
    const QString path = Data().FileName;
    try {
        m_project->Open(path);
    } catch (const Exception& e) {
        // The file on the disk cannot be read (a hand edit the program does not take): the
        // project here stays, and nothing is saved.
        Messages::Error(this, e.message());
        return false;
    }
    UpdateLoadingMenus();
    SetCaption();
    ClearPlotData();
    AfterProjectRead(Data().FileName);
    return true;
}

void TMainForm::OfferReload()
{
    if (m_asking || Running() || QApplication::activeModalWidget()) return;
    if (QFileInfo(Data().FileName).fileName() == DataUnit::kNewFileName) return;
    const ProjectFile::TFilesState state = ProjectFile::FilesState(Data().FileName);
    if (!ChangedOnDisk(state) || (m_changeShown && state == m_shownState)) return;
    // Asked once for each state of the files: Keep is not asked again on every activation.
    m_changeShown = true;
    m_shownState = state;
    m_asking = true;
    CommitActiveChild();
    const auto answer = Messages::Choose(this, ChangeText(false), QStringLiteral("Reload"), QStringLiteral("Keep"), false);
    m_asking = false;
    if (answer == MessageSink::Answer::Yes) ReloadProject();
}

bool TMainForm::SaveTo(const QString& path, bool saveAs)
{
    const QString target = QFileInfo(path).absoluteFilePath();
    const bool own = target == Data().FileName ||
                     (QFileInfo::exists(target) && QFileInfo(target).canonicalFilePath() ==
                                                       QFileInfo(Data().FileName).canonicalFilePath());
    // The files change between the question and the save only when another copy saves at that
    // very moment: the question comes again for what they hold then.
    for (int attempt = 0; attempt < 10; ++attempt) {
        TSaveOptions options;
        options.OwnRun = m_savingForRun && own;
        const ProjectFile::TFilesState state = ProjectFile::FilesState(own ? Data().FileName : target);
        if (own) {
            if (ChangedOnDisk(state)) {
                m_asking = true;
                const auto answer = Messages::Choose(this, ChangeText(true), QStringLiteral("Reload"),
                                                     QStringLiteral("Overwrite"), true);
                m_asking = false;
                m_changeShown = true;
                m_shownState = state;
                if (answer == MessageSink::Answer::Yes) return ReloadProject();
                if (answer != MessageSink::Answer::No) return false;
            }
        } else {
            const QString question = ReplaceText(target, options.Remove);
            // The safe answer, which writes nothing, is the default.
            if (!question.isEmpty() &&
                Messages::Choose(this, question, QStringLiteral("Replace"), QStringLiteral("Cancel"), false) !=
                    MessageSink::Answer::Yes)
                return false;
        }
        options.Expect = state;
        try {
            if (saveAs)
                m_project->SaveAs(target, options);
            else
                m_project->Save(options);
        } catch (const EFilesChanged&) {
            continue;
        } catch (const ERunRefused& e) {
            Messages::Information(this, e.message());
            SetCaption();
            return false;
        } catch (const Exception& e) {
            Messages::Error(this, e.message());
            SetCaption();
            return false;
        }
        SetCaption();
        if (saveAs) UpdatePrevFile(Data().FileName);
        TellTitleAsRead();
        return true;
    }
    Messages::Error(this, QStringLiteral("The project file %1 keeps being changed on the disk; it was not saved.")
                              .arg(QDir::toNativeSeparators(target)));
    return false;
}

QString TMainForm::ReplaceText(const QString& target, QStringList& results) const
{
    // Every file a save writes under the new name, and the results of that name, which would
    // else pass for this project's: another project's, or left by one that was there.
    QStringList replaced;
    for (const char* ext : {".tmx", ".tmm", ".tmt"}) {
        const QString file = ProjectFile::ChangeFileExt(target, QLatin1String(ext));
        if (QFileInfo(file).exists() || QFileInfo(file).isSymLink()) replaced << QDir::toNativeSeparators(file);
    }
    results.clear();
    for (const char* ext : {".tmo", ".tmq"}) {
        const QString file = ProjectFile::ChangeFileExt(target, QLatin1String(ext));
        if (QFileInfo(file).exists() || QFileInfo(file).isSymLink()) results << file;
    }
    if (replaced.isEmpty() && results.isEmpty()) return QString();
    QString text;
    if (!replaced.isEmpty())
        text = QStringLiteral("Saving the project as %1 replaces files that this project did not write: %2.")
                   .arg(QDir::toNativeSeparators(target), replaced.join(QStringLiteral(", ")));
    if (!results.isEmpty()) {
        QStringList shown;
        for (const QString& file : results) shown << QDir::toNativeSeparators(file);
        if (!text.isEmpty()) text += QChar(13);
        text += QStringLiteral("The report and plot data of that name (%1) are not this project's results: the save "
                               "deletes them, so that they are not taken for its results.")
                    .arg(shown.join(QStringLiteral(", ")));
    }
    return text + QChar(13) + QStringLiteral("Do you want to replace them?");
}

void TMainForm::TellTitleAsRead()
{
    const QString notice = ProjectFile::TitleNotice(Data().ProjectTitle);
    if (!notice.isEmpty()) Messages::Information(this, notice);
}

bool TMainForm::FileSaveAsClick()
{
    const QString title = QStringLiteral("Save ") + CaptionName(Data().FileName) + QStringLiteral(" As");
    const QString path = SaveDialog ? SaveDialog(title, Data().FileName) : QString();
    if (path.isEmpty()) return false;
    return SaveTo(path, true);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (Running()) {  // the window stays until the engine has returned
        event->ignore();
        return;
    }
    CommitActiveChild();
    if (!QuerySave()) {
        event->ignore();
        return;
    }
    UpdateRegistry();
    CloseAllChildren();
    event->accept();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    if (Running()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    const QString path = urls.first().toLocalFile();
    Guard([this, path] { OpenDroppedFile(path); });
}

// --- recent files ----------------------------------------------------------------------------

void TMainForm::UpdatePrevFile(const QString& path)
{
    if (m_prevFiles[0] == path) return;
    int found = kRecentCount - 1;  // not in the list: the last entry is dropped
    for (int i = 1; i < kRecentCount; ++i) {
        if (m_prevFiles[i] == path) {
            found = i;
            break;
        }
    }
    for (int i = found; i > 0; --i) m_prevFiles[i] = m_prevFiles[i - 1];
    m_prevFiles[0] = path;
    UpdateRegistry();
    m_prevFileCount = 0;
    for (const QString& f : m_prevFiles)
        if (!f.isEmpty()) ++m_prevFileCount;
}

void TMainForm::FileMenuClick()
{
    CommitActiveChild();
    QString prefix = QDir::currentPath();
    if (!prefix.endsWith(QLatin1Char('/'))) prefix += QLatin1Char('/');
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* item = m_recentItems[i];
        if (i < m_prevFileCount) {
            QString shown = m_prevFiles[i];
            if (shown.startsWith(prefix)) shown = shown.mid(prefix.size());
            shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
            item->setText(QString::number(i + 1) + QLatin1Char(' ') + shown);
            item->setVisible(true);
        } else {
            item->setVisible(false);
        }
    }
    m_recentSeparator->setVisible(m_prevFileCount > 0);
}

// --- plots ---------------------------------------------------------------------------------

TGraphPlot* TMainForm::Plot(const QString& objectName) const
{
    for (TGraphPlot* p : m_plots)
        if (p->objectName() == objectName) return p;
    return nullptr;
}

bool TMainForm::ReadPlotData(const QString& path)
{
    // Open plot windows show the old data and refer to curves by index: they close first.
    for (TGraphPlot* p : m_plots)
        if (TPlotForm* window = p->PlotWindow()) TPlotForm::FreeWindow(window);
    PlotReader::TPlotProject project;
    project.UnitSystem = Data().UnitSystem;
    project.MatrixFlag = Data().MatrixFlag;
    project.LoadCode = Data().LoadCode;
    QString problem;
    const bool read = PlotReader::ReadPlotData(path, project, m_plots, &problem);
    if (!problem.isEmpty()) Messages::Information(this, problem);
    return read;
}

void TMainForm::ClearPlotData()
{
    for (TGraphPlot* p : m_plots)
        if (TPlotForm* window = p->PlotWindow()) TPlotForm::FreeWindow(window);
    PlotReader::ClearPlots(m_plots);
    m_plotDataRead = false;
}

// --- run of an analysis ---------------------------------------------------------------------

bool TMainForm::Running() const { return m_run->Running(); }

QString TMainForm::RunFolder() { return m_run->RunFolder(); }

QString TMainForm::EngineLibraryPath() const { return m_run->EngineLibraryPath(); }

void TMainForm::SetEngineLibraryPath(const QString& path) { m_run->SetEngineLibraryPath(path); }

void TMainForm::CompRunClick()
{
    // One run at a time: the engine's state is one static record.
    if (Running() || TAnalysisRun::EngineBusy()) return;
    // A weak-zone ratio the analysis cannot compute is shown in its table, and nothing runs.
    if (const auto cell = WeakZones::FirstRefused(Data())) {
        Messages::Warning(this, WeakZones::RefusalText(), WeakZones::Place(*cell));
        ShowTable(cell->table);
        return;
    }
    // So is a Poisson's ratio that no soil has, in its table or its field.
    if (const auto place = PoissonRatios::FirstRefused(Data())) {
        Messages::Warning(this, PoissonRatios::RefusalText(), PoissonRatios::Place(*place));
        if (place->table)
            ShowTable(place->table);
        else
            ShowChild(TChildKind::Tipsoil);
        return;
    }
    // A project that another running copy is analysing is refused before it is saved, so that
    // the refusal changes nothing.
    if (QFileInfo(Data().FileName).fileName() != DataUnit::kNewFileName) {
        try {
            m_run->Reserve(Data().FileName);
        } catch (const Exception& e) {
            Messages::Information(this, e.message());
            return;
        }
    }
    // The project is saved first; a project that still has no name is not run. The run's lock
    // taken above is this copy's own: the save does not take it for another copy's run.
    m_savingForRun = true;
    const bool saved = FileSaveClick();
    m_savingForRun = false;
    if (!saved || QFileInfo(Data().FileName).fileName() == DataUnit::kNewFileName) {
        m_run->Release();
        return;
    }
    try {
        m_run->Run(Data().FileName, GetVersion());
    } catch (const EDLLError& e) {
        Messages::Information(this, e.message());  // the engine library could not be loaded
    } catch (const Exception& e) {
        Messages::Error(this, e.message());  // no run folder or run list
    }
}

void TMainForm::RunStarted()
{
    if (m_progress) {
        m_progress->SetRunning(true);
        m_progress->show();
        m_progress->raise();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        m_progress->repaint();
    }
    Action(QStringLiteral("CompRun"))->setEnabled(false);
}

void TMainForm::RunFinished(int32_t result)
{
    Action(QStringLiteral("CompRun"))->setEnabled(true);
    if (m_progress) {
        m_progress->hide();
        m_progress->SetRunning(false);
    }
    TakeRunResult(result);
}

void TMainForm::TakeRunResult(int32_t result)
{
    const QString report = TAnalysisRun::ReportPathOf(Data().FileName);
    if (result != Run::kResultCompleted && result != Run::kResultUnsolved) {
        // No results of this run: the plots of an earlier run would pass for them.
        ClearPlotData();
        // A refused run says why: the engine's own messages, else the user has to open the report.
        // An output that could not be written: which file and why (the report is the earlier one).
        const QStringList errors = result == Run::kResultOutputFailed ? m_run->FailureLines()
                                   : result == Run::kResultRefused && !m_run->FailureLines().isEmpty()
                                       ? m_run->FailureLines()
                                   : result == Run::kResultRefused ? Run::ReadReportErrors(report)
                                                                   : QStringList();
        Messages::Information(this, Run::ResultMessage(result, report, errors));
        return;
    }
    // A run that failed at some frequencies says how many (the engine's line); its plots hold the
    // others.
    const QStringList counts = result == Run::kResultUnsolved ? m_run->FailureLines() : QStringList();
    Messages::Information(this, Run::ResultMessage(result, report, counts));
    const QString plotFile = ProjectFile::ChangeFileExt(Data().FileName, QStringLiteral(".tmq"));
    if (QFileInfo::exists(plotFile)) {
        try {
            m_plotDataRead = ReadPlotData(plotFile);
        } catch (const Exception& e) {
            Messages::Error(this, e.message());
        }
    }
}

// --- text editor and shell -------------------------------------------------------------------

void TMainForm::OpenInEditor(const QString& path)
{
    // The editor's own path may hold blanks; else it is a command with arguments ("code -w").
    QString program = m_wordProcessorPath;
    QStringList arguments;
    if (!QFileInfo(program).isFile()) {
        arguments = QProcess::splitCommand(program);
        program = arguments.isEmpty() ? QString() : arguments.takeFirst();
    }
    arguments << path;
    const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    // The desktop's opener started detached and forgotten would fail unseen ("no method
    // available" for the file type): every editor is watched to its end.
    const auto tell = [file](QWidget* owner, const QString& reason) {
        Messages::Information(owner, QStringLiteral("An error occurred in running the Word Processor") + QChar(13) +
                                         QStringLiteral("The file %1 could not be shown: %2.").arg(file, reason) + QChar(13) +
                                         QStringLiteral("Name a text editor under Text Editor in Data > Control Options, "
                                                        "or open the file by hand."));
    };
    QPointer<TMainForm> self(this);
    if (program.isEmpty() || !StartWatched ||
        !StartWatched(program, arguments, [self, tell](const QString& reason) {
            if (self) tell(self, reason);
        }))
        tell(this, ShellOpen::NotStartedReason(program.isEmpty() ? m_wordProcessorPath : program));
}

QString TMainForm::ProgramFile(const QString& fileName)
{
    const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
    if (!QFileInfo::exists(path)) {
        Messages::Information(this, QStringLiteral("The file %1 could not be found.").arg(path));
        return QString();
    }
    return path;
}

THelpWindow* TMainForm::HelpWindow() const { return m_help; }

void TMainForm::OpenHelpContents()
{
    // The program's own window: the help always opens, whatever the desktop has for HTML files.
    const QString contents = ProgramFile(L("help/index.html"));
    if (contents.isEmpty()) return;
    if (!m_help) m_help = new THelpWindow(contents, this);
    m_help->ShowContents();
    m_help->show();
    if (m_help->isMinimized()) m_help->showNormal();
    m_help->raise();
    m_help->activateWindow();
}

void TMainForm::OpenManual()
{
    const QString manual = ProgramFile(L("Tremx v3 Manual.pdf"));
    if (manual.isEmpty()) return;
    const QString opener = ShellOpen::DesktopOpener();
    const auto tell = [manual](QWidget* owner, const QString& reason) {
        Messages::Information(owner, QStringLiteral("The file %1 could not be shown: %2.").arg(manual, reason) + QChar(13) +
                                         QStringLiteral("Open the file by hand with a program that shows PDF files; "
                                                        "Help > Contents shows the same manual."));
    };
    QPointer<TMainForm> self(this);
    if (!StartWatched || !StartWatched(opener, {manual}, [self, tell](const QString& reason) {
            if (self) tell(self, reason);
        }))
        tell(this, ShellOpen::NotStartedReason(opener));
}

QString TMainForm::UpdateCheckUrl() const
{
    TRegistry registry;
    QString server = registry.settings.value(L("Update Server")).toString().trimmed();
    if (server.isEmpty()) server = QStringLiteral("https://www.halvane.example");
    while (server.endsWith(QLatin1Char('/'))) server.chop(1);
    return server + QStringLiteral("/checkupdates/check/check.php?TREMEX;") + GetVersion() +
           QLatin1Char(';') + ReleaseDate();
}

// --- child windows -------------------------------------------------------------------------

void TMainForm::RegisterChild(TChildKind kind, TChildMaker maker) { m_makers[size_t(kind)] = std::move(maker); }

QWidget* TMainForm::Child(TChildKind kind) const { return m_children[size_t(kind)].data(); }

QWidget* TMainForm::ShowChild(TChildKind kind)
{
    QPointer<QWidget>& slot = m_children[size_t(kind)];
    if (!slot) {
        const TChildMaker& maker = m_makers[size_t(kind)];
        if (!maker) {
            Messages::Information(this, QStringLiteral("This window is not available in this build."));
            return nullptr;
        }
        QWidget* window = maker(*this);
        if (!window) return nullptr;
        slot = window;
        if (!window->parentWidget()) {
            window->setAttribute(Qt::WA_DeleteOnClose);
            QMdiSubWindow* sub = m_mdi->addSubWindow(window);
            sub->setAttribute(Qt::WA_DeleteOnClose);
        }
        // A view freed without closing first (its frame deleted) still hides the 3-D items; the
        // note is queued, since `destroyed` comes while the frame's window tree is half freed,
        // and it is dropped when the main window goes first or another view is open by then.
        if (kind == TChildKind::Block)
            connect(window, &QObject::destroyed, this, [this] {
                if (!Child(TChildKind::Block)) Close3DView();
            }, Qt::QueuedConnection);
    }
    QWidget* window = slot.data();
    QWidget* frame = window;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) frame = sub;
    frame->show();
    if (frame->isMinimized()) frame->showNormal();
    frame->raise();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) m_mdi->setActiveSubWindow(sub);
    else window->activateWindow();
    return window;
}

void TMainForm::CommitActiveChild()
{
    QMdiSubWindow* sub = m_mdi->activeSubWindow();
    if (!sub) return;
    if (auto* child = dynamic_cast<TChildWindow*>(sub->widget())) {
        Guard([child] { child->FormDeactivate(); });
    }
}

void TMainForm::CloseChild(QWidget* window, bool force)
{
    QPointer<QWidget> guard(window);
    window->close();
    // A window that refused to close would keep references into a project that goes now.
    if (force && guard) delete guard.data();
    // A closed window may live on until its deferred deletion: it no longer counts as open.
    if (!guard || guard->isHidden()) {
        for (auto& child : m_children)
            if (child && (child.data() == window || FrameOf(child.data()) == window)) child = nullptr;
    }
}

QWidget* TMainForm::FrameOf(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget())) return sub;
    return window;
}

void TMainForm::CloseAllChildren()
{
    if (!m_mdi) return;  // the project is being made with the window
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) CloseChild(sub, true);
    for (auto& child : m_children)
        if (child) CloseChild(child.data(), true);
}

void TMainForm::RefreshOpenForms()
{
    if (!m_mdi) return;
    // The data forms and the 2-D views.
    for (int k = int(TChildKind::Title); k <= int(TChildKind::SideViewYZ); ++k) {
        if (auto* child = dynamic_cast<TChildWindow*>(m_children[size_t(k)].data()))
            Guard([child] { child->FormActivate(); });
    }
    // The table editors are made again with the new units, each in the place of the one it
    // replaces. Showing a new window moves the active state (and, from a maximized window, the
    // maximized state) to it: the layout of every window is taken down first and put back after.
    struct Place {
        QPointer<QMdiSubWindow> sub;
        Qt::WindowStates state;
        QRect geometry;
        TGridTable* table = nullptr;  // the table whose editor the window holds
    };
    std::vector<Place> places;
    const QMdiSubWindow* active = m_mdi->activeSubWindow();
    size_t activeIndex = SIZE_MAX;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::StackingOrder)) {
        if (sub == active) activeIndex = places.size();
        places.push_back({sub, sub->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized), sub->geometry()});
    }
    // While the layout is put back, activating a window maximizes nothing.
    struct NoMaximizeOnActivation {
        QMdiArea* area;
        bool was = area->testOption(QMdiArea::DontMaximizeSubWindowOnActivation);
        explicit NoMaximizeOnActivation(QMdiArea* mdi) : area(mdi) { area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation); }
        ~NoMaximizeOnActivation() { area->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, was); }
    } noMaximize(m_mdi);
    for (TGridTable* table : Tables().All()) {
        auto* editor = dynamic_cast<QWidget*>(table->Editor());
        if (!editor) continue;
        QWidget* frame = FrameOf(editor);
        table->ReopenEditor();
        for (Place& place : places)
            if (place.sub == frame) place.table = table;
    }
    for (Place& place : places) {
        if (place.table) {
            auto* editor = dynamic_cast<QWidget*>(place.table->Editor());
            place.sub = editor ? qobject_cast<QMdiSubWindow*>(editor->parentWidget()) : nullptr;
        }
        QMdiSubWindow* sub = place.sub;
        if (!sub || sub->isHidden()) continue;
        const Qt::WindowStates state = sub->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized);
        if (state == place.state) {
            if (!place.state && !place.table && sub->geometry() != place.geometry) sub->setGeometry(place.geometry);
            continue;
        }
        if (place.state & Qt::WindowMaximized) {
            sub->showMaximized();
        } else if (place.state & Qt::WindowMinimized) {
            sub->showMinimized();
        } else {
            sub->showNormal();
            // An editor takes the size it had as one the user gave (its captions may have grown).
            if (place.table)
                place.table->Editor()->SetPlacement(place.geometry);
            else
                sub->setGeometry(place.geometry);
        }
    }
    for (Place& place : places)
        if (place.sub) place.sub->raise();
    if (activeIndex < places.size() && places[activeIndex].sub) m_mdi->setActiveSubWindow(places[activeIndex].sub);
}

void TMainForm::NotifyDataChanged()
{
    if (m_destroying || !m_mdi) return;
    for (auto& slot : m_children)
        if (auto* child = dynamic_cast<TChildWindow*>(slot.data())) Guard([child] { child->DataChanged(); });
}

void TMainForm::ShowChildWindow(int index)
{
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
    if (index < 0 || index >= windows.size()) return;
    QMdiSubWindow* sub = windows[index];
    sub->show();
    if (sub->isMinimized()) sub->showNormal();
    m_mdi->setActiveSubWindow(sub);
}

void TMainForm::ShowTable(TGridTable* table)
{
    if (table) table->ShowEditor();
}

// --- loading and foundation items --------------------------------------------------------------

void TMainForm::ApplyLoadingItems(int code)
{
    Action(L("DataHarmonic"))->setChecked(code == 1);
    Action(L("DataTransient"))->setChecked(code == 2);
    Action(L("DataRandom"))->setChecked(code == 3);
    Menu(L("DataHarmonicData"))->menuAction()->setEnabled(code == 1);
    Action(L("DataTransientData"))->setEnabled(code == 2);
    Action(L("DataRandomData"))->setEnabled(code == 3);
}

void TMainForm::UpdateLoadingMenus()
{
    TProgramData& d = Data();
    if (d.LoadWord == L("HARMONIC")) d.LoadCode = 1;
    else if (d.LoadWord == L("TRANSIENT")) d.LoadCode = 2;
    else if (d.LoadWord == L("RANDOM")) d.LoadCode = 3;
    ApplyLoadingItems(d.LoadCode);
    const TChildKind harmonic = d.QuadraticFlag == 1 ? TChildKind::Quad : TChildKind::Harmonic;
    const TChildKind chosen = d.LoadCode == 1 ? harmonic : d.LoadCode == 2 ? TChildKind::Transient
                                                                          : TChildKind::Random;
    if (Child(chosen)) {
        for (TChildKind k : {TChildKind::Harmonic, TChildKind::Quad, TChildKind::Transient, TChildKind::Random})
            if (k != chosen && Child(k)) CloseChild(FrameOf(Child(k)), false);
    }
}

void TMainForm::SetLoadCode(int code)
{
    TProgramData& d = Data();
    if (d.LoadCode != code) {
        d.LoadCode = code;
        SetModified(true);
    }
    // The loading word read from a file must not force the choice back.
    d.LoadWord = code == 1 ? L("HARMONIC") : code == 2 ? L("TRANSIENT") : L("RANDOM");
    UpdateLoadingMenus();
}

void TMainForm::UpdateFoundationMenus()
{
    const QString& word = Data().FoundationWord;
    bool pile;
    if (word == L("PILE")) pile = true;
    else if (word == L("HALF-SPACE") || word == L("STRATUM") || word == L("MULTILAYER")) pile = false;
    else return;
    for (const char* name : {"DataPileProperties", "DataPileElements", "DataPileCoord"})
        Action(L(name))->setEnabled(pile);
}

void TMainForm::DataMenuClick()
{
    CommitActiveChild();
    TProgramData& d = Data();
    const QString& word = d.FoundationWord;
    int column;
    if (word == L("HALF-SPACE")) column = 0;
    else if (word == L("PILE")) column = 1;
    else if (word == L("STRATUM")) column = 2;
    else if (word == L("MULTILAYER")) column = 3;
    else return;
    const bool pile = column == 1, multi = column == 3;
    for (const char* name : {"DataPileProperties", "DataPileElements", "DataPileCoord",
                             "DataPileCapMass", "DataPileCapShape"})
        Action(L(name))->setEnabled(pile);
    for (const char* name : {"DataFoundations", "DataFootingMass", "DataShape"})
        Action(L(name))->setEnabled(!pile);
    Action(L("DataFoundationLayer"))->setEnabled(multi);
    Action(L("DataSoilLayer"))->setEnabled(pile);
    Action(L("DataTipSoil"))->setEnabled(true);
    Action(L("DataSideSoil"))->setEnabled(column != 2);
    static const char* captions[4] = {"Side Soil of Fondation", "Side Soil of Pile Cap", "Side Soil",
                                      "Side Soil of Fondation"};
    Action(L("DataSideSoil"))->setText(L(captions[column]));
    Action(L("DataSoilColumn"))->setEnabled(multi);
    if (multi) {
        TProjectTables& t = Tables();
        if (t.MultiElement->RowCount() > 1)
            t.Multisoil->SetRowCount(std::max(0, t.MultiElement->RowCount() - t.D->RowCount()));
    }
}

void TMainForm::UnitsMenuClick()
{
    Action(L("DataEnglish"))->setChecked(Data().UnitSystem == 1);
    Action(L("DataSI"))->setChecked(Data().UnitSystem == 2);
}

void TMainForm::HarmonicMenuClick()
{
    Action(L("DataNonQuadratic"))->setChecked(Data().QuadraticFlag == 0);
    Action(L("DataQuadratic"))->setChecked(Data().QuadraticFlag == 1);
}

void TMainForm::CompMenuClick()
{
    CommitActiveChild();
    const QString& f = Data().FileName;
    Action(L("CompInput"))->setEnabled(QFileInfo::exists(f));
    Action(L("CompKernel"))->setEnabled(QFileInfo::exists(ProjectFile::ChangeFileExt(f, L(".tmr"))));
    Action(L("CompOutput"))->setEnabled(QFileInfo::exists(ProjectFile::ChangeFileExt(f, L(".tmo"))));
}

void TMainForm::GraphicsMenuClick()
{
    const bool data = m_plotDataRead && QFileInfo::exists(ProjectFile::ChangeFileExt(Data().FileName, L(".tmq")));
    const bool matrix = data && Data().MatrixFlag != 0;
    const bool response = data && Data().LoadCode == 1;
    for (const char* name : {"GraphKxx", "GraphKppx", "GraphCxx", "GraphCppx"}) Action(L(name))->setEnabled(matrix);
    for (const char* name : {"GraphDisplacement", "GraphRotation", "GraphInteractive"})
        Action(L(name))->setEnabled(response);
}

void TMainForm::WindowMenuClick()
{
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
    for (int i = 0; i < kWindowItems; ++i) {
        QAction* item = m_windowItems[i];
        if (i < windows.size()) {
            QString caption = windows[i]->windowTitle();
            caption.replace(QLatin1Char('&'), QStringLiteral("&&"));
            item->setText(caption);
            item->setData(i);
            item->setVisible(true);
        } else {
            item->setVisible(false);
        }
    }
    m_windowSeparator->setVisible(!windows.isEmpty());
    Action(L("WindowClose"))->setEnabled(!windows.isEmpty());
}

void TMainForm::CloseActiveChild()
{
    QMdiSubWindow* sub = m_mdi->activeSubWindow();
    if (!sub) sub = m_mdi->currentSubWindow();
    // A window that refuses (an invalid entry in its focused field) says why and stays.
    if (sub) CloseChild(sub, false);
}

// --- 3-D view ------------------------------------------------------------------------------

TBlockViewControl* TMainForm::BlockView() const
{
    QWidget* view = Child(TChildKind::Block);
    if (!view) return nullptr;
    if (auto* control = dynamic_cast<TBlockViewControl*>(view)) return control;
    for (QObject* child : view->children())
        if (auto* control = dynamic_cast<TBlockViewControl*>(child)) return control;
    return nullptr;
}

void TMainForm::Open3DView()
{
    // The tool bar first: the area it takes from the frame is no longer there for the view.
    const bool shown = m_toolBar->isVisible();
    m_toolBar->show();
    if (!ShowChild(TChildKind::Block)) {
        m_toolBar->setVisible(shown);
        return;
    }
    m_show3DMenuAction->setVisible(true);
    m_bitmapSeparator->setVisible(true);
    m_saveBitmapAction->setVisible(true);
    m_printPageAction->setVisible(true);
}

void TMainForm::Close3DView()
{
    if (m_destroying) return;
    m_children[size_t(TChildKind::Block)] = nullptr;
    // Only the main window's own items: the view may be closing from inside a window tree
    // that is being freed, which must not be searched.
    m_toolBar->hide();
    m_show3DMenuAction->setVisible(false);
    m_bitmapSeparator->setVisible(false);
    m_saveBitmapAction->setVisible(false);
    m_printPageAction->setVisible(false);
}

void TMainForm::Show3DMenuClick()
{
    TBlockViewControl* v = BlockView();
    if (!v) return;
    Action(L("ShowDepthLabels"))->setChecked(v->SoilLayerDepthLabelsVisible());
    Action(L("ShowLayerLabels"))->setChecked(v->SoilLayerLabelsVisible());
    Action(L("ShowSoilLayers"))->setChecked(v->SoilLayersVisible());
    Action(L("ShowFoundation"))->setChecked(v->PileCapVisible());
    Action(L("ShowPiles"))->setChecked(v->PilesVisible());
    Action(L("ShowPileNumbers"))->setChecked(v->PileNumbersVisible());
}

// --- menus ---------------------------------------------------------------------------------

QAction* TMainForm::Action(const QString& objectName) const
{
    QAction* a = findChild<QAction*>(objectName);
    if (!a) throw EListError(QStringLiteral("No menu item %1").arg(objectName));
    return a;
}

QMenu* TMainForm::Menu(const QString& objectName) const
{
    QMenu* m = findChild<QMenu*>(objectName);
    if (!m) throw EListError(QStringLiteral("No menu %1").arg(objectName));
    return m;
}

QAction* TMainForm::AddAction(QMenu* menu, const QString& name, const QString& caption,
                              std::function<void()> handler)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (handler) connect(a, &QAction::triggered, this, [this, handler] {
        if (!Running()) Guard(handler);  // no command while the engine runs
    });
    return a;
}

QMenu* TMainForm::AddMenu(QMenu* parent, const QString& name, const QString& caption)
{
    QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name + L("Item"));
    return m;
}

void TMainForm::ShowPlotWindow(const QString& objectName)
{
    if (TGraphPlot* p = Plot(objectName)) p->ShowPlot();
}

void TMainForm::ShowAmplitudeDialog()
{
    if (!m_ampDialog && m_ampMaker) m_ampDialog = m_ampMaker(*this);
    if (!m_ampDialog) {
        Messages::Information(this, QStringLiteral("This window is not available in this build."));
        return;
    }
    m_ampDialog->exec();
}

void TMainForm::BuildMenus()
{
    auto on = [this](QMenu* m, void (TMainForm::*handler)()) {
        connect(m, &QMenu::aboutToShow, this, [this, handler] { Guard([this, handler] { (this->*handler)(); }); });
    };

    // File.
    QMenu* file = AddMenu(nullptr, L("FileMenu"), L("&File"));
    on(file, &TMainForm::FileMenuClick);
    AddAction(file, L("FileNew"), L("&New"), [this] { FileNewClick(); })->setShortcut(QKeySequence::New);
    AddAction(file, L("FileOpen"), L("&Open..."), [this] { FileOpenClick(); })->setShortcut(QKeySequence::Open);
    AddAction(file, L("FileSave"), L("&Save"), [this] { CommitActiveChild(); FileSaveClick(); })
        ->setShortcut(QKeySequence::Save);
    AddAction(file, L("FileSaveAs"), L("Save &As..."), [this] { CommitActiveChild(); FileSaveAsClick(); });
    m_recentSeparator = file->addSeparator();
    for (int i = 0; i < kRecentCount; ++i) {
        QAction* item = AddAction(file, QStringLiteral("FileRecent%1").arg(i + 1), QString(),
                                  [this, i] { OpenRecentFile(i); });
        item->setVisible(false);
        m_recentItems << item;
    }
    m_recentSeparator->setVisible(false);
    m_bitmapSeparator = file->addSeparator();
    m_saveBitmapAction = AddAction(file, L("FileSaveBitmap"), L("Save Bitmap"), [this] {
        if (TBlockViewControl* v = BlockView()) v->SaveBitmapButtonClick();
    });
    AddAction(file, L("FilePageSetup"), L("Page Setup"), [this] {
        if (TBlockViewControl* v = BlockView()) v->PageSetupButtonClick();
    })->setVisible(false);
    m_printPageAction = AddAction(file, L("FilePrintPage"), L("Print Page"), [this] {
        if (TBlockViewControl* v = BlockView()) v->PrintButtonClick();
    });
    m_bitmapSeparator->setVisible(false);
    Action(L("FileSaveBitmap"))->setVisible(false);
    Action(L("FilePrintPage"))->setVisible(false);
    file->addSeparator();
    AddAction(file, L("FileExit"), L("E&xit"), [this] { close(); });

    // Data.
    QMenu* data = AddMenu(nullptr, L("DataMenu"), L("&Data"));
    on(data, &TMainForm::DataMenuClick);
    auto form = [this](TChildKind kind) { return [this, kind] { ShowChild(kind); }; };
    AddAction(data, L("DataTitle"), L("&Title"), form(TChildKind::Title));
    QMenu* units = AddMenu(data, L("DataUnits"), L("&Units"));
    on(units, &TMainForm::UnitsMenuClick);
    auto* unitGroup = new QActionGroup(this);
    for (auto [name, caption, system] : {std::tuple{"DataEnglish", "&English Units (lbs, slug, ft)", 1},
                                         std::tuple{"DataSI", "&SI Units (kN, Mg, m)", 2}}) {
        QAction* a = AddAction(units, L(name), L(caption), [this, system = system] { m_project->SetUnits(system); });
        a->setCheckable(true);
        unitGroup->addAction(a);
    }
    data->addSeparator();
    AddAction(data, L("DataLayout"), L("Option of Foundation System"), form(TChildKind::Layout));
    QMenu* loading = AddMenu(data, L("DataLoading"), L("Option of Loading"));
    for (auto [name, caption, code] : {std::tuple{"DataHarmonic", "Harmonic Loading", 1},
                                       std::tuple{"DataTransient", "Transient Loading", 2},
                                       std::tuple{"DataRandom", "Random Loading", 3}}) {
        AddAction(loading, L(name), L(caption), [this, code = code] { SetLoadCode(code); })->setCheckable(true);
    }
    AddAction(data, L("DataShape"), L("Option of Foundation Shape"), form(TChildKind::Shape));
    data->addSeparator();
    AddAction(data, L("DataFootingMass"), L("Footing Mass Parameters"), form(TChildKind::Massdata));
    AddAction(data, L("DataFoundations"), L("Foundation Dimension and Constants"), [this] {
        const int code = Data().FoundationCode;
        if (code == 1 || code == 3) ShowChild(TChildKind::Foundations);
        else if (code == 4) ShowChild(TChildKind::Multimat);
    });
    AddAction(data, L("DataFoundationLayer"), L("Foundation Layer"), [this] { ShowTable(Tables().MultiElement); });
    data->addSeparator();
    AddAction(data, L("DataPileCapShape"), L("Pile Cap Shape/Dimension"), form(TChildKind::Shape));
    AddAction(data, L("DataPileCapMass"), L("Pile Cap Mass Properties"), form(TChildKind::NCPileProperties));
    AddAction(data, L("DataPileCoord"), L("Pile Coordinates"), [this] { ShowTable(Tables().Pilecoord); });
    AddAction(data, L("DataPileProperties"), L("&Pile Properties"), form(TChildKind::CPileProperties));
    AddAction(data, L("DataPileElements"), L("Pile Elements"), [this] { ShowTable(Tables().PileData); });
    data->addSeparator();
    AddAction(data, L("DataSoilLayer"), L("Soil &Layer Data"), [this] {
        if (Data().FoundationCode == 2) ShowTable(Tables().D);
    });
    AddAction(data, L("DataTipSoil"), L("Soil Data Below Footing/PileTip"), form(TChildKind::Tipsoil));
    AddAction(data, L("DataSideSoil"), L("Side Soil of Fondation"), [this] {
        switch (Data().FoundationCode) {
        case 1: ShowTable(Tables().D1); break;
        case 2: ShowTable(Tables().pilecapsoil); break;
        case 3:
        case 4: ShowTable(Tables().D); break;
        default: break;
        }
    });
    AddAction(data, L("DataSoilColumn"), L("Soil Column Layer"), [this] { ShowTable(Tables().Multisoil); });
    data->addSeparator();
    QMenu* harmonic = AddMenu(data, L("DataHarmonicData"), L("Harmonic Loading Data"));
    on(harmonic, &TMainForm::HarmonicMenuClick);
    AddAction(harmonic, L("DataQuadratic"), L("Quadratic"), [this] {
        if (!ShowChild(TChildKind::Quad)) return;
        if (Data().QuadraticFlag != 1) SetModified(true);
        Data().QuadraticFlag = 1;
        HarmonicMenuClick();
    })->setCheckable(true);
    AddAction(harmonic, L("DataNonQuadratic"), L("NonQuadratic"), [this] {
        if (!ShowChild(TChildKind::Harmonic)) return;
        if (Data().QuadraticFlag != 0) SetModified(true);
        Data().QuadraticFlag = 0;
        HarmonicMenuClick();
    })->setCheckable(true);
    AddAction(data, L("DataTransientData"), L("Transient Loading Data"), form(TChildKind::Transient));
    AddAction(data, L("DataRandomData"), L("Random Loading Data"), form(TChildKind::Random));
    data->addSeparator();
    AddAction(data, L("DataOptions"), L("Control &Options..."), form(TChildKind::Options));

    // Computation.
    QMenu* comp = AddMenu(nullptr, L("CompMenu"), L("&Computation"));
    on(comp, &TMainForm::CompMenuClick);
    AddAction(comp, L("CompRun"), L("&Run Analysis"), [this] { CompRunClick(); });
    AddAction(comp, L("CompInput"), L("Edit I&nput Text"), [this] { OpenInEditor(Data().FileName); });
    AddAction(comp, L("CompKernel"), L("Edit &Processor-Run Notes"),
              [this] { OpenInEditor(ProjectFile::ChangeFileExt(Data().FileName, L(".tmr"))); });
    AddAction(comp, L("CompOutput"), L("Edit &Output Text"),
              [this] { OpenInEditor(ProjectFile::ChangeFileExt(Data().FileName, L(".tmo"))); });

    // Graphics.
    QMenu* graphics = AddMenu(nullptr, L("GraphicsMenu"), L("&Graphics"));
    on(graphics, &TMainForm::GraphicsMenuClick);
    for (auto [name, caption, plot] :
         {std::tuple{"GraphKxx", "&Translational Stiffness (Kxx, Kyy, Kww)", "pltRealKXX"},
          std::tuple{"GraphKppx", "Rotational Stiffness (Kppx, Kppy, Kzt)", "pltRealKPPX"},
          std::tuple{"GraphCxx", "Translational Damping (Cxx, Cyy, Cww)", "pltDampCXX"},
          std::tuple{"GraphCppx", "Rotational Damping (Cppx, Cppy, Czt)", "pltDampCPPX"},
          std::tuple{"GraphDisplacement", "Footing Response Amplitude (Displacement)", "pltDxyzR"},
          std::tuple{"GraphRotation", "Footing Response Amplitude (Rotation)", "pltMxyzR"}}) {
        const QString plotName = L(plot);
        AddAction(graphics, L(name), L(caption), [this, plotName] { ShowPlotWindow(plotName); });
    }
    AddAction(graphics, L("GraphInteractive"), L("Interactive Footing Response Amplitude "),
              [this] { ShowAmplitudeDialog(); });

    // View Geometry.
    QMenu* view = AddMenu(nullptr, L("ViewMenu"), L("View Geometry"));
    AddAction(view, L("ViewTop"), L("Top View"), form(TChildKind::TopView));
    AddAction(view, L("ViewSideXZ"), L("Side View (XZ-Plane)"), form(TChildKind::SideViewXZ));
    AddAction(view, L("ViewSideYZ"), L("Side View (YZ-Plane)"), form(TChildKind::SideViewYZ));
    AddAction(view, L("View3D"), L("3D View"), [this] { Open3DView(); });

    // Window.
    QMenu* window = AddMenu(nullptr, L("WindowMenu"), L("&Window"));
    on(window, &TMainForm::WindowMenuClick);
    AddAction(window, L("WindowCascade"), L("&Cascade"), [this] { m_mdi->cascadeSubWindows(); });
    AddAction(window, L("WindowArrange"), L("&Arrange Icons"), [this] {
        // The minimized windows side by side along the bottom of the frame, in the order of the
        // Window menu; a row that is full goes on in a new row above it.
        const QRect area = m_mdi->viewport()->rect();
        int x = 0, bottom = area.bottom() + 1, rowHeight = 0;
        for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
            if (!sub->isMinimized() || sub->isHidden()) continue;
            const QSize size = sub->size();
            if (x > 0 && x + size.width() > area.width()) {
                x = 0;
                bottom -= rowHeight;
                rowHeight = 0;
            }
            sub->move(x, std::max(0, bottom - size.height()));
            x += size.width();
            rowHeight = std::max(rowHeight, size.height());
        }
    });
    // The desktop's keys of child windows: Ctrl+F4 closes the active one, Ctrl+Tab and Ctrl+F6
    // go to the next one, with Shift to the previous one (in the order of the list below).
    QAction* close = AddAction(window, L("WindowClose"), L("C&lose"), [this] { CloseActiveChild(); });
    close->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
    for (auto [name, next] : {std::pair{"WindowNext", true}, std::pair{"WindowPrevious", false}}) {
        auto* cycle = new QAction(this);
        cycle->setObjectName(L(name));
        cycle->setShortcuts(next ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Tab),
                                                       QKeySequence(Qt::CTRL | Qt::Key_F6)}
                                 : QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                                                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6)});
        connect(cycle, &QAction::triggered, this, [this, next = next] {
            if (Running()) return;
            if (next) m_mdi->activateNextSubWindow();
            else m_mdi->activatePreviousSubWindow();
        });
        addAction(cycle);
    }
    connect(m_mdi, &QMdiArea::subWindowActivated, close, [this, close] {
        close->setEnabled(!m_mdi->subWindowList().isEmpty());
    });
    m_windowSeparator = window->addSeparator();
    m_windowSeparator->setVisible(false);
    for (int i = 0; i < kWindowItems; ++i) {
        QAction* item = AddAction(window, QStringLiteral("WindowChild%1").arg(i + 1), QString(), nullptr);
        connect(item, &QAction::triggered, this, [this, item] { ShowChildWindow(item->data().toInt()); });
        item->setVisible(false);
        m_windowItems << item;
    }

    // Show 3D View.
    QMenu* show3D = AddMenu(nullptr, L("Show3DMenu"), L("Show 3D View"));
    m_show3DMenuAction = show3D->menuAction();
    on(show3D, &TMainForm::Show3DMenuClick);
    using Option = void (TBlockViewControl::*)();
    for (auto [name, caption, option] :
         {std::tuple{"ShowFoundation", "Foundation", Option(&TBlockViewControl::ShowPileCapOption)},
          std::tuple{"ShowPiles", "Piles", Option(&TBlockViewControl::ShowAllPilesOption)},
          std::tuple{"ShowPileNumbers", "Pile Numbers", Option(&TBlockViewControl::ShowPileNumbersOption)},
          std::tuple{"ShowSoilLayers", "Soil Layers", Option(&TBlockViewControl::ShowSoilLayersOption)},
          std::tuple{"ShowLayerLabels", "Soil Layer Labels", Option(&TBlockViewControl::ShowSoilLayerLabelsOption)},
          std::tuple{"ShowDepthLabels", "Soil Layer Depth Labels",
                     Option(&TBlockViewControl::ShowSoilLayerDepthLabelsOption)}}) {
        AddAction(show3D, L(name), L(caption), [this, option = option] {
            if (TBlockViewControl* v = BlockView()) (v->*option)();
        })->setCheckable(true);
    }

    // Help.
    QMenu* help = AddMenu(nullptr, L("HelpMenu"), L("&Help"));
    connect(help, &QMenu::aboutToShow, this, [this] { CommitActiveChild(); });
    AddAction(help, L("HelpContents"), L("&Contents"), [this] { OpenHelpContents(); });
    AddAction(help, L("HelpManual"), L("&User's Manual"), [this] { OpenManual(); });
    AddAction(help, L("HelpAbout"), L("&About..."), [this] {
        if (!m_about) m_about = new TAboutBox(GetVersion(), this);
        m_about->exec();
    });
    AddAction(help, L("HelpUpdates"), L("Check for &Updates"), [this] {
        if (!OpenUrl || !OpenUrl(QUrl(UpdateCheckUrl())))
            Messages::Information(this, QStringLiteral("The address %1 could not be opened.").arg(UpdateCheckUrl()));
    });
}

void TMainForm::BuildToolBar()
{
    m_toolBar = addToolBar(L("3D View"));
    m_toolBar->setObjectName(L("ToolBar3D"));
    auto add = [this](const QString& name, const QString& text, const QString& hint, std::function<void()> handler) {
        QAction* a = m_toolBar->addAction(text);
        a->setObjectName(name);
        if (!hint.isEmpty()) a->setToolTip(hint);
        connect(a, &QAction::triggered, this, [this, handler] {
            if (!Running()) Guard(handler);
        });
        return a;
    };
    for (int preset = 1; preset <= 4; ++preset) {
        add(QStringLiteral("ToolView%1").arg(preset), QStringLiteral("View %1").arg(preset), QString(), [this, preset] {
            if (TBlockViewControl* v = BlockView()) v->SetView(preset);
        });
    }
    add(L("ToolReverse"), L("Reverse"), QString(), [this] {
        if (TBlockViewControl* v = BlockView()) v->ReverseView();
    });
    m_toolBar->addSeparator();
    m_mouseModes = new QActionGroup(this);
    m_mouseModes->setExclusive(true);
    for (auto [name, text, hint, mode] : {std::tuple{"ToolPan", "Pan", "Panning", 1},
                                          std::tuple{"ToolZoom", "Zoom", "Zooming", 2},
                                          std::tuple{"ToolZoomWindow", "Window", "Zoom Window", 4},
                                          std::tuple{"ToolRotate", "Rotate", "Rotating", 3}}) {
        QAction* a = add(L(name), L(text), L(hint), [this, mode = mode] {
            if (TBlockViewControl* v = BlockView()) {
                v->SetMouseMode(mode);
                v->SetZoomWindowArmed(Action(L("ToolZoomWindow"))->isChecked());
            }
        });
        a->setCheckable(true);
        m_mouseModes->addAction(a);
    }
    m_toolBar->addSeparator();
    add(L("ToolZoomIn"), L("Zoom In"), QString(), [this] {
        if (TBlockViewControl* v = BlockView()) v->Zooming(1.4142L);
    });
    add(L("ToolZoomOut"), L("Zoom Out"), QString(), [this] {
        // The reciprocal of the zoom-in factor.
        if (TBlockViewControl* v = BlockView()) v->Zooming(0.7071135624381275633L);
    });
    add(L("ToolRestart"), L("Restart"), QString(), [this] {
        if (TBlockViewControl* v = BlockView()) v->RestartViewButtonClick();
    });
}
