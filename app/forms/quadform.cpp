#include "forms/quadform.h"

TfrmQuad::TfrmQuad(TProject& project, QWidget* parent) : THarmonicForm(project, parent, true)
{
    setWindowFlag(Qt::Dialog);
}
