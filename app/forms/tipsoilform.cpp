#include "forms/tipsoilform.h"

#include "dataunit.h"
#include "poissonratios.h"

#include <QGridLayout>

TfrmTipsoil::TfrmTipsoil(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    setWindowTitle(QStringLiteral("Soil Below The Footing"));
    auto* g = new QGridLayout(this);
    DataEdit1 = AddNumber(g, 0, 0, QStringLiteral("Shear wave velocity"), QStringLiteral("L2/sec"),
                          &TProgramData::TipVs, DataForm::kIntMin, DataForm::kIntMax);
    DataEdit2 = AddNumber(g, 1, 0, QStringLiteral("Unit weight"), QStringLiteral("F/L2^3"), &TProgramData::TipUnitWeight);
    DataEdit3 = AddNumber(g, 2, 0, QStringLiteral("Poisson's ratio"), QString(), &TProgramData::TipPoisson);
    DataEdit3->EntryCheck = PoissonRatios::CheckEntry;
    DataEdit4 = AddNumber(g, 3, 0, QStringLiteral("Material damping"), QString(), &TProgramData::TipDamping);
    g->setColumnStretch(0, 1);
    g->setRowStretch(4, 1);
    SetClientSize(446, 224);
}
