#include "forms/pilecapform.h"

TfrmNCPileProperties::TfrmNCPileProperties(TProject& project, QWidget* parent)
    : TMassForm(project, parent, QStringLiteral("Pile Cap Properties"),
                QStringLiteral("Total mass (including equipment) of footing"),
                QStringLiteral("Combined Mass (including Self-Weight of Pile Cap)"))
{
}
