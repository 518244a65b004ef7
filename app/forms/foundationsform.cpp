#include "forms/foundationsform.h"

#include "dataunit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

TfrmFoundations::TfrmFoundations(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    setWindowTitle(QStringLiteral("Foundation Data"));
    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Global Coordinates of Foundation Base"), this);
    auto* g = new QGridLayout(group);
    DataEdit1 = AddNumber(g, 0, 0, QStringLiteral("X Coordinate (Xc)"), QStringLiteral("L2"), &TProgramData::Xc,
                          DataForm::kIntMin, DataForm::kIntMax);
    DataEdit2 = AddNumber(g, 1, 0, QStringLiteral("Y Coordinate (Yc) "), QStringLiteral("L2"), &TProgramData::Yc);
    DataEdit3 = AddNumber(g, 2, 0, QStringLiteral("Z Coordinate (Zc) "), QStringLiteral("L2"), &TProgramData::Zc);
    g->setColumnStretch(0, 1);
    layout->addWidget(group);
    auto* depths = new QGridLayout;
    DataEdit4 = AddNumber(depths, 0, 0, QStringLiteral("Depth from ground surface to base of foundation"),
                          QStringLiteral("L2"), &TProgramData::BaseDepth);
    DataEdit5 = AddNumber(depths, 1, 0,
                          QStringLiteral("Depth from ground surface to bed rock (rigid underlying layer)"),
                          QStringLiteral("L2"), &TProgramData::BedrockDepth);
    depths->setColumnStretch(0, 1);
    layout->addLayout(depths);
    layout->addStretch();
    SetClientSize(452, 204);
}

void TfrmFoundations::Loaded()
{
    const int32_t code = Data().FoundationCode;
    if (code != 1 && code != 3) return;
    for (TDataEdit* e : {DataEdit4, DataEdit5}) {
        e->setVisible(code == 3);
        e->EditLabel()->setVisible(code == 3);
    }
}
