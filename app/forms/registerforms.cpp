#include "forms/registerforms.h"

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
#include "mainform.h"

namespace RegisterForms {

void RegisterForms(TMainForm& main)
{
    // A form made without parent goes into the MDI area of the main window.
    auto child = [&main]<class F>(TChildKind kind) {
        main.RegisterChild(kind, [](TMainForm& m) -> QWidget* { return new F(m.Project()); });
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

    main.RegisterChild(TChildKind::Layout, [](TMainForm& m) -> QWidget* {
        auto* form = new TfrmLayout(m.Project());
        QObject::connect(form, &TfrmLayout::UpdateFoundationMenus, &m, [&m] { m.UpdateFoundationMenus(); });
        return form;
    });
    main.RegisterChild(TChildKind::Options, [](TMainForm& m) -> QWidget* {
        return new TDlgOptions(
            m.Project(), [&m] { return m.WordProcessorPath(); },
            [&m](const QString& path) { m.SetWordProcessorPath(path); });
    });
    // A window of its own (a dialog-style window over the main window), freed when closed.
    main.RegisterChild(TChildKind::Quad, [](TMainForm& m) -> QWidget* { return new TfrmQuad(m.Project(), &m); });
}

}  // namespace RegisterForms
