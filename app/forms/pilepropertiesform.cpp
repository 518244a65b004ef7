#include "forms/pilepropertiesform.h"

#include "dataunit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

const QString kFixed = QStringLiteral("FIXED");
const QString kPinned = QStringLiteral("PINNED");
const QString kFloating = QStringLiteral("Floating Piles");
const QString kEndBearing = QStringLiteral("End-Bearing Piles");
const QString kYes = QStringLiteral("Yes");
const QString kNo = QStringLiteral("No");

// The flag of a text: the value of the text that matches exactly, else the flag as it was.
void SetFlag(int32_t& flag, const QString& text, const QString& one, const QString& zero)
{
    if (text == one) flag = 1;
    else if (text == zero) flag = 0;
}

}  // namespace

TfrmCPileProperties::TfrmCPileProperties(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    using namespace DataForm;
    setWindowTitle(QStringLiteral("Pile Properties"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* baseGroup = new QGroupBox(QStringLiteral("Global Coordinates of Center of Pile Cap Base "), this);
    auto* bg = new QGridLayout(baseGroup);
    DataEdit[0] = AddNumber(bg, 0, 0, QStringLiteral("X Coordinate (Xc) "), QStringLiteral("L2"), &TProgramData::Xc);
    DataEdit[1] = AddNumber(bg, 1, 0, QStringLiteral("Y Coordinate (Yc)"), QStringLiteral("L2"), &TProgramData::Yc);
    DataEdit[2] = AddNumber(bg, 2, 0, QStringLiteral("Z Coordinate (Zc)"), QStringLiteral("L2"), &TProgramData::Zc);
    bg->setColumnStretch(0, 1);
    bg->setRowStretch(3, 1);
    top->addWidget(baseGroup, 1);

    auto* options = new QGridLayout;
    auto combo = [&](int row, const QString& label, const QString& a, const QString& b) {
        auto* l = new QLabel(label, this);
        l->setWordWrap(true);
        auto* c = new QComboBox(this);
        c->addItems({a, b});
        l->setBuddy(c);
        options->addWidget(l, row * 2, 0);
        options->addWidget(c, row * 2 + 1, 0);
        return c;
    };
    ComboBox1 = combo(0, QStringLiteral("The connection between the pile cap and pile head"), kFixed, kPinned);
    ComboBox2 = combo(1, QStringLiteral("Select either floating piles or  end-bearing piles"), kFloating, kEndBearing);
    ComboBox3 = combo(2, QStringLiteral("Consider the interaction of pile-soil-pile "), kYes, kNo);
    options->setRowStretch(6, 1);
    top->addLayout(options, 1);

    auto* g = new QGridLayout;
    DataEdit[3] = AddNumber(g, 0, 0, QStringLiteral("Unit weight of pile"), QStringLiteral("F/L2^3"),
                            &TProgramData::PileUnitWeight);
    DataEdit[4] = AddNumber(g, 1, 0, QStringLiteral("Poisson's ratio of the pile"), QString(), &TProgramData::PilePoisson);
    DataEdit[5] = AddNumber(g, 2, 0, QStringLiteral("Material damping of the pile"), QString(), &TProgramData::PileDamping);
    DataEdit[6] = AddNumber(g, 3, 0, QStringLiteral("&Elastic modulus of the pile "), QStringLiteral("F/L2\u00b2"),
                            &TProgramData::PileModulus);
    DataEdit[7] = AddNumber(g, 4, 0, QStringLiteral("Total length of pile"), QStringLiteral("L2"),
                            &TProgramData::PileLength, kIntMin, kIntMax);
    DataEdit[8] = AddNumber(g, 5, 0, QStringLiteral("Cross-sectional coefficient of rigidity for the effect of shear"),
                            QString(), &TProgramData::ShearCoefficient, kIntMin, kIntMax);
    auto* hint = new QLabel(QStringLiteral("(use 1.334 for solid circular sections; use 1.52 for rectangular sections)"),
                            this);
    hint->setEnabled(false);
    g->addWidget(hint, 6, 0, 1, 2);
    DataEdit[9] = AddNumber(g, 7, 0, QStringLiteral("Static load on foundation"), QStringLiteral("F"),
                            &TProgramData::StaticLoad, kNoMin, 2147483647000.0L);
    g->setColumnStretch(0, 1);
    layout->addLayout(g);
    layout->addStretch();

    connect(ComboBox1, &QComboBox::activated, this, [this] { Guarded([this] { ComboBox1Change(); }); });
    connect(ComboBox2, &QComboBox::activated, this, [this] { Guarded([this] { ComboBox2Change(); }); });
    connect(ComboBox3, &QComboBox::activated, this, [this] { Guarded([this] { ComboBox3Change(); }); });
    SetClientSize(640, 470);
}

void TfrmCPileProperties::Loaded()
{
    TProgramData& d = Data();
    if (d.FixedHead == 1) d.HeadConnectionText = kFixed;
    else if (d.FixedHead == 0) d.HeadConnectionText = kPinned;
    if (d.EndBearing == 0) d.TipConditionText = kFloating;
    else if (d.EndBearing == 1) d.TipConditionText = kEndBearing;
    if (d.Interaction == 0) d.InteractionText = kNo;
    else if (d.Interaction == 1) d.InteractionText = kYes;
    const std::pair<QComboBox*, QString> shown[3] = {
        {ComboBox1, d.HeadConnectionText}, {ComboBox2, d.TipConditionText}, {ComboBox3, d.InteractionText}};
    for (const auto& [c, text] : shown) {
        const QSignalBlocker blocker(c);
        c->setCurrentIndex(c->findText(text));
    }
}

void TfrmCPileProperties::FlagsFromTexts()
{
    TProgramData& d = Data();
    const int32_t before[3] = {d.FixedHead, d.EndBearing, d.Interaction};
    SetFlag(d.FixedHead, d.HeadConnectionText, kFixed, kPinned);
    SetFlag(d.EndBearing, d.TipConditionText, kEndBearing, kFloating);
    SetFlag(d.Interaction, d.InteractionText, kYes, kNo);
    // The options are written with the project: a change is a change of the project.
    if (before[0] != d.FixedHead || before[1] != d.EndBearing || before[2] != d.Interaction) MarkModified();
}

void TfrmCPileProperties::ComboBox1Change()
{
    Data().HeadConnectionText = ComboBox1->currentText();
    FlagsFromTexts();
}

void TfrmCPileProperties::ComboBox2Change()
{
    Data().TipConditionText = ComboBox2->currentText();
    FlagsFromTexts();
}

void TfrmCPileProperties::ComboBox3Change()
{
    Data().InteractionText = ComboBox3->currentText();
    FlagsFromTexts();
}

void TfrmCPileProperties::Stored() { FlagsFromTexts(); }
