// The printer chooser: see printchoice.h.
#include "printchoice.h"

#include <QPrintDialog>
#include <QPrinter>

namespace PrintChoice {

namespace {

THook& Hook()
{
    static THook hook;
    return hook;
}

}  // namespace

void SetHook(THook hook) { Hook() = std::move(hook); }

bool Choose(QWidget* parent, QPrinter& printer)
{
    if (Hook()) return Hook()(parent, printer);
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace PrintChoice
