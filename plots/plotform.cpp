#include "plotform.h"

#include "plotdialogs.h"

#include "util/docfolder.h"
#include "util/filedialog.h"
#include "util/guard.h"
#include "util/messages.h"
#include "util/numtext.h"
#include "util/pagesetup.h"
#include "util/printchoice.h"
#include "util/safewrite.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPrinter>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

// Legend font height in pixels and row height at creation.
constexpr int kLegendFontPx = 15;
constexpr int kLegendRowHeight = 16;

QString (*g_saveFileNameHook)(QWidget*) = nullptr;

// The step of one axis (step 3 of the range rule); 0 or not finite when there is none.
long double RangeStep(long double r)
{
    const long double lg = std::log10(r);
    const long double e = std::floor(lg);
    long double step = std::pow(10.0L, e);
    if (lg - e < std::log10(3.0L)) step /= 10.0L;
    return step;
}

// Ceiling for v > 0, floor otherwise.
long double RoundAwayFromZero(long double v) { return v > 0 ? std::ceil(v) : std::floor(v); }

bool RoundAxis(long double& lo, long double& hi)
{
    if (hi == lo) {
        hi += 0.01L;
        lo -= 0.01L;
    }
    const long double step = RangeStep(hi - lo);
    if (!(step > 0) || !std::isfinite(step)) return false;
    lo = step * RoundAwayFromZero(lo / step);
    hi = step * RoundAwayFromZero(hi / step);
    return std::isfinite(lo) && std::isfinite(hi) && hi > lo;
}

// Draws the legend rows: white row, the plot colour of the row, " *" for an active curve.
class TLegendDelegate : public QAbstractItemDelegate {
public:
    explicit TLegendDelegate(TPlotForm* form) : QAbstractItemDelegate(form), m_form(form) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const int r = index.row();
        painter->save();
        painter->fillRect(option.rect, Qt::white);
        painter->setPen(PlotForm::PlotColour(r));
        painter->setFont(option.font);
        const QFontMetrics fm(option.font);
        painter->drawText(option.rect.left() + 4, option.rect.top() + fm.ascent(),
                          m_form->LegendRowText(r));
        painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        return QSize(20, m_form->LegendRowHeight());
    }

private:
    TPlotForm* m_form;
};

}  // namespace

// --- free routines ---------------------------------------------------------------------------

namespace PlotForm {

bool ComputeRange(const TGraphPlot& plot, TPlotForm::TRange& range)
{
    TPlotForm::TRange r;
    for (int i = 0; i < plot.LineCount(); ++i) {
        const TLine* line = plot.Lines(i);
        for (int j = 0; j < line->PointCount(); ++j) {
            const TFloatPoint* p = line->Points(j);
            if (p->X < r.xmin)
                r.xmin = p->X;
            else if (p->X > r.xmax)
                r.xmax = p->X;
            if (p->Y < r.ymin)
                r.ymin = p->Y;
            else if (p->Y > r.ymax)
                r.ymax = p->Y;
        }
    }
    if (!RoundAxis(r.ymin, r.ymax)) return false;
    if (!RoundAxis(r.xmin, r.xmax)) return false;
    range = r;
    return true;
}

}  // namespace PlotForm

// --- paint box -------------------------------------------------------------------------------

template <class F> void TPlotForm::Guarded(F&& action)
{
    Guard::Run(this, std::forward<F>(action));
}

TPlotPaintBox::TPlotPaintBox(TPlotForm* form) : QWidget(form), m_form(form)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    QFont font(QString::fromLatin1(PlotPaint::kFace));
    font.setPixelSize(PlotPaint::kScreenFontPx);
    setFont(font);
}

void TPlotPaintBox::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    try {
        m_form->PaintBoxPaint(p);
    } catch (const std::exception&) {
        // A drawing that fails leaves the rest of the area as it is; no message from a paint.
    }
}

void TPlotPaintBox::resizeEvent(QResizeEvent*)
{
    m_form->Guarded([this] { m_form->FormResize(); });
}

void TPlotPaintBox::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    m_form->Guarded([this, button, pos] { m_form->PaintBoxMouseDown(button, pos); });
}

void TPlotPaintBox::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_form->Guarded([this, pos] { m_form->PaintBoxMouseMove(pos); });
}

void TPlotPaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    m_form->Guarded([this, pos] { m_form->FormMouseUp(pos); });
}

// --- window ----------------------------------------------------------------------------------

TPlotForm* TPlotForm::Open(TGraphPlot* plot, QMdiArea* area)
{
    auto* form = new TPlotForm(plot);
    if (form->RangeFailed()) {
        delete form;
        return nullptr;
    }
    if (area) {
        QMdiSubWindow* sub = area->addSubWindow(form);
        sub->setAttribute(Qt::WA_DeleteOnClose);
        sub->showMaximized();
    } else {
        form->setAttribute(Qt::WA_DeleteOnClose);
        form->showMaximized();
    }
    plot->WindowOpened(form, form);
    // A plot freed before its window: the window lets go of it and goes with it.
    connect(plot, &TGraphPlot::Freeing, form, [form] {
        form->DetachPlot();
        FreeWindow(form);
    });
    return form;
}

TPlotOpener TPlotForm::Opener(QMdiArea* area)
{
    QPointer<QMdiArea> where(area);
    return [where](TGraphPlot& plot) -> TPlotForm* {
        TPlotForm* window = plot.PlotWindow();
        if (!window) {
            window = Open(&plot, where);
            if (!window) {
                // The ranges could not be computed: the window closed itself.
                const QString name = plot.Caption().isEmpty()
                                         ? QStringLiteral("This plot")
                                         : QStringLiteral("The plot \"") + plot.Caption() + QStringLiteral("\"");
                Messages::Information(where, name + QStringLiteral(" cannot be shown: a value of its curves is "
                                                                   "too large (or not a number) to scale the axes."));
                return nullptr;
            }
        }
        window->BringToFront();
        return window;
    };
}

void TPlotForm::FreeWindow(TPlotForm* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        delete sub;
    else
        delete window;
}

TPlotForm::TPlotForm(TGraphPlot* plot, QWidget* parent) : QWidget(parent), m_plot(plot)
{
    setObjectName(QStringLiteral("PlotForm"));
    setWindowTitle(QStringLiteral("PlotForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    m_paintBox = new TPlotPaintBox(this);
    layout->addWidget(m_paintBox);
    m_cv.dpiX = m_paintBox->logicalDpiX();
    m_cv.dpiY = m_paintBox->logicalDpiY();

    m_legend = new QListWidget(m_paintBox);
    QFont legendFont(QString::fromLatin1(PlotPaint::kFace));
    legendFont.setPixelSize(kLegendFontPx);
    m_legend->setFont(legendFont);
    m_legend->setItemDelegate(new TLegendDelegate(this));
    m_legend->setUniformItemSizes(true);
    m_legend->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_legend->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_legend->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_legend->setLineWidth(1);
    m_legend->setAutoFillBackground(true);
    m_legend->viewport()->installEventFilter(this);
    m_legend->hide();
    m_legend->resize(21, 3);

    m_pageSetup = new TPageSetupDialog(this);
    BuildMenu();
    resize(640, 480);
    FormCreate();
}

TPlotForm::~TPlotForm()
{
    if (m_plot) m_plot->WindowClosed(this);
}

void TPlotForm::BuildMenu()
{
    m_plotMenu = m_menuBar->addMenu(QStringLiteral("&Plot"));
    connect(m_plotMenu, &QMenu::aboutToShow, this, [this] { PlotMenuClick(); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this,
            [this] { m_menuBar->setActiveAction(m_plotMenu->menuAction()); });

    m_showLegendEntry = m_plotMenu->addAction(QStringLiteral("Show &Legend"));
    m_showLegendEntry->setCheckable(true);
    connect(m_showLegendEntry, &QAction::triggered, this, [this] { PlotLegendClick(); });

    auto addValues = [this](QMenu* menu, const QList<QPair<QString, int>>& entries, bool radio,
                            void (TPlotForm::*handler)(int)) {
        QList<QAction*> actions;
        QActionGroup* group = nullptr;
        if (radio) {
            group = new QActionGroup(menu);
            group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        }
        bool first = true;
        for (const auto& [caption, value] : entries) {
            QAction* a = menu->addAction(caption);
            a->setData(value);
            if (radio) {
                a->setCheckable(true);
                group->addAction(a);
            }
            connect(a, &QAction::triggered, this, [this, handler, value = value] { (this->*handler)(value); });
            actions.append(a);
            if (first) menu->addSeparator();
            first = false;
        }
        return actions;
    };

    QMenu* markers = m_plotMenu->addMenu(QStringLiteral("Show &Markers"));
    connect(markers, &QMenu::aboutToShow, this, [this] { PlotMarkersClick(); });
    m_markerEntries = addValues(markers,
                                {{QStringLiteral("&Never"), 0},
                                 {QStringLiteral("Every &Increment"), 1},
                                 {QStringLiteral("Every &2 Increments"), 2},
                                 {QStringLiteral("Every &3 Incrments"), 3},
                                 {QStringLiteral("Every &5 Increments"), 5},
                                 {QStringLiteral("Every &10 Incements"), 10}},
                                true, &TPlotForm::MarkClick);
    QMenu* sizes = m_plotMenu->addMenu(QStringLiteral("&Font Size"));
    m_fontMenuEntry = sizes->menuAction();
    addValues(sizes,
              {{QStringLiteral("&Default"), 10},
               {QStringLiteral("1.5 * Default"), 15},
               {QStringLiteral("2 * Default"), 20},
               {QStringLiteral("2.5 * Default"), 25},
               {QStringLiteral("3 * Default"), 30},
               {QStringLiteral("4 * Default"), 40}},
              false, &TPlotForm::SizeClick);
    QMenu* widths = m_plotMenu->addMenu(QStringLiteral("&Line Width"));
    m_widthMenuEntry = widths->menuAction();
    addValues(widths,
              {{QStringLiteral("&Default"), 1},
               {QStringLiteral("2 * Default"), 2},
               {QStringLiteral("4 * Default"), 4},
               {QStringLiteral("6 * Default"), 6},
               {QStringLiteral("10 * Default"), 10}},
              false, &TPlotForm::WidthClick);

    connect(m_plotMenu->addAction(QStringLiteral("&Graph Title")), &QAction::triggered, this,
            [this] { PlotCaptionClick(); });
    connect(m_plotMenu->addAction(QStringLiteral("&Edit Legend")), &QAction::triggered, this,
            [this] { mLineNameClick(); });
    connect(m_plotMenu->addAction(QStringLiteral("&Active Curves")), &QAction::triggered, this,
            [this] { ActiveGraphsClick(); });
    m_plotMenu->addSeparator();
    m_printEntry = m_plotMenu->addAction(QStringLiteral("&Print..."));
    connect(m_printEntry, &QAction::triggered, this, [this] { PlotPrintClick(); });
    m_pageEntry = m_plotMenu->addAction(QStringLiteral("P&age Setup"));
    connect(m_pageEntry, &QAction::triggered, this, [this] { PlotPageClick(); });
    connect(m_plotMenu->addAction(QStringLiteral("&Save To Disk...")), &QAction::triggered, this,
            [this] { PlotSaveClick(); });
    m_plotMenu->addSeparator();
}

void TPlotForm::FormCreate()
{
    if (!m_plot || !PlotForm::ComputeRange(*m_plot, m_full)) {
        m_rangeFailed = true;
        return;
    }
    m_range = m_full;

    // Legend rows and curve entries.
    for (int i = 0; i < m_plot->LineCount(); ++i)
        m_plot->Lines(i)->Listed = !(m_plot->LimitTo20() && i >= 20);
    BuildLegendRows(true);
    m_plot->SetLegendFont(m_legendPointSize);
    m_legend->resize(21, LegendRowCount() * m_rowHeight + 3);
    GrowLegendWidth();
    const bool visible = m_plot->LineCount() > 0 && m_plot->ShowLegend();
    m_legend->setVisible(visible);
    m_showLegendEntry->setVisible(visible);

    // Print and Page Setup work without an installed printer too: the print dialog always
    // offers a PDF file.

    m_pageSetup->SetOptions(poDefaultMinMargins | poThousandthsOfInches);
    m_pageSetup->SetMarginLeft(1000);
    m_pageSetup->SetMarginTop(1000);
    m_pageSetup->SetMarginRight(1000);
    m_pageSetup->SetMarginBottom(1000);

    ScreenLayout(m_paintBox->width(), m_paintBox->height());
    PlaceLegendAtCorner();
}

void TPlotForm::BuildLegendRows(bool fresh)
{
    // Captions of the listed curves, in curve order.
    QList<int> curves;
    QStringList captions;
    for (int i = 0; i < m_plot->LineCount(); ++i) {
        TLine* line = m_plot->Lines(i);
        if (!line->Listed) continue;
        QString caption = line->DisplayName();
        if (fresh && m_plot->onGetCaption) m_plot->onGetCaption(i, caption);
        curves.append(i);
        captions.append(caption);
    }
    m_rowCurve = curves;
    m_rowCaption = captions;
    // Rows and entries: existing ones get new captions and tags from the top, missing ones are
    // added, surplus ones removed from the end.
    while (m_legend->count() > captions.size()) delete m_legend->takeItem(m_legend->count() - 1);
    while (m_curveEntries.size() > captions.size()) {
        QAction* a = m_curveEntries.takeLast();
        m_plotMenu->removeAction(a);
        delete a;
    }
    for (int r = 0; r < captions.size(); ++r) {
        if (r < m_legend->count())
            m_legend->item(r)->setText(captions[r]);
        else
            m_legend->addItem(captions[r]);
        QAction* entry;
        if (r < m_curveEntries.size()) {
            entry = m_curveEntries[r];
        } else {
            entry = m_plotMenu->addAction(QString());
            entry->setCheckable(true);
            entry->setChecked(m_plot->Lines(curves[r])->Active);
            connect(entry, &QAction::triggered, this,
                    [this, entry] { CurveItemClick(entry->data().toInt()); });
            m_curveEntries.append(entry);
        }
        entry->setText(captions[r]);
        entry->setData(curves[r]);
    }
    if (fresh) {
        const QFont f = m_legend->font();
        m_legendPointSize =
            f.pointSize() > 0 ? f.pointSize() : PlotPaint::RoundPixel(f.pixelSize() * 72.0L / m_cv.dpiY);
        m_rowHeight = kLegendRowHeight;
    }
}

void TPlotForm::GrowLegendWidth()
{
    const QFontMetrics fm(m_legend->font());
    int width = m_legend->width();
    for (int r = 0; r < LegendRowCount(); ++r) {
        const int need = fm.horizontalAdvance(m_rowCaption[r] + QStringLiteral(" *")) +
                         m_paintBox->logicalDpiX() / 4;
        if (width < need) width = need;
    }
    m_legend->resize(width, m_legend->height());
}

void TPlotForm::SetupLegend(int value)
{
    m_legendPointSize = value * m_plot->LegendFont() / 10;
    if (m_legendPointSize < 1) m_legendPointSize = 1;
    QFont f = m_legend->font();
    f.setPointSize(m_legendPointSize);
    m_legend->setFont(f);
    m_rowHeight = m_legendPointSize * 3 / 2;
    m_legend->resize(21, LegendRowCount() * m_rowHeight + 3);
    m_legend->doItemsLayout();
    GrowLegendWidth();
}

void TPlotForm::KeepLegendInside()
{
    const int cw = m_paintBox->width();
    const int ch = m_paintBox->height();
    int left = m_legend->x();
    int top = m_legend->y();
    if (left + m_legend->width() > cw) left = cw - m_legend->width();
    if (left < 0) left = 0;
    if (top + m_legend->height() > ch) top = ch - m_legend->height();
    if (top < 0) top = 0;
    m_legend->move(left, top);
}

void TPlotForm::PlaceLegendAtCorner()
{
    m_legendAnchored = true;
    m_legend->move(m_cv.plot.right - m_legend->width(), m_cv.plot.bottom - m_legend->height());
    KeepLegendInside();
}

QString TPlotForm::LegendRowText(int row) const
{
    QString text = m_rowCaption.value(row);
    const int curve = LegendRowCurve(row);
    if (m_plot && curve >= 0 && curve < m_plot->LineCount() && m_plot->Lines(curve)->Active)
        text += QStringLiteral(" *");
    return text;
}

void TPlotForm::BringToFront()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        if (sub->isMinimized()) sub->showNormal();
        if (QMdiArea* area = sub->mdiArea()) area->setActiveSubWindow(sub);
        sub->raise();
        return;
    }
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

// --- layout and mapping ----------------------------------------------------------------------

int TPlotForm::TextHeightUnit() const { return PlotPaint::TextHeightUnit(Drawing()); }

void TPlotForm::ScreenLayout(int width, int height)
{
    PlotPaint::TDrawing d = Drawing();
    PlotPaint::ScreenLayout(d, width, height, m_paintBox->logicalDpiX(), m_paintBox->logicalDpiY());
    m_cv = d.canvas;
}

void TPlotForm::FormResize()
{
    if (m_rangeFailed) return;
    ScreenLayout(m_paintBox->width(), m_paintBox->height());
    // Until the user moves it, the legend keeps to the plot's lower right corner, so that it
    // stands there also once the window has its maximized size.
    if (m_legendAnchored)
        PlaceLegendAtCorner();
    else
        KeepLegendInside();
    m_cv.legendInPlot = false;
    m_paintBox->update();
}

QPoint TPlotForm::WorldToPixel(const TFloatPoint& point) const { return PlotPaint::WorldToPixel(Drawing(), point); }

TFloatPoint TPlotForm::PixelToWorld(const QPoint& pixel) const { return PlotPaint::PixelToWorld(Drawing(), pixel); }

TPlotForm::TTicks TPlotForm::ComputeTicks() const { return PlotPaint::ComputeTicks(Drawing()); }

PlotPaint::TDrawing TPlotForm::Drawing() const
{
    PlotPaint::TDrawing d;
    d.plot = m_plot;
    d.range = m_range;
    d.canvas = m_cv;
    d.rowCurve = m_rowCurve;
    d.rowCaption = m_rowCaption;
    return d;
}

// --- drawing ---------------------------------------------------------------------------------

void TPlotForm::Render(QPainter& p) { PlotPaint::Render(p, Drawing()); }

void TPlotForm::PaintBoxPaint(QPainter& p)
{
    if (m_bandActive && !m_bandCache.isNull()) {
        // The rubber band inverts the pixels of its outline over the plot drawn before it began.
        p.drawPixmap(0, 0, m_bandCache);
        p.setCompositionMode(QPainter::CompositionMode_Difference);
        // Each outline pixel once, so that the corners are inverted like the edges.
        const QRect b(QPoint(std::min(m_bandStart.x(), m_bandEnd.x()),
                             std::min(m_bandStart.y(), m_bandEnd.y())),
                      QPoint(std::max(m_bandStart.x(), m_bandEnd.x()),
                             std::max(m_bandStart.y(), m_bandEnd.y())));
        p.fillRect(QRect(b.left(), b.top(), b.width(), 1), Qt::white);
        if (b.height() > 1) p.fillRect(QRect(b.left(), b.bottom(), b.width(), 1), Qt::white);
        if (b.height() > 2) {
            p.fillRect(QRect(b.left(), b.top() + 1, 1, b.height() - 2), Qt::white);
            if (b.width() > 1) p.fillRect(QRect(b.right(), b.top() + 1, 1, b.height() - 2), Qt::white);
        }
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    Render(p);
}

void TPlotForm::Repaint()
{
    m_paintBox->update();
    m_legend->viewport()->update();
}

// --- mouse -----------------------------------------------------------------------------------

void TPlotForm::PaintBoxMouseDown(Qt::MouseButton button, const QPoint& pixel)
{
    const TEdges& pl = m_cv.plot;
    if (pixel.x() < pl.left || pixel.x() > pl.right || pixel.y() < pl.top || pixel.y() > pl.bottom)
        return;
    if (button == Qt::LeftButton) {
        m_bandCache = QPixmap(m_paintBox->size() * m_paintBox->devicePixelRatioF());
        m_bandCache.setDevicePixelRatio(m_paintBox->devicePixelRatioF());
        {
            QPainter cp(&m_bandCache);
            Render(cp);
        }
        m_bandActive = true;
        m_bandStart = m_bandEnd = pixel;
        m_paintBox->update();
    } else if (button == Qt::RightButton) {
        const TFloatPoint p = PixelToWorld(pixel);
        auto zoomOut = [](long double& lo, long double& hi, long double fullLo, long double fullHi,
                          long double at) {
            const long double half = std::min(hi - lo, (fullHi - fullLo) / 2);
            long double c = at;
            if (c < fullLo + half) c = fullLo + half;
            if (c > fullHi - half) c = fullHi - half;
            lo = c - half;
            hi = c + half;
        };
        zoomOut(m_range.xmin, m_range.xmax, m_full.xmin, m_full.xmax, p.X);
        zoomOut(m_range.ymin, m_range.ymax, m_full.ymin, m_full.ymax, p.Y);
        m_paintBox->update();
    }
}

void TPlotForm::PaintBoxMouseMove(const QPoint& pixel)
{
    const TEdges& pl = m_cv.plot;
    const QPoint c(std::clamp(pixel.x(), std::min(pl.left, pl.right), std::max(pl.left, pl.right)),
                   std::clamp(pixel.y(), std::min(pl.top, pl.bottom), std::max(pl.top, pl.bottom)));
    if (m_bandActive) {
        m_bandEnd = c;
        m_paintBox->update();
    }
    if (!m_plot) return;
    const TFloatPoint v = PixelToWorld(c);
    setWindowTitle(m_plot->Caption() + QStringLiteral(" X: ") + PlotForm::FormatGeneral(v.X, 5) +
                   QStringLiteral(" Y: ") + PlotForm::FormatGeneral(v.Y, 5));
}

void TPlotForm::FormMouseUp(const QPoint& pixel)
{
    if (!m_bandActive) return;
    m_bandActive = false;
    m_bandCache = QPixmap();
    m_paintBox->update();
    if (pixel.x() == m_bandStart.x() || pixel.y() == m_bandStart.y()) return;
    const TEdges& pl = m_cv.plot;
    const QPoint end(std::clamp(pixel.x(), std::min(pl.left, pl.right), std::max(pl.left, pl.right)),
                     std::clamp(pixel.y(), std::min(pl.top, pl.bottom), std::max(pl.top, pl.bottom)));
    const TFloatPoint a = PixelToWorld(m_bandStart);
    const TFloatPoint b = PixelToWorld(end);
    auto zoomIn = [](long double& lo, long double& hi, long double fullLo, long double fullHi,
                     long double v1, long double v2) {
        long double nlo = std::min(v1, v2);
        long double nhi = std::max(v1, v2);
        const long double full = fullHi - fullLo;
        if (full > 20 * (nhi - nlo)) {
            const long double centre = (nlo + nhi) / 2;
            nlo = centre - full / 40;
            nhi = centre + full / 40;
            if (nlo < fullLo) {
                nhi += fullLo - nlo;
                nlo = fullLo;
            }
            if (nhi > fullHi) {
                nlo -= nhi - fullHi;
                nhi = fullHi;
            }
        }
        lo = nlo;
        hi = nhi;
    };
    zoomIn(m_range.xmin, m_range.xmax, m_full.xmin, m_full.xmax, a.X, b.X);
    zoomIn(m_range.ymin, m_range.ymax, m_full.ymin, m_full.ymax, a.Y, b.Y);
    m_paintBox->update();
}

bool TPlotForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_legend->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* me = static_cast<QMouseEvent*>(event);
            m_legendDragging = true;
            m_legendGrab = me->position().toPoint();
            break;
        }
        case QEvent::MouseMove:
            if (m_legendDragging) {
                m_legendAnchored = false;
                auto* me = static_cast<QMouseEvent*>(event);
                const QPoint pos = me->position().toPoint();
                const int maxLeft = std::max(0, m_paintBox->width() - m_legend->width());
                const int maxTop = std::max(0, m_paintBox->height() - m_legend->height());
                m_legend->move(std::clamp(m_legend->x() + pos.x() - m_legendGrab.x(), 0, maxLeft),
                               std::clamp(m_legend->y() + pos.y() - m_legendGrab.y(), 0, maxTop));
            }
            break;
        case QEvent::MouseButtonRelease:
            m_legendDragging = false;
            break;
        case QEvent::MouseButtonDblClick:
            Guarded([this] { LegendDblClick(); });
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- menu commands ---------------------------------------------------------------------------

void TPlotForm::PlotMenuClick()
{
    if (!m_plot) return;
    m_showLegendEntry->setChecked(m_plot->ShowLegend());
    m_fontMenuEntry->setVisible(m_plot->ShowFontWidth());
    m_widthMenuEntry->setVisible(m_plot->ShowFontWidth());
    for (QAction* entry : m_curveEntries) {
        const int c = entry->data().toInt();
        entry->setChecked(c >= 0 && c < m_plot->LineCount() && m_plot->Lines(c)->Active);
    }
}

void TPlotForm::PlotLegendClick()
{
    if (!m_plot) return;
    m_plot->SetShowLegend(!m_plot->ShowLegend());
    m_legend->setVisible(m_plot->ShowLegend());
    m_showLegendEntry->setChecked(m_plot->ShowLegend());
}

void TPlotForm::PlotMarkersClick()
{
    if (!m_plot) return;
    for (QAction* a : m_markerEntries) a->setChecked(a->data().toInt() == m_plot->Markers());
}

void TPlotForm::MarkClick(int value)
{
    if (!m_plot) return;
    m_plot->SetMarkers(value);
    Repaint();
}

void TPlotForm::SizeClick(int value)
{
    if (!m_plot) return;
    m_plot->SetSizeFont(value);
    SetupLegend(value);
    ScreenLayout(m_paintBox->width(), m_paintBox->height());
    PlaceLegendAtCorner();
    m_cv.legendInPlot = false;
    Repaint();
}

void TPlotForm::WidthClick(int value)
{
    if (!m_plot) return;
    m_plot->SetWidthLine(value);
    Repaint();
}

void TPlotForm::PlotCaptionClick()
{
    Guarded([this] {
        if (!m_plot) return;
        TfrmGraphCaption dialog(this);
        dialog.Edit->setText(m_plot->GraphTitle);
        (m_plot->TitleOnTop ? dialog.TopButton : dialog.BottomButton)->setChecked(true);
        dialog.exec();
        m_plot->GraphTitle = dialog.Edit->text();
        m_plot->TitleOnTop = dialog.TopButton->isChecked();
        // Laid out again with the legend left where it is.
        m_legendAnchored = false;
        FormResize();
    });
}

void TPlotForm::mLineNameClick()
{
    Guarded([this] {
        if (!m_plot) return;
        QStringList names;
        for (int i = 0; i < m_plot->LineCount(); ++i) names.append(m_plot->Lines(i)->DisplayName());
        if (names.isEmpty()) return;
        TfrmLineNames dialog(names, this);
        if (dialog.exec() == QDialog::Accepted) ApplyLegendNames(names);
    });
}

void TPlotForm::ApplyLegendNames(const QStringList& names)
{
    if (!m_plot) return;
    for (int i = 0; i < m_plot->LineCount() && i < names.size(); ++i)
        m_plot->Lines(i)->Name = names[i];
    for (int r = 0; r < LegendRowCount(); ++r) {
        const int c = m_rowCurve[r];
        if (c < 0 || c >= names.size()) continue;
        m_rowCaption[r] = names[c];
        m_legend->item(r)->setText(names[c]);
        m_curveEntries[r]->setText(names[c]);
    }
    GrowLegendWidth();
    Repaint();
}

void TPlotForm::ActiveGraphsClick()
{
    Guarded([this] {
        if (!m_plot) return;
        QStringList names;
        QStringList states;
        for (int i = 0; i < m_plot->LineCount(); ++i) {
            names.append(m_plot->Lines(i)->DisplayName());
            states.append(m_plot->Lines(i)->Listed ? TfrmActiveLines::Yes : TfrmActiveLines::No);
        }
        if (names.isEmpty()) return;
        TfrmActiveLines dialog(names, states, this);
        if (dialog.exec() == QDialog::Accepted) ApplyActiveStates(states);
    });
}

void TPlotForm::ApplyActiveStates(const QStringList& states)
{
    if (!m_plot) return;
    for (int i = 0; i < m_plot->LineCount() && i < states.size(); ++i)
        m_plot->Lines(i)->Listed = states[i] == TfrmActiveLines::Yes;
    BuildLegendRows(false);
    m_legend->resize(m_legend->width(), LegendRowCount() * m_rowHeight + 3);
    GrowLegendWidth();
    if (m_legendAnchored)
        PlaceLegendAtCorner();
    else
        KeepLegendInside();
    Repaint();
}

void TPlotForm::CurveItemClick(int tag)
{
    if (!m_plot || tag < 0 || tag >= m_plot->LineCount()) return;
    TLine* line = m_plot->Lines(tag);
    line->Active = !line->Active;
    for (QAction* entry : m_curveEntries)
        if (entry->data().toInt() == tag) entry->setChecked(line->Active);
    Repaint();
}

void TPlotForm::LegendDblClick()
{
    const int row = m_legend->currentRow();
    if (row < 0 || row >= LegendRowCount()) return;
    CurveItemClick(m_rowCurve[row]);
}

// --- printing and saving ---------------------------------------------------------------------

void TPlotForm::PlotPageClick()
{
    Guarded([this] { m_pageSetup->Execute(); });
}

void TPlotForm::PlotPrintClick()
{
    Guarded([this] {
        QPrinter printer(QPrinter::HighResolution);
        if (m_plot) printer.setDocName(m_plot->Caption());  // also the PDF file's name offered
        if (!PrintChoice::Choose(this, printer)) return;
        PrintTo(printer);
    });
}

void TPlotForm::PrintTo(QPrinter& printer)
{
    if (!m_plot) return;
    printer.setDocName(m_plot->Caption());
    PrintChoice::TFileOutput file(printer);  // a PDF file whole or not at all
    QPainter p;
    if (!p.begin(&printer)) throw EInOutError(QStringLiteral("Printing failed"));
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    RenderPage(p, printer.logicalDpiX(), printer.logicalDpiY(), page.left() - paper.left(),
               page.top() - paper.top(), page.width(), page.height());
    p.end();
    file.Commit();
}

void TPlotForm::RenderPage(QPainter& p, int dpiX, int dpiY, int offX, int offY, int pageWidth,
                           int pageHeight)
{
    if (!m_plot) return;
    // The page is a drawing of its own; the window's canvas stays as it is.
    struct Repaint {
        TPlotForm* form;
        ~Repaint() { form->m_paintBox->update(); }
    } repaint{this};
    const int margins[4] = {m_pageSetup->MarginLeft(), m_pageSetup->MarginTop(),
                            m_pageSetup->MarginRight(), m_pageSetup->MarginBottom()};
    PlotPaint::TDrawing d = Drawing();
    PlotPaint::PageLayout(d, margins, dpiX, dpiY, offX, offY, pageWidth, pageHeight);
    PlotPaint::Render(p, d);
}

void TPlotForm::SetSaveFileNameHook(QString (*hook)(QWidget*)) { g_saveFileNameHook = hook; }

void TPlotForm::PlotSaveClick()
{
    Guarded([this] {
        QString path;
        if (g_saveFileNameHook) {
            path = g_saveFileNameHook(this);
        } else {
            QFileDialog dialog(this);
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setNameFilter(QStringLiteral("Bitmap (*.bmp)"));
            dialog.setDefaultSuffix(QStringLiteral("bmp"));
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setDirectory(DocFolder::StartFolder());
            if (FileDialog::Exec(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
            path = dialog.selectedFiles().first();
        }
        if (path.isEmpty()) return;
        TdlgFormat format(this);
        const int result = format.exec();
        if (result == TdlgFormat::Abort) {
            Messages::Information(this,
                                  QStringLiteral("There is not enough memory to complete this task."));
            return;
        }
        if (result != QDialog::Accepted) return;
        SaveBitmap(format.Bitmap, path);
    });
}

void TPlotForm::SaveBitmap(QImage& bitmap, const QString& path)
{
    if (!m_plot) return;
    struct Repaint {
        TPlotForm* form;
        ~Repaint() { form->m_paintBox->update(); }
    } repaint{this};

    // The layout follows the screen's, at the window's own resolution; the bitmap's pixels per
    // inch set only its size.
    PlotPaint::TDrawing d = Drawing();
    PlotPaint::ScreenLayout(d, bitmap.width(), bitmap.height(), m_paintBox->logicalDpiX(),
                            m_paintBox->logicalDpiY());
    d.canvas.legendInPlot = true;
    {
        QPainter p(&bitmap);
        PlotPaint::Render(p, d);
    }
    // The bitmap in memory first, then to the disk whole or not at all: a full disk leaves an
    // earlier file of that name as it was.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!bitmap.save(&buffer, "BMP"))
        throw EInOutError(QStringLiteral("Cannot create file \"%1\".").arg(QDir::toNativeSeparators(path)));
    SafeWrite::WriteWhole(path, bytes);
}
