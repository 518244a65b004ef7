#include "forms/massdataform.h"

TfrmMassdata::TfrmMassdata(TProject& project, QWidget* parent)
    : TMassForm(project, parent, QStringLiteral("Mass Data"),
                QStringLiteral("Total mass (self weight only) of the foundation"),
                QStringLiteral("Combined Mass (including self-weight) on Foundation  "))
{
}
