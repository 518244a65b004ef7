#include "forms/transientform.h"

#include "dataunit.h"
#include "projecttables.h"
#include "table/table.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

Tfrmtransient::Tfrmtransient(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    setWindowTitle(QStringLiteral("Transient Loading Data"));
    SetTakesUnits(false);  // no field of the form has units
    auto* g = new QGridLayout(this);
    DataEdit1 = AddInteger(g, 0, 0, QStringLiteral("Number of points "), QString(), &TProgramData::PointCount);
    DataEdit2 = AddNumber(g, 1, 0, QStringLiteral("Time interval between points"), QString(), &TProgramData::TimeStep);
    DataEdit3 = AddInteger(g, 2, 0, QStringLiteral("Number of load type to be input"), QString(),
                           &TProgramData::LoadTypeCount);
    auto* note = new QLabel(QStringLiteral("Enter load type and load amplitude by clicking the right button"), this);
    note->setWordWrap(true);
    Button1 = new QPushButton(QStringLiteral("Data Button"), this);
    g->addWidget(note, 3, 0);
    g->addWidget(Button1, 3, 1);
    g->setColumnStretch(0, 1);
    g->setRowStretch(4, 1);
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Tables().TLoadtype->ShowEditor(); }); });
    SetClientSize(460, 200);
}
