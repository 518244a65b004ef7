// Screenshots of data forms with the values of a project (run under xvfb-run): the foundation
// options, the pile properties and the harmonic loading, the mass data after a calculation and
// two forms in the main window; with a second argument also every other form. Writes PNG files
// into the folder given as the first argument.
#include "forms/foundationsform.h"
#include "forms/harmonicform.h"
#include "forms/multimatform.h"
#include "forms/optionsform.h"
#include "forms/quadform.h"
#include "forms/randomform.h"
#include "forms/shapeform.h"
#include "forms/tipsoilform.h"
#include "forms/titleform.h"
#include "forms/transientform.h"
#include "forms/layoutform.h"
#include "forms/massdataform.h"
#include "forms/pilepropertiesform.h"
#include "registerwindows.h"
#include "mainform.h"
#include "projectbuild.h"

#include <QApplication>
#include <QMdiArea>
#include <QScreen>
#include <QDir>
#include <QTest>

#include <clocale>

namespace {

void Shoot(TDataForm* form, const QString& path)
{
    form->show();
    form->activateWindow();
    (void)QTest::qWaitForWindowActive(form);
    form->FormActivate();
    QTest::qWait(100);
    form->grab().save(path);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    TProject pile;
    build::Fill(pile, build::Foundation::Pile, build::Load::Harmonic);
    // Values as a user types them.
    pile.Data().PilePoisson = 0.2L;
    pile.Data().PileDamping = 0.02L;
    pile.Data().ShearCoefficient = 1.1L;
    TProject footing;
    build::Fill(footing, build::Foundation::HalfSpace, build::Load::Harmonic);

    auto* layout = new TfrmLayout(pile);
    Shoot(layout, folder.filePath(QStringLiteral("foundation-options.png")));
    auto* properties = new TfrmCPileProperties(pile);
    Shoot(properties, folder.filePath(QStringLiteral("pile-properties.png")));
    auto* harmonic = new Tfrmharmonic(footing);
    Shoot(harmonic, folder.filePath(QStringLiteral("harmonic-loading.png")));
    auto* mass = new TfrmMassdata(footing);
    mass->FormActivate();
    mass->CalculateMassProperties();
    mass->Deactivate();
    Shoot(mass, folder.filePath(QStringLiteral("mass-data.png")));
    // English units on the pile form.
    pile.SetUnits(1);
    Shoot(properties, folder.filePath(QStringLiteral("pile-properties-english.png")));

    // The other forms, when a second argument asks for them.
    if (argc > 2) {
        QString editor = QStringLiteral("/usr/bin/vi");
        const std::pair<TDataForm*, const char*> others[] = {
            {new TdlgTitle(footing), "title.png"},
            {new TDlgOptions(footing, [&] { return editor; }, [&](const QString& p) { editor = p; }), "options.png"},
            {new TfrmShape(footing), "shape.png"},
            {new TfrmFoundations(footing), "foundations.png"},
            {new TfrmTipsoil(footing), "tipsoil.png"},
            {new TfrmMultimat(pile), "multimat.png"},
            {new TfrmQuad(footing), "quadratic.png"},
            {new Tfrmtransient(footing), "transient.png"},
            {new Tfrmrandom(footing), "random.png"},
        };
        for (const auto& [form, name] : others) Shoot(form, folder.filePath(QString::fromLatin1(name)));
    }

    // Two forms as child windows of the main window.
    TMainForm main;
    main.SetCommandLine({});
    RegisterWindows::RegisterForms(main);
    main.resize(1200, 860);
    main.show();
    (void)QTest::qWaitForWindowActive(&main);
    main.Data().FoundationWord = QStringLiteral("STRATUM");
    main.Data().FoundationCode = 3;
    main.ShowChild(TChildKind::Layout);
    main.ShowChild(TChildKind::Foundations);
    main.MdiArea()->cascadeSubWindows();
    QTest::qWait(200);
    main.grab().save(folder.filePath(QStringLiteral("main-window.png")));
    return 0;
}
