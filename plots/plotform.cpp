#include "plotform.h"

#include "plotdialogs.h"

#include "util/docfolder.h"
#include "util/guard.h"
#include "util/messages.h"
#include "util/numtext.h"
#include "util/pagesetup.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
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
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRadioButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <cmath>
#include <limits>

namespace {

// Height in pixels of the window font ("Times New Roman") at 96 pixels per inch.
constexpr int kScreenFontPx = 14;
// Legend font height in pixels and row height at creation.
constexpr int kLegendFontPx = 15;
constexpr int kLegendRowHeight = 16;
const char* const kFace = "Times New Roman";

QString (*g_saveFileNameHook)(QWidget*) = nullptr;

// Nearest integer, ties to even, kept inside the int range (NaN gives 0).
int RoundPixel(long double v)
{
    if (std::isnan(v)) return 0;
    const long double r = NumText::RoundHalfEven(v);
    constexpr long double lim = 1.0e9L;
    if (r > lim) return int(lim);
    if (r < -lim) return int(-lim);
    return int(r);
}

// A pen of the given width; one pixel wide pens are cosmetic, so that they hit exactly the
// pixels between their end points, as the outlines of markers and bands need.
QPen Pen(const QColor& colour, int width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, width, style, Qt::SquareCap, Qt::MiterJoin);
    if (width <= 1) pen.setCosmetic(true), pen.setWidth(0);
    return pen;
}

bool Finite(const TFloatPoint* p) { return std::isfinite(p->X) && std::isfinite(p->Y); }

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

// First and last tick index of an axis for the minor step.
void TickIndices(long double lo, long double hi, long double minor, int& first, int& last)
{
    constexpr long double tol = 1e-9L;
    constexpr long double lim = 1.0e6L;
    long double f = lo > 0 ? 0.0L : std::ceil(lo / minor - tol);
    long double l = hi < 0 ? 0.0L : std::floor(hi / minor + tol);
    first = int(std::max(-lim, std::min(lim, f)));
    last = int(std::max(-lim, std::min(lim, l)));
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

QColor PlotColour(int k)
{
    static const QRgb kColours[17] = {0x000000, 0x0000FF, 0xFF0000, 0x008000, 0x800080, 0x800000,
                                      0x000080, 0xFF00FF, 0x808000, 0x008080, 0x808080, 0x00FF00,
                                      0x808080, 0xC0C0C0, 0xC0C0C0, 0xFFFF00, 0x00FFFF};
    k %= 17;
    if (k < 0) k += 17;
    return QColor(kColours[k]);
}

QString FormatGeneral(long double x, int precision)
{
    if (precision < 1) precision = 1;
    if (precision > 18) precision = 18;
    if (x == 0) return QStringLiteral("0");
    const QString text = NumText::FloatToStrGeneral(x, precision);
    if (!std::isfinite(x)) return text;
    // Take the rounded digits and the decimal exponent from the canonical text:
    // value = 0.D * 10^e.
    QString body = text;
    const bool negative = body.startsWith(QLatin1Char('-'));
    if (negative) body.remove(0, 1);
    int exp10 = 0;
    const qsizetype ePos = body.indexOf(QLatin1Char('E'));
    if (ePos >= 0) {
        exp10 = body.mid(ePos + 1).toInt();
        body.truncate(ePos);
    }
    const qsizetype dot = body.indexOf(QLatin1Char('.'));
    QString intPart = dot >= 0 ? body.left(dot) : body;
    const QString fracPart = dot >= 0 ? body.mid(dot + 1) : QString();
    QString digits = intPart + fracPart;
    int e = int(intPart.size()) + exp10;
    while (digits.startsWith(QLatin1Char('0'))) {
        digits.remove(0, 1);
        --e;
    }
    while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
    if (digits.isEmpty()) return QStringLiteral("0");
    QString out;
    if (e <= precision && e >= -4) {
        if (e <= 0)
            out = QStringLiteral("0.") + QString(-e, QLatin1Char('0')) + digits;
        else if (digits.size() <= e)
            out = digits + QString(e - digits.size(), QLatin1Char('0'));
        else
            out = digits.left(e) + QLatin1Char('.') + digits.mid(e);
    } else {
        out = digits.left(1);
        if (digits.size() > 1) out += QLatin1Char('.') + digits.mid(1);
        const int ex = e - 1;
        out += QStringLiteral("E") + QLatin1Char(ex < 0 ? '-' : '+') +
               QStringLiteral("%1").arg(std::abs(ex), 2, 10, QLatin1Char('0'));
    }
    return negative ? QLatin1Char('-') + out : out;
}

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

long double MajorStep(long double span, int n)
{
    if (n <= 0) return 0;
    const long double s = span / n;
    if (!(s > 0) || !std::isfinite(s)) return 0;
    const long double g = std::pow(10.0L, std::floor(std::log10(s)));
    // A hair of tolerance so that a quotient such as 1.99999... counts as 2.
    const long double d = std::trunc(s / g * (1 + 1e-12L));
    if (d < 2) return g;
    if (d < 5) return 2 * g;
    if (d < 9) return 5 * g;
    return 10 * g;
}

QPolygon MarkerPolygon(int index, int cx, int cy, int dpiX, int dpiY)
{
    QPolygon poly;
    const long double pi = 3.14159265358979323846264338327950288L;
    auto add = [&](long double theta) {
        poly << QPoint(cx + RoundPixel(std::sin(theta) * dpiX / 32.0L),
                       cy - RoundPixel(std::cos(theta) * dpiY / 32.0L));
    };
    if (index <= 0) {
        for (int n = 0; n <= 3; ++n) add(pi + n * 2 * pi / 3);
    } else if (index == 1) {
        for (int n = 0; n <= 4; ++n) add(pi / 4 + n * pi / 2);
    } else {
        for (int n = 0; n <= index + 1; ++n) add(n * 2 * pi / (index + 1));
    }
    return poly;
}

QList<int> MarkerIndices(int pointCount, int markers)
{
    QList<int> result;
    if (markers <= 0) return result;
    for (int j = 0; j < pointCount; ++j)
        if (j == 0 || j % markers == 0) result.append(j);
    return result;
}

TPlotForm::TEdges PrintArea(const int margins[4], int dpiX, int dpiY, int offX, int offY,
                            int pageWidth, int pageHeight)
{
    auto scaled = [](int m, int dpi) { return RoundPixel(static_cast<long double>(m) * dpi / 1000); };
    const int left = std::max(scaled(margins[0], dpiX), offX);
    const int top = std::max(scaled(margins[1], dpiY), offY);
    const int right = std::max(scaled(margins[2], dpiX), offX);
    const int bottom = std::max(scaled(margins[3], dpiY), offY);
    TPlotForm::TEdges a;
    a.left = left - offX;
    a.right = pageWidth + offX - right;
    a.top = top - offY;
    a.bottom = pageHeight + offY - bottom;
    return a;
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
    QFont font(QString::fromLatin1(kFace));
    font.setPixelSize(kScreenFontPx);
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
    QFont legendFont(QString::fromLatin1(kFace));
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

    const bool printers = !QPrinterInfo::availablePrinterNames().isEmpty();
    m_printEntry->setEnabled(printers);
    m_pageEntry->setEnabled(printers);

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
            f.pointSize() > 0 ? f.pointSize() : RoundPixel(f.pixelSize() * 72.0L / m_cv.dpiY);
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

int TPlotForm::TextHeightUnit() const
{
    const int size = m_plot ? m_plot->SizeFont() : 10;
    return std::abs(size * m_cv.fontPx / 10);
}

void TPlotForm::ScreenLayout(int width, int height)
{
    m_cv.area = TEdges{0, 0, width, height};
    m_cv.dpiX = m_paintBox->logicalDpiX();
    m_cv.dpiY = m_paintBox->logicalDpiY();
    m_cv.fontPx = kScreenFontPx;
    const int h = TextHeightUnit();
    TEdges& pl = m_cv.plot;
    pl.left = 2 * h + m_cv.dpiX / 8 + h / 8;
    pl.right = m_cv.area.right - m_cv.dpiX / 4 - h / 2;
    if (m_plot && m_plot->XOnTop()) {
        pl.top = 2 * h + m_cv.dpiY / 8 + h / 8;
        pl.bottom = m_cv.area.bottom - m_cv.dpiY / 4 - h / 2;
    } else {
        pl.top = h / 2 + m_cv.dpiY / 4;
        pl.bottom = m_cv.area.bottom - 2 * h - m_cv.dpiY / 8 - h / 8;
    }
    if (m_plot && !m_plot->GraphTitle.isEmpty()) {
        if (m_plot->TitleOnTop)
            pl.top += h / 8 + h;
        else
            pl.bottom -= h;
    }
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

QPoint TPlotForm::WorldToPixel(const TFloatPoint& point) const
{
    const TRange& r = m_range;
    const TEdges& pl = m_cv.plot;
    const int px = RoundPixel((point.X - r.xmin) / (r.xmax - r.xmin) * (pl.right - pl.left)) + pl.left;
    const int d = RoundPixel((point.Y - r.ymin) / (r.ymax - r.ymin) * (pl.bottom - pl.top));
    const bool onTop = m_plot && m_plot->XOnTop();
    return QPoint(px, onTop ? pl.top + d : pl.bottom - d);
}

TFloatPoint TPlotForm::PixelToWorld(const QPoint& pixel) const
{
    TFloatPoint p;
    const TEdges& pl = m_cv.plot;
    if (pixel.x() < pl.left || pixel.x() > pl.right) return p;
    if (pl.right == pl.left || pl.bottom == pl.top) return p;
    const TRange& r = m_range;
    p.X = r.xmin + static_cast<long double>(pixel.x() - pl.left) / (pl.right - pl.left) *
                       (r.xmax - r.xmin);
    const bool onTop = m_plot && m_plot->XOnTop();
    const long double t = onTop
                              ? static_cast<long double>(pixel.y() - pl.top) / (pl.bottom - pl.top)
                              : static_cast<long double>(pl.bottom - pixel.y()) / (pl.bottom - pl.top);
    p.Y = r.ymin + t * (r.ymax - r.ymin);
    return p;
}

TPlotForm::TTicks TPlotForm::ComputeTicks() const
{
    TTicks t;
    const int h = TextHeightUnit();
    if (h <= 0) return t;
    const int nx = std::abs(m_cv.plot.right - m_cv.plot.left) / (6 * h);
    const int ny = std::abs(m_cv.plot.bottom - m_cv.plot.top) / (6 * h);
    if (nx == 0 || ny == 0) return t;
    const long double sx = PlotForm::MajorStep(m_range.xmax - m_range.xmin, nx);
    const long double sy = PlotForm::MajorStep(m_range.ymax - m_range.ymin, ny);
    if (!(sx > 0) || !(sy > 0)) return t;
    t.shown = true;
    t.minorX = sx / 5;
    t.minorY = sy / 5;
    TickIndices(m_range.xmin, m_range.xmax, t.minorX, t.firstX, t.lastX);
    TickIndices(m_range.ymin, m_range.ymax, t.minorY, t.firstY, t.lastY);
    return t;
}

// --- drawing ---------------------------------------------------------------------------------

QFont TPlotForm::PlotFont(bool bold) const
{
    QFont f(QString::fromLatin1(kFace));
    const int size = m_plot ? m_plot->SizeFont() : 10;
    f.setPixelSize(std::max(1, std::abs(m_cv.fontPx * size / 10)));
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    return f;
}

int TPlotForm::CurvePenWidth() const
{
    const int factor = m_plot ? m_plot->WidthLine() : 1;
    return (RoundPixel(m_cv.dpiX / 300.0L) + 1) * std::max(factor, 1);
}

void TPlotForm::DrawText(QPainter& p, int x, int y, const QString& text, bool bold, bool upward)
{
    const QFont f = PlotFont(bold);
    p.setFont(f);
    const QFontMetrics fm(f, p.device());
    if (!upward) {
        p.drawText(x, y + fm.ascent(), text);
        return;
    }
    p.save();
    p.translate(x, y);
    p.rotate(-90);
    p.drawText(0, fm.ascent(), text);
    p.restore();
}

void TPlotForm::DrawCaptions(QPainter& p)
{
    const TEdges& a = m_cv.area;
    const int h = TextHeightUnit();
    const QFont bold = PlotFont(true);
    const QFontMetrics fm(bold, p.device());
    const int th = fm.height();
    const bool title = !m_plot->GraphTitle.isEmpty();
    p.setPen(Qt::black);

    const QString xText =
        PltData::AxisCaptionText(m_plot->XCaption(), m_plot->XUnits(), m_plot->Units());
    int top;
    if (m_plot->XOnTop())
        top = a.top + (title && m_plot->TitleOnTop ? h / 8 + h : 0);
    else
        top = a.bottom - th - (title && !m_plot->TitleOnTop ? h / 8 + h : 0);
    DrawText(p, (std::abs(a.left + a.right) - fm.horizontalAdvance(xText)) / 2, top, xText, true,
             false);

    if (title) {
        const QString& t = m_plot->GraphTitle;
        DrawText(p, (std::abs(a.left + a.right) - fm.horizontalAdvance(t)) / 2,
                 m_plot->TitleOnTop ? a.top : a.bottom - th, t, true, false);
    }

    const QString yText =
        PltData::AxisCaptionText(m_plot->YCaption(), m_plot->YUnits(), m_plot->Units());
    DrawText(p, a.left, (a.bottom + a.top + fm.horizontalAdvance(yText)) / 2, yText, true, true);
}

void TPlotForm::DrawAxes(QPainter& p, const TTicks& t)
{
    const TEdges& pl = m_cv.plot;
    const int dpiX = m_cv.dpiX;
    const int dpiY = m_cv.dpiY;
    const bool onTop = m_plot->XOnTop();
    const QPen solid = Pen(Qt::black, 1);
    const QPen dotted = Pen(Qt::black, 1, Qt::DotLine);
    const QFont normal = PlotFont(false);
    const QFontMetrics fm(normal, p.device());
    const int th = fm.height();

    if (t.firstX != t.lastX) {
        for (int k = t.firstX; k <= t.lastX; ++k) {
            TFloatPoint v;
            v.X = k * t.minorX;
            const int px = WorldToPixel(v).x();
            if (px < pl.left || px > pl.right) continue;
            if (k % 5 == 0) {
                p.setPen(dotted);
                p.drawLine(px, pl.top, px, pl.bottom);
                const QString label = PlotForm::FormatGeneral(v.X, 4);
                const int left = px - fm.horizontalAdvance(label) / 2;
                const int top = onTop ? pl.top - th - dpiY / 32 : pl.bottom + dpiY / 16;
                p.setPen(Qt::black);
                DrawText(p, left, top, label, false, false);
            }
            p.setPen(solid);
            if (onTop)
                p.drawLine(px, pl.top, px, pl.top + dpiY / 16);
            else
                p.drawLine(px, pl.bottom, px, pl.bottom - dpiY / 16);
        }
    }
    if (t.firstY != t.lastY) {
        for (int k = t.firstY; k <= t.lastY; ++k) {
            TFloatPoint v;
            v.Y = k * t.minorY;
            const int py = WorldToPixel(v).y();
            if (py < pl.top || py > pl.bottom) continue;
            if (k % 5 == 0) {
                p.setPen(dotted);
                p.drawLine(pl.left, py, pl.right, py);
                const QString label = PlotForm::FormatGeneral(v.Y, 4);
                p.setPen(Qt::black);
                DrawText(p, pl.left - th - dpiX / 32, py + fm.horizontalAdvance(label) / 2, label,
                         false, true);
            }
            p.setPen(solid);
            p.drawLine(pl.left, py, pl.left + dpiX / 16, py);
        }
    }
}

void TPlotForm::DrawCurves(QPainter& p)
{
    const TEdges& pl = m_cv.plot;
    p.save();
    p.setClipRect(QRect(pl.left, pl.top, pl.right - pl.left, pl.bottom - pl.top));
    if (m_plot->LineCount() > 0 && m_plot->PointCount() > 1) {
        const int markers = m_plot->Markers();
        const int width = CurvePenWidth();
        int k = 0;
        for (int i = 0; i < m_plot->LineCount(); ++i) {
            const TLine* line = m_plot->Lines(i);
            if (!line->Listed) continue;
            if (line->Active) {
                const QColor colour = PlotForm::PlotColour(k);
                p.setPen(Pen(colour, width));
                p.setBrush(colour);
                // A point that is not a finite number breaks the curve.
                bool haveLast = false;
                QPoint last;
                for (int j = 0; j < line->PointCount(); ++j) {
                    const TFloatPoint* pt = line->Points(j);
                    if (!Finite(pt)) {
                        haveLast = false;
                        continue;
                    }
                    const QPoint px = WorldToPixel(*pt);
                    if (haveLast && j > 0) p.drawLine(last, px);
                    if (markers > 0 && (j == 0 || j % markers == 0))
                        p.drawPolyline(PlotForm::MarkerPolygon(k, px.x(), px.y(), m_cv.dpiX,
                                                               m_cv.dpiY));
                    last = px;
                    haveLast = true;
                }
            }
            ++k;
        }
    }
    p.restore();
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
}

void TPlotForm::DrawLegendInPlot(QPainter& p)
{
    QList<int> rows;
    for (int r = 0; r < LegendRowCount(); ++r) {
        const int c = LegendRowCurve(r);
        if (c >= 0 && c < m_plot->LineCount() && m_plot->Lines(c)->Active) rows.append(r);
    }
    const QFont normal = PlotFont(false);
    const QFontMetrics fm(normal, p.device());
    int w = 0;
    for (int r : rows) w = std::max(w, fm.horizontalAdvance(m_rowCaption[r]));
    const int th = fm.height();
    const int n = int(rows.size());
    const int dpiX = m_cv.dpiX;
    const int dpiY = m_cv.dpiY;

    p.setPen(Pen(Qt::black, 1));
    p.setBrush(Qt::white);
    const int right = m_cv.plot.right;
    const int left = right - w - 3 * dpiX / 16;
    const int bottom = m_cv.plot.bottom;
    const int top = bottom - (dpiY / 32 + th) * n - dpiY / 32;
    p.drawRect(QRect(left, top, right - left, bottom - top));

    const int x = left + dpiX / 16;
    int y = top + dpiY / 32;
    const int markerWidth = CurvePenWidth();
    for (int r : rows) {
        p.setPen(Pen(Qt::black, markerWidth));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(PlotForm::MarkerPolygon(r, x, y + th / 2, dpiX, dpiY));
        p.setPen(PlotForm::PlotColour(r));
        DrawText(p, x + dpiX / 16, y, m_rowCaption[r], false, false);
        y += dpiY / 32 + th;
    }
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
}

void TPlotForm::Render(QPainter& p)
{
    if (!m_plot) return;
    const TEdges& a = m_cv.area;
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.fillRect(QRect(a.left, a.top, a.right - a.left, a.bottom - a.top), Qt::white);
    p.setPen(Qt::black);
    p.setBrush(Qt::white);
    if (a.right - a.left < m_cv.dpiX || a.bottom - a.top < m_cv.dpiY) return;

    DrawCaptions(p);
    const TTicks ticks = ComputeTicks();
    if (ticks.shown) DrawAxes(p, ticks);
    DrawCurves(p);
    if (m_cv.legendInPlot) DrawLegendInPlot(p);

    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setPen(Pen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    const TEdges& pl = m_cv.plot;
    p.drawRect(QRect(pl.left, pl.top, pl.right - pl.left, pl.bottom - pl.top));
}

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
        QPrintDialog dialog(&printer, this);
        if (dialog.exec() != QDialog::Accepted) return;
        PrintTo(printer);
    });
}

void TPlotForm::PrintTo(QPrinter& printer)
{
    if (!m_plot) return;
    printer.setDocName(m_plot->Caption());
    QPainter p;
    if (!p.begin(&printer)) throw EInOutError(QStringLiteral("Printing failed"));
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    RenderPage(p, printer.logicalDpiX(), printer.logicalDpiY(), page.left() - paper.left(),
               page.top() - paper.top(), page.width(), page.height());
    p.end();
}

void TPlotForm::RenderPage(QPainter& p, int dpiX, int dpiY, int offX, int offY, int pageWidth,
                           int pageHeight)
{
    if (!m_plot) return;
    const TCanvas saved = m_cv;
    struct Restore {
        TPlotForm* form;
        TCanvas state;
        ~Restore()
        {
            form->m_cv = state;
            form->m_paintBox->update();
        }
    } restore{this, saved};

    m_cv.dpiX = dpiX;
    m_cv.dpiY = dpiY;
    const int margins[4] = {m_pageSetup->MarginLeft(), m_pageSetup->MarginTop(),
                            m_pageSetup->MarginRight(), m_pageSetup->MarginBottom()};
    m_cv.area = PlotForm::PrintArea(margins, dpiX, dpiY, offX, offY, pageWidth, pageHeight);
    // The page's font is the window font at the printer's resolution.
    m_cv.fontPx = std::max(1, RoundPixel(static_cast<long double>(kScreenFontPx) * dpiY / 96));
    m_cv.legendInPlot = true;
    const int h = TextHeightUnit();
    const int room = 2 * h + dpiX / 8 + h / 8;
    TEdges& pl = m_cv.plot;
    pl.left = m_cv.area.left + room;
    pl.right = m_cv.area.right;
    if (m_plot->XOnTop()) {
        pl.top = m_cv.area.top + room;
        pl.bottom = m_cv.area.bottom;
    } else {
        pl.top = m_cv.area.top;
        pl.bottom = m_cv.area.bottom - room;
    }
    if (!m_plot->GraphTitle.isEmpty()) {
        if (m_plot->TitleOnTop)
            pl.top += dpiY / 4;
        else
            pl.bottom -= dpiY / 2;
    }
    Render(p);
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
            if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
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
    const TCanvas saved = m_cv;
    struct Restore {
        TPlotForm* form;
        TCanvas state;
        ~Restore()
        {
            form->m_cv = state;
            form->m_paintBox->update();
        }
    } restore{this, saved};

    // The layout follows the screen's, at the window's own resolution; the bitmap's pixels per
    // inch set only its size.
    ScreenLayout(bitmap.width(), bitmap.height());
    m_cv.legendInPlot = true;
    {
        QPainter p(&bitmap);
        Render(p);
    }
    if (!bitmap.save(path, "BMP"))
        throw EInOutError(QStringLiteral("Cannot create file \"%1\".").arg(QDir::toNativeSeparators(path)));
}
