#include "forms/shapeform.h"

#include "dataunit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

TfrmShape::TfrmShape(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    setWindowTitle(QStringLiteral("Foundation Shape"));
    auto* layout = new QHBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Shape"), this);
    auto* groupLayout = new QVBoxLayout(group);
    RadioButton1 = new QRadioButton(QStringLiteral("Rectangular"), group);
    RadioButton2 = new QRadioButton(QStringLiteral("Circular"), group);
    groupLayout->addWidget(RadioButton1);
    groupLayout->addWidget(RadioButton2);
    groupLayout->addStretch();
    layout->addWidget(group);

    auto* grid = new QGridLayout;
    DataEdit1 = AddNumber(grid, 0, 0, QStringLiteral("Radius"), QStringLiteral("L2"), &TProgramData::Radius,
                          DataForm::kIntMin, DataForm::kIntMax);
    DataEdit2 = AddNumber(grid, 1, 0, QStringLiteral("Length x, "), QStringLiteral("L2"), &TProgramData::LengthX);
    DataEdit3 = AddNumber(grid, 2, 0, QStringLiteral("Width y, "), QStringLiteral("L2"), &TProgramData::WidthY);
    grid->setRowStretch(3, 1);
    layout->addLayout(grid, 1);

    connect(RadioButton1, &QRadioButton::clicked, this, [this] { Guarded([this] { RadioButton1Click(); }); });
    connect(RadioButton2, &QRadioButton::clicked, this, [this] { Guarded([this] { RadioButton2Click(); }); });
    SetClientSize(410, 253);
}

void TfrmShape::Loaded()
{
    const bool circular = Data().ShapeCode == 1;
    (circular ? RadioButton2 : RadioButton1)->setChecked(true);
    ShowFields(circular);
}

void TfrmShape::ShowFields(bool circular)
{
    DataEdit1->setVisible(circular);
    DataEdit1->EditLabel()->setVisible(circular);
    for (TDataEdit* e : {DataEdit2, DataEdit3}) {
        e->setVisible(!circular);
        e->EditLabel()->setVisible(!circular);
    }
}

void TfrmShape::SetShape(int32_t code)
{
    // A changed shape is a change of the project, saved with it.
    if (Data().ShapeCode != code) MarkModified();
    Data().ShapeCode = code;
}

void TfrmShape::RadioButton1Click()
{
    RadioButton1->setChecked(true);
    SetShape(0);
    ShowFields(false);
}

void TfrmShape::RadioButton2Click()
{
    RadioButton2->setChecked(true);
    SetShape(1);
    ShowFields(true);
}
