#include "forms/harmonicform.h"

Tfrmharmonic::Tfrmharmonic(TProject& project, QWidget* parent) : THarmonicForm(project, parent, false) {}
