#include "forms/massform.h"

#include "dataunit.h"
#include "projecttables.h"
#include "table/table.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace MassForm {

TMassProperties Calculate(const TGridTable& massCal, long double oldX, long double oldY, long double oldZ)
{
    struct Row {
        long double m, x, y, z, l, w, t;
    };
    QList<Row> rows;
    for (int r = 0; r < massCal.RowCount(); ++r) {
        Row row{};
        long double* v[7] = {&row.m, &row.x, &row.y, &row.z, &row.l, &row.w, &row.t};
        for (int c = 0; c < 7 && c < massCal.ColumnCount(); ++c) *v[c] = massCal.Cell(c, r)->GetAsFloat();
        rows.append(row);
    }
    TMassProperties p;
    long double sx = 0, sy = 0, sz = 0;
    for (const Row& row : rows) {
        p.Mass += row.m;
        sx += row.m * row.x;
        sy += row.m * row.y;
        sz += row.m * row.z;
    }
    p.HasCentre = p.Mass > 0;
    if (p.HasCentre) {
        p.CentreX = sx / p.Mass;
        p.CentreY = sy / p.Mass;
        p.CentreZ = sz / p.Mass;
    } else {
        p.CentreX = oldX;
        p.CentreY = oldY;
        p.CentreZ = oldZ;
    }
    for (const Row& row : rows) {
        const long double dx = row.x - p.CentreX, dy = row.y - p.CentreY, dz = row.z - p.CentreZ;
        p.Ixx += row.m * (dy * dy + dz * dz) + row.m * (row.w * row.w + row.t * row.t) / 12;
        p.Iyy += row.m * (dx * dx + dz * dz) + row.m * (row.t * row.t + row.l * row.l) / 12;
        p.Izz += row.m * (dx * dx + dy * dy) + row.m * (row.w * row.w + row.l * row.l) / 12;
        p.Pxy += row.m * dx * dy;
        p.Pxz += row.m * dx * dz;
        p.Pyz += row.m * dy * dz;
    }
    return p;
}

}  // namespace MassForm

namespace {

// A block on its base with the local axes, the C.G. and the C.B.
class TMassFigure : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override { return {300, 240}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(rect(), palette().base());
        const QRectF area = QRectF(rect()).adjusted(20, 20, -20, -20);
        const qreal w = qMin(area.width(), area.height() * 1.4);
        const qreal h = w * 0.55;
        const qreal skew = w * 0.25;
        const QPointF base(area.center().x() - w * 0.45, area.center().y() + h * 0.55);
        // Front face, top and side of the block.
        const QPointF a = base, b = base + QPointF(w * 0.7, 0), c = b + QPointF(0, -h), d = a + QPointF(0, -h);
        const QPointF o(skew, -skew * 0.6);
        p.setPen(QPen(palette().text().color(), 1.5));
        p.setBrush(QColor(200, 200, 200));
        p.drawPolygon(QPolygonF({a, b, c, d}));
        p.setBrush(QColor(225, 225, 225));
        p.drawPolygon(QPolygonF({d, c, c + o, d + o}));
        p.setBrush(QColor(175, 175, 175));
        p.drawPolygon(QPolygonF({b, b + o, c + o, c}));
        // Centre of the base and centre of gravity.
        const QPointF cb = (a + b) / 2 + o / 2;
        const QPointF cg = cb + QPointF(w * 0.06, -h * 0.45);
        p.setPen(QPen(QColor(0, 0, 160), 1.2));
        auto axis = [&](QPointF from, QPointF delta, const QString& name) {
            p.drawLine(from, from + delta);
            p.drawText(from + delta * 1.12 + QPointF(-4, 4), name);
        };
        axis(cb, QPointF(w * 0.45, 0), QStringLiteral("x"));
        axis(cb, o * 0.9, QStringLiteral("y"));
        axis(cb, QPointF(0, -h * 1.1), QStringLiteral("z"));
        p.setBrush(QColor(0, 0, 160));
        p.drawEllipse(cb, 3.5, 3.5);
        p.drawText(cb + QPointF(-30, 16), QStringLiteral("C.B."));
        p.setPen(QPen(QColor(170, 0, 0), 1.2));
        p.setBrush(QColor(170, 0, 0));
        p.drawEllipse(cg, 4, 4);
        p.drawText(cg + QPointF(8, -6), QStringLiteral("C.G."));
    }
};

}  // namespace

TMassForm::TMassForm(TProject& project, QWidget* parent, const QString& caption, const QString& massCaption,
                     const QString& massGroupCaption)
    : TDataForm(project, parent)
{
    using namespace DataForm;
    setWindowTitle(caption);
    const QString L2 = QStringLiteral("L2");
    const QString I = QStringLiteral("F6-L2^2");
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    layout->addLayout(left, 3);

    auto* massGroup = new QGroupBox(massGroupCaption, this);
    auto* mg = new QGridLayout(massGroup);
    MassEdit = AddNumber(mg, 0, 0, massCaption, QStringLiteral("F6"), &TProgramData::Mass, kIntMin, kIntMax);
    const char* inertia[6] = {"Mass moment of inertia about X-axis", "Mass moment of inertia about Y-axis",
                              "Mass moment of inertia about Z-axis", "Cross product X-Y (product of inertia)",
                              "Cross product X-Z (product of inertia)", "Cross product Y-Z (product of inertia)"};
    long double TProgramData::*inertiaFields[6] = {&TProgramData::Ixx, &TProgramData::Iyy, &TProgramData::Izz,
                                                   &TProgramData::Ixy, &TProgramData::Ixz, &TProgramData::Iyz};
    for (int i = 0; i < 6; ++i)
        InertiaEdit[i] = AddNumber(mg, i + 1, 0, QString::fromLatin1(inertia[i]), I, inertiaFields[i]);
    mg->setColumnStretch(0, 1);
    left->addWidget(massGroup);

    auto group3 = [&](const QString& title, const char* const captions[3], long double TProgramData::*const fields[3],
                      TDataEdit* edits[3], bool computed) {
        auto* box = new QGroupBox(title, this);
        auto* g = new QGridLayout(box);
        for (int i = 0; i < 3; ++i) {
            edits[i] = AddNumber(g, i, 0, QString::fromLatin1(captions[i]), L2, fields[i]);
            if (computed) {
                edits[i]->setReadOnly(true);
                edits[i]->setFocusPolicy(Qt::ClickFocus);
            }
        }
        g->setColumnStretch(0, 1);
        return box;
    };
    const char* const cbLocal[3] = {"x-coord. of C.B.", "y-coord. of C.B.", "z-coord. of C.B."};
    long double TProgramData::*const cbLocalFields[3] = {&TProgramData::CBLocalX, &TProgramData::CBLocalY,
                                                         &TProgramData::CBLocalZ};
    const char* const cg[3] = {"x-coord. of C.G.", "y-coord. of C.G.", "z-coord. of C.G."};
    long double TProgramData::*const cgFields[3] = {&TProgramData::CGLocalX, &TProgramData::CGLocalY,
                                                    &TProgramData::CGLocalZ};
    const char* const cbGlobal[3] = {"X-coord. of C.B.", "Y-coord. of C.B.", "Z-coord. of C.B."};
    long double TProgramData::*const cbGlobalFields[3] = {&TProgramData::CBGlobalX, &TProgramData::CBGlobalY,
                                                          &TProgramData::CBGlobalZ};
    left->addWidget(group3(QStringLiteral("Local coordinates of C.B."), cbLocal, cbLocalFields, CBLocalEdit, false));
    auto* computedRow = new QHBoxLayout;
    computedRow->addWidget(group3(QStringLiteral("Computed Coordinates of C.G. in local coordinates"), cg, cgFields,
                                  CGEdit, true));
    computedRow->addWidget(group3(QStringLiteral("Computed Coordinates of C.B. in global coordinates"), cbGlobal,
                                  cbGlobalFields, CBGlobalEdit, true));
    left->addLayout(computedRow);
    left->addStretch();

    auto* right = new QVBoxLayout;
    layout->addLayout(right, 2);
    right->addWidget(new TMassFigure(this), 1);
    auto* memo = new QPlainTextEdit(this);
    memo->setReadOnly(true);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setPlainText(QStringLiteral(
        "Include the masses of all the equipment on the foundation and the foundation's own mass.\n\n"
        "Type known mass and inertia values directly into their fields, or enter the local "
        "coordinates of the centre of the base (C.B.), press \"Input all the mass components\" to "
        "enter each component (mass, position and size), and then press \"Calculate mass moment "
        "of inertia\"."));
    right->addWidget(memo, 1);
    InputButton = new QPushButton(QStringLiteral("Input all the mass components"), this);
    CalculateButton = new QPushButton(QStringLiteral("Calculate mass moment of inertia"), this);
    right->addWidget(InputButton);
    right->addWidget(CalculateButton);

    connect(InputButton, &QPushButton::clicked, this, [this] { Guarded([this] { Tables().MassCal->ShowEditor(); }); });
    connect(CalculateButton, &QPushButton::clicked, this, [this] { Guarded([this] { CalculateMassProperties(); }); });
    SetClientSize(802, 624);
}

void TMassForm::CalculateMassProperties()
{
    TProgramData& d = Data();
    // The local C.B. as it stands in its fields (an invalid text raises before anything changes).
    const long double cb[3] = {CBLocalEdit[0]->Number(), CBLocalEdit[1]->Number(), CBLocalEdit[2]->Number()};
    const TMassProperties p = MassForm::Calculate(*Tables().MassCal, d.MassCentreX, d.MassCentreY, d.MassCentreZ);
    if (p.HasCentre) {
        d.MassCentreX = p.CentreX;
        d.MassCentreY = p.CentreY;
        d.MassCentreZ = p.CentreZ;
    }
    MassEdit->SetNumber(p.Mass);
    // The products that involve z change sign: the global z axis points the other way.
    const long double inertia[6] = {p.Ixx, p.Iyy, p.Izz, p.Pxy, -p.Pxz, -p.Pyz};
    for (int i = 0; i < 6; ++i) InertiaEdit[i]->SetNumber(inertia[i]);
    const long double centre[3] = {p.CentreX, p.CentreY, p.CentreZ};
    for (int i = 0; i < 3; ++i) CGEdit[i]->SetNumber(centre[i]);
    CBGlobalEdit[0]->SetNumber(cb[0] - p.CentreX);
    CBGlobalEdit[1]->SetNumber(cb[1] - p.CentreY);
    CBGlobalEdit[2]->SetNumber(-(cb[2] - p.CentreZ));
    for (TDataEdit* e : {MassEdit, InertiaEdit[0], InertiaEdit[1], InertiaEdit[2], InertiaEdit[3], InertiaEdit[4],
                         InertiaEdit[5], CGEdit[0], CGEdit[1], CGEdit[2], CBGlobalEdit[0], CBGlobalEdit[1],
                         CBGlobalEdit[2]})
        e->setCursorPosition(0);
    m_calculated = true;
    MarkModified();
}

void TMassForm::Stored()
{
    if (!m_calculated) return;
    TProgramData& d = Data();
    d.Xc = d.CBGlobalX;
    d.Yc = d.CBGlobalY;
    d.Zc = d.CBGlobalZ;
}
