#include "util/pagesetup.h"

#include "util/hvlconst.h"
#include "util/messages.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <exception>

namespace {

struct FlagBit {
    TPageSetupFlags option;
    uint32_t flag;
};
const FlagBit kFlagBits[] = {
    {poDefaultMinMargins, 0x0}, {poDisableMargins, 0x10},    {poMargins, 0x2},
    {poMinMargins, 0x1},        {poDisableOrientation, 0x100}, {poDisablePaper, 0x200},
    {poDisablePrinter, 0x20},   {poHundredthsOfMillimeters, 0x8}, {poThousandthsOfInches, 0x4},
};

// Fields of the page-setup widget disabled by the options (by their object names).
const char* const kMarginFields[] = {"topMargin", "leftMargin", "rightMargin", "bottomMargin"};
const char* const kOrientationFields[] = {"portrait", "landscape", "reverseLandscape",
                                          "reversePortrait"};
const char* const kPaperFields[] = {"pageSizeCombo", "pageWidth", "pageHeight", "paperSource"};

template <size_t N> void DisableFields(QWidget& dialog, const char* const (&names)[N])
{
    for (const char* name : names)
        if (auto* w = dialog.findChild<QWidget*>(QLatin1String(name))) w->setEnabled(false);
}

}  // namespace

TPageSetupDialog::TPageSetupDialog(QObject* owner)
    : QObject(owner), m_options(poDefaultMinMargins | poHundredthsOfMillimeters)
{
}

TPageSetupDialog::~TPageSetupDialog() = default;

void TPageSetupDialog::SetOptions(TPageOptions value)
{
    const TPageOptions old = m_options;
    auto added = [&](TPageSetupFlags f) { return value.testFlag(f) && !old.testFlag(f); };
    if (added(poDefaultMinMargins)) value &= ~TPageOptions(poMinMargins);
    if (added(poMinMargins)) value &= ~TPageOptions(poDefaultMinMargins);
    if (added(poHundredthsOfMillimeters)) value &= ~TPageOptions(poThousandthsOfInches);
    if (added(poThousandthsOfInches)) value &= ~TPageOptions(poHundredthsOfMillimeters);
    m_options = value;
    m_flags = 0;
    for (const FlagBit& b : kFlagBits)
        if (value.testFlag(b.option)) m_flags |= b.flag;
}

void TPageSetupDialog::SetMargin(int side, int value)
{
    m_margin[side] = HvlConst::IntMax(value, m_minMargin[side]);
}

void TPageSetupDialog::SetMinMargin(int side, int value)
{
    m_minMargin[side] = HvlConst::IntMin(value, m_margin[side]);
}

QPoint TPageSetupDialog::CenteredPosition(const QSize& screen, const QSize& window)
{
    return QPoint((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 3);
}

bool TPageSetupDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* dialog = static_cast<QWidget*>(watched);
        try {
            if (QScreen* screen = dialog->screen()) {
                const QRect area = screen->geometry();
                const QSize size = dialog->frameGeometry().size();
                dialog->move(area.topLeft() + CenteredPosition(area.size(), size));
            }
        } catch (const std::exception& e) {
            Messages::Error(dialog, HvlConst::Format("Error in %s\r%s", "DialogHook", e.what()));
        }
    }
    return QObject::eventFilter(watched, event);
}

void TPageSetupDialog::PrepareDialog(QPageSetupDialog& dialog) const
{
    if (m_options.testFlag(poDisableMargins)) DisableFields(dialog, kMarginFields);
    if (m_options.testFlag(poDisableOrientation)) DisableFields(dialog, kOrientationFields);
    if (m_options.testFlag(poDisablePaper)) DisableFields(dialog, kPaperFields);
    // The dialog shows its values in the unit of the options.
    const QPageLayout::Unit unit = m_options.testFlag(poThousandthsOfInches)
                                       ? QPageLayout::Inch
                                       : QPageLayout::Millimeter;
    if (auto* units = dialog.findChild<QComboBox*>(QStringLiteral("unitCombo"))) {
        const int i = units->findData(QVariant::fromValue(unit));
        if (i >= 0) units->setCurrentIndex(i);
    }
}

bool TPageSetupDialog::RunDialog()
{
    const bool inches = m_options.testFlag(poThousandthsOfInches);
    const QPageLayout::Unit unit = inches ? QPageLayout::Inch : QPageLayout::Millimeter;
    const qreal scale = inches ? 1000.0 : 100.0;  // units of the options per unit of the layout

    // The dialog edits a copy of the printer's settings.
    QPrinter work(QPrinter::HighResolution);
    if (m_printer) {
        if (m_printer->outputFormat() == QPrinter::NativeFormat)
            work.setPrinterName(m_printer->printerName());
        work.setPageLayout(m_printer->pageLayout());
    }
    QPageLayout layout = work.pageLayout();
    layout.setUnits(unit);
    if (m_options.testFlag(poMinMargins))
        layout.setMinimumMargins(QMarginsF(m_minMargin[0] / scale, m_minMargin[1] / scale,
                                           m_minMargin[2] / scale, m_minMargin[3] / scale));
    if (m_options.testFlag(poMargins))
        layout.setMargins(QMarginsF(m_margin[0] / scale, m_margin[1] / scale, m_margin[2] / scale,
                                    m_margin[3] / scale));
    work.setPageLayout(layout);

    QPageSetupDialog dialog(&work);
    PrepareDialog(dialog);
    dialog.installEventFilter(this);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    dialog.removeEventFilter(this);
    if (!accepted) return false;

    const QPageLayout chosen = work.pageLayout();
    const QRectF paper = chosen.fullRect(unit);
    const QMarginsF margins = chosen.margins(unit);
    m_paperLength = int(std::lround(paper.height() * scale));
    m_paperWidth = int(std::lround(paper.width() * scale));
    SetMarginLeft(int(std::lround(margins.left() * scale)));
    SetMarginTop(int(std::lround(margins.top() * scale)));
    SetMarginRight(int(std::lround(margins.right() * scale)));
    SetMarginBottom(int(std::lround(margins.bottom() * scale)));
    return true;
}

bool TPageSetupDialog::Execute()
{
    try {
        return RunDialog();
    } catch (const std::exception& e) {
        Messages::Error(nullptr, HvlConst::Format("Error in %s\r%s", "TPageSetupDialog.Execute",
                                                  e.what()));
        return false;
    }
}
