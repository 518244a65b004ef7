// The printer chooser: see printchoice.h.
#include "printchoice.h"

#include "util/exceptions.h"
#include "util/safewrite.h"

#include <QFile>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>

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

TFileOutput::TFileOutput(QPrinter& printer) : m_printer(printer), m_path(printer.outputFileName())
{
    if (m_path.isEmpty()) return;
    m_folder = std::make_unique<QTemporaryDir>();
    if (!m_folder->isValid())
        throw EInOutError(QStringLiteral("The file %1 could not be written: %2").arg(m_path, m_folder->errorString()));
    m_temp = m_folder->filePath(QStringLiteral("print.pdf"));
    m_printer.setOutputFileName(m_temp);
}

TFileOutput::~TFileOutput()
{
    if (!m_path.isEmpty()) m_printer.setOutputFileName(m_path);
}

void TFileOutput::Commit()
{
    if (m_path.isEmpty()) return;
    QFile printed(m_temp);
    QByteArray bytes;
    if (printed.open(QIODevice::ReadOnly)) bytes = printed.readAll();
    // The printer does not report its failed writes: a document is complete when it ends as
    // every PDF file does.
    if (!bytes.trimmed().endsWith("%%EOF"))
        throw EInOutError(QStringLiteral("The file %1 could not be written: the printed document could not be "
                                         "made in the temporary folder %2")
                              .arg(m_path, m_folder->path()));
    SafeWrite::WriteWhole(m_path, bytes);
}

}  // namespace PrintChoice

