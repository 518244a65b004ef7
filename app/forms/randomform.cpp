#include "forms/randomform.h"

#include "dataunit.h"
#include "projecttables.h"
#include "table/table.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

Tfrmrandom::Tfrmrandom(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    using namespace DataForm;
    setWindowTitle(QStringLiteral("Random Loading Data"));
    auto* g = new QGridLayout(this);
    const QString hz = QStringLiteral("Hz");
    DataEdit1 = AddNumber(g, 0, 0, QStringLiteral("Maximum frequency"), hz, &TProgramData::RandomFreqMax);
    DataEdit2 = AddNumber(g, 1, 0, QStringLiteral("Minimum frequency"), hz, &TProgramData::RandomFreqMin);
    DataEdit3 = AddInteger(g, 2, 0, QStringLiteral("Number of points to be read"), QString(), &TProgramData::PointCount);
    DataEdit4 = AddNumber(g, 3, 0, QStringLiteral("Observation period"), QString(), &TProgramData::ObservationPeriod);
    DataEdit5 = AddInteger(g, 4, 0, QStringLiteral("Number of spectrum"), QString(), &TProgramData::LoadTypeCount, 1,
                           kIntMax);
    DataEdit5->SetNumber(1);
    auto* note = new QLabel(
        QStringLiteral("Enter spectrum coordinates and spectrum amplitude by clicking the right button "), this);
    note->setWordWrap(true);
    Button1 = new QPushButton(QStringLiteral("Data Button"), this);
    g->addWidget(note, 5, 0);
    g->addWidget(Button1, 5, 1);
    g->setColumnStretch(0, 1);
    g->setRowStretch(6, 1);
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Tables().Trandom->ShowEditor(); }); });
    SetClientSize(460, 240);
}
