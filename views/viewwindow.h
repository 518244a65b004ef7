// The window common to the 2-D views of the foundation (views/sideview.h, views/topview.h):
// `TViewWindow`, a widget with a bar holding the "Print" button above the drawing.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// The window opens at the size its view gives, as an MDI sub-window too (bounded by the space
// of the MDI area). It reads the project when it is shown, each time its MDI sub-window is
// activated and when the main window refreshes its open windows (FormActivate), and, while it
// has nothing to draw, whenever the project data change; a resize refits the view to the
// drawing area and repaints without reading. The mouse over the drawing shows its world
// position in the caption. A view supplies the hooks: fitting its world window to the area,
// painting on it, the read-out caption of a pixel and clearing what it draws when the window
// closes.
#pragma once

#include "childhost.h"

#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>

class QPainter;
class QPrinter;
class QPushButton;

class TViewWindow : public QWidget, public TChildWindow {
    Q_OBJECT

public:
    ~TViewWindow() override;

    // Reads the project, then refits and repaints (also when the main window refreshes its
    // open windows after a change of the data).
    void FormActivate() override = 0;
    // Nothing to draw (or to read out).
    virtual bool GetNoDraw() const = 0;
    // A view with nothing to draw reads the changed data at once.
    void DataChanged() override
    {
        if (GetNoDraw()) FormActivate();
    }
    // Draws the view on the printer (the "Print" button asks for the printer first).
    virtual void PrintTo(QPrinter& printer) = 0;

    // The part of the window the drawing fills (below the bar with the "Print" button).
    QRect DrawArea() const;
    // The "Print" button.
    void Button1Click();


    // The size the window opens at (its client area): an MDI sub-window takes it from here.
    QSize sizeHint() const override { return m_designSize; }

signals:
    // The window closed (its drawing is cleared).
    void Closed();

protected:
    // A window of the given size and caption with the "Print" button (object name "Button1").
    TViewWindow(const QSize& size, const QString& caption, QWidget* parent);

    // Refits the view to the drawing area and repaints.
    void FormResize();

    // Fits the view to a drawing area of the given size.
    virtual void FitView(int width, int height) = 0;
    // Paints the view over a drawing area of the given size (origin at its top left).
    virtual void PaintView(QPainter& painter, int width, int height) = 0;
    // The caption for a pixel of a drawing area of the given size.
    virtual QString ReadOut(int width, int height, int px, int py) const = 0;
    // Forgets what is drawn (on close).
    virtual void ClearDrawing() = 0;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QSize m_designSize;
    QPushButton* m_print = nullptr;
    QPointer<QWidget> m_activationSource;
};
