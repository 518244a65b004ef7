#include "registerwindows.h"

#include "ampplot.h"
#include "forms/foundationsform.h"
#include "forms/harmonicform.h"
#include "forms/layoutform.h"
#include "forms/massdataform.h"
#include "forms/multimatform.h"
#include "forms/optionsform.h"
#include "forms/pilecapform.h"
#include "forms/pilepropertiesform.h"
#include "forms/quadform.h"
#include "forms/randomform.h"
#include "forms/shapeform.h"
#include "forms/tipsoilform.h"
#include "forms/titleform.h"
#include "forms/transientform.h"
#include "gl/block.h"
#include "mainform.h"
#include "project.h"
#include "sideview.h"
#include "topview.h"

namespace RegisterWindows {

void RegisterForms(TMainForm& main)
{
    // A form made without parent goes into the MDI area of the main window.
    auto child = [&main]<class F>(TChildKind kind) {
        main.RegisterChild(kind, [](TChildHost& h) -> QWidget* { return new F(h.Project()); });
    };
    child.operator()<TdlgTitle>(TChildKind::Title);
    child.operator()<TfrmShape>(TChildKind::Shape);
    child.operator()<TfrmMassdata>(TChildKind::Massdata);
    child.operator()<TfrmNCPileProperties>(TChildKind::NCPileProperties);
    child.operator()<TfrmCPileProperties>(TChildKind::CPileProperties);
    child.operator()<TfrmFoundations>(TChildKind::Foundations);
    child.operator()<TfrmMultimat>(TChildKind::Multimat);
    child.operator()<TfrmTipsoil>(TChildKind::Tipsoil);
    child.operator()<Tfrmharmonic>(TChildKind::Harmonic);
    child.operator()<Tfrmtransient>(TChildKind::Transient);
    child.operator()<Tfrmrandom>(TChildKind::Random);

    main.RegisterChild(TChildKind::Layout, [&main](TChildHost& h) -> QWidget* {
        auto* form = new TfrmLayout(h.Project());
        QObject::connect(form, &TfrmLayout::UpdateFoundationMenus, &main, [&main] { main.UpdateFoundationMenus(); });
        return form;
    });
    main.RegisterChild(TChildKind::Options, [&main](TChildHost& h) -> QWidget* {
        return new TDlgOptions(
            h.Project(), [&main] { return main.WordProcessorPath(); },
            [&main](const QString& path) { main.SetWordProcessorPath(path); });
    });
    // A window of its own (a dialog-style window over the main window), freed when closed.
    main.RegisterChild(TChildKind::Quad,
                       [](TChildHost& h) -> QWidget* { return new TfrmQuad(h.Project(), h.HostWindow()); });
}

void RegisterViews(TMainForm& main)
{
    main.RegisterChild(TChildKind::TopView, [](TChildHost& h) -> QWidget* { return new TDlgTopView(h.Project()); });
    main.RegisterChild(TChildKind::SideViewXZ,
                       [](TChildHost& h) -> QWidget* { return new TDlgSideViewXZ(h.Project()); });
    main.RegisterChild(TChildKind::SideViewYZ,
                       [](TChildHost& h) -> QWidget* { return new TDlgSideViewYZ(h.Project()); });
    main.SetAmplitudeDialogMaker([](TChildHost& h) -> QDialog* {
        return new TDlgAmpPlot(h.Project(), h.Plot(QStringLiteral("pltDxyzR")), h.Plot(QStringLiteral("pltMxyzR")),
                               h.HostWindow());
    });
}

void RegisterBlockView(TMainForm& main)
{
    main.RegisterChild(TChildKind::Block, [&main](TChildHost& h) -> QWidget* {
        TProject* project = &h.Project();
        // The view asks for the data on every read: New and Open put a new data object in place.
        auto* view = new TDlgBlock([project]() -> const TProgramData* { return &project->Data(); });
        QObject::connect(view, &TDlgBlock::Closed3DView, &main, [&main] { main.Close3DView(); });
        return view;
    });
}

void RegisterAll(TMainForm& main)
{
    RegisterForms(main);
    RegisterViews(main);
    RegisterBlockView(main);
}

}  // namespace RegisterWindows
