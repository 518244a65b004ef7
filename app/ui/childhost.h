// What the child windows of the main program and their host know of each other (unit
// ChildHost): the kinds of child windows, what a data form or view offers its host
// (`TChildWindow`), what the 3-D view offers the tool bar and menus (`TBlockViewControl`), and
// the host itself (`TChildHost`), which the main window (app/shell/mainform.h) implements.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// This header is the one way between the windows and the main window: the data forms
// (app/forms/) and the views (views/) include it and never the main window, and the main window
// reaches them only through it. Which window is made for a kind, and what a window's signals are
// connected to, is decided in one place, app/program/registerwindows.cpp:
//
//     host.RegisterChild(TChildKind::Title, [](TChildHost& h) -> QWidget* {
//         return new TdlgTitle(h.Project());   // no parent: the host puts it in its MDI area
//     });
#pragma once

#include <QString>

#include <functional>

class QDialog;
class QWidget;
class TChildHost;
class TGraphPlot;
class TProject;

// The child window kinds of the main window, one open window each.
enum class TChildKind : int {
    Title,             // TdlgTitle ("Project Title")
    Options,           // TDlgOptions ("Control Options")
    Layout,            // TfrmLayout ("Foundation Options")
    Shape,             // TfrmShape ("Foundation Shape"), foundation and pile cap shape
    Massdata,          // TfrmMassdata ("Mass Data")
    NCPileProperties,  // TfrmNCPileProperties ("Pile Cap Properties")
    CPileProperties,   // TfrmCPileProperties ("Pile Properties")
    Foundations,       // TfrmFoundations ("Foundation Data"), foundation codes 1 and 3
    Multimat,          // TfrmMultimat ("Foundation Properties"), foundation code 4
    Tipsoil,           // TfrmTipsoil ("Soil Below The Footing")
    Harmonic,          // Tfrmharmonic (non-quadratic harmonic loading)
    Quad,              // TfrmQuad (quadratic harmonic loading)
    Transient,         // Tfrmtransient
    Random,            // Tfrmrandom
    TopView,           // TDlgTopView ("Top View")
    SideViewXZ,        // TDlgSideViewXZ
    SideViewYZ,        // TDlgSideViewYZ
    Block,             // TDlgBlock, the 3-D view
    Count
};

// Makes the window of one kind for the host.
using TChildMaker = std::function<QWidget*(TChildHost& host)>;
// Makes the amplitude dialog (created hidden at start, shown modally from the Graphics menu).
using TDialogMaker = std::function<QDialog*(TChildHost& host)>;

// What a data form offers the main window.
class TChildWindow {
public:
    virtual ~TChildWindow() = default;
    // Loads the values and unit labels from the project data.
    virtual void FormActivate() {}
    // Stores the values being edited into the project data.
    virtual void FormDeactivate() {}
    // The project data changed (the project was marked modified).
    virtual void DataChanged() {}
};

// What the 3-D view offers the main window's tool bar and menus.
class TBlockViewControl {
public:
    virtual ~TBlockViewControl() = default;
    virtual void SetView(int preset) = 0;  // 1 to 4
    virtual void ReverseView() = 0;
    virtual void Zooming(long double factor) = 0;
    virtual void RestartViewButtonClick() = 0;
    virtual void SetMouseMode(int mode) = 0;  // 1 panning, 2 zooming, 3 rotating, 4 zoom window
    virtual void SetZoomWindowArmed(bool armed) = 0;
    virtual void SaveBitmapButtonClick() = 0;
    virtual void PageSetupButtonClick() = 0;
    virtual void PrintButtonClick() = 0;
    virtual bool SoilLayerDepthLabelsVisible() const = 0;
    virtual bool SoilLayerLabelsVisible() const = 0;
    virtual bool SoilLayersVisible() const = 0;
    virtual bool PileCapVisible() const = 0;
    virtual bool PilesVisible() const = 0;
    virtual bool PileNumbersVisible() const = 0;
    virtual void ShowSoilLayerDepthLabelsOption() = 0;
    virtual void ShowSoilLayerLabelsOption() = 0;
    virtual void ShowSoilLayersOption() = 0;
    virtual void ShowPileCapOption() = 0;
    virtual void ShowAllPilesOption() = 0;
    virtual void ShowPileNumbersOption() = 0;
};

// What the main window offers the makers of its child windows.
class TChildHost {
public:
    virtual ~TChildHost() = default;
    // The one project of the main window (a new data object after every New and Open).
    virtual TProject& Project() const = 0;
    // A result graph by object name ("pltDxyzR"), none when there is none of that name.
    virtual TGraphPlot* Plot(const QString& objectName) const = 0;
    // The main window: the parent of the windows of their own (dialogs over it).
    virtual QWidget* HostWindow() = 0;
    // The maker of the window of a kind (see TChildMaker); the host calls it when the command's
    // window does not exist, puts a window without parent into its MDI area and shows it.
    virtual void RegisterChild(TChildKind kind, TChildMaker maker) = 0;
    // The maker of the amplitude dialog.
    virtual void SetAmplitudeDialogMaker(TDialogMaker maker) = 0;
    // Opens (or brings up) the window of a kind; none when it could not be made.
    virtual QWidget* ShowChild(TChildKind kind) = 0;
};
