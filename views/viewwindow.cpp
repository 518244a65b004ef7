// The window common to the 2-D views: see viewwindow.h.
#include "viewwindow.h"

#include "util/exceptions.h"
#include "util/messages.h"
#include "viewprint.h"

#include <QCloseEvent>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>

#include <algorithm>

TViewWindow::TViewWindow(const QSize& size, const QString& caption, QWidget* parent)
    : QWidget(parent), m_designSize(size)
{
    setMouseTracking(true);
    resize(size);
    setWindowTitle(caption);
    m_print = new QPushButton(QStringLiteral("Print"), this);
    m_print->setObjectName(QStringLiteral("Button1"));
    connect(m_print, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TViewWindow::~TViewWindow() = default;

void TViewWindow::FormResize()
{
    const QRect area = DrawArea();
    FitView(area.width(), area.height());
    update();
}

QRect TViewWindow::DrawArea() const
{
    const int bar = m_print->sizeHint().height() + 8;
    return QRect(0, bar, width(), std::max(0, height() - bar));
}

void TViewWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = DrawArea();
    painter.fillRect(rect(), palette().window());
    painter.translate(area.topLeft());
    // Nothing of the view (a text above its top, say) paints over the bar with the button.
    painter.setClipRect(0, 0, area.width(), area.height());
    PaintView(painter, area.width(), area.height());
}

void TViewWindow::resizeEvent(QResizeEvent*)
{
    m_print->move(6, 4);
    FormResize();
}

void TViewWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (GetNoDraw()) return;
    const QPoint pos = event->position().toPoint();
    const QRect area = DrawArea();
    if (!area.contains(pos)) return;
    setWindowTitle(ReadOut(area.width(), area.height(), pos.x(), pos.y() - area.top()));
}

void TViewWindow::showEvent(QShowEvent*)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && m_activationSource != sub) {
        m_activationSource = sub;
        connect(sub, &QMdiSubWindow::aboutToActivate, this, [this] { FormActivate(); });
    }
    FormActivate();
}

void TViewWindow::closeEvent(QCloseEvent* event)
{
    ClearDrawing();
    emit Closed();
    event->accept();
}

void TViewWindow::Button1Click()
{
    try {
        QPrinter printer(QPrinter::HighResolution);
        if (!ViewPrint::ChoosePrinter(this, printer)) return;
        PrintTo(printer);
    } catch (const Exception& e) {
        Messages::Error(this, e.message());
    }
}
