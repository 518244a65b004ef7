#include "childframes.h"

#include <QChildEvent>
#include <QAction>
#include <QEvent>
#include <QWindowStateChangeEvent>
#include <QKeySequence>
#include <QMenu>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTimer>

#include <algorithm>

namespace {

// Marks a sub-window that has been placed once (later moves and sizes are the user's).
const char* const kPlacedProperty = "childPlaced";
// Marks a sub-window whose own window menu left its keys to the main window.
const char* const kKeysProperty = "childKeysLeft";

// Watches the area's viewport for new sub-windows and each sub-window for its first showing.
class TPlacementWatch : public QObject {
public:
    explicit TPlacementWatch(QMdiArea* area) : QObject(area), m_area(area)
    {
        area->viewport()->installEventFilter(this);
        for (QMdiSubWindow* sub : area->subWindowList()) sub->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ChildAdded && m_area && watched == m_area->viewport()) {
            // A sub-window is told while it is being made, before it is one: the kind is
            // looked at when it shows.
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType()) child->installEventFilter(this);
        } else if (event->type() == QEvent::Show || event->type() == QEvent::WindowStateChange) {
            auto* sub = qobject_cast<QMdiSubWindow*>(watched);
            if (!sub) return QObject::eventFilter(watched, event);
            if (event->type() == QEvent::Show && !sub->property(kKeysProperty).toBool()) {
                sub->setProperty(kKeysProperty, true);
                ChildFrames::LeaveKeysToMainWindow(sub);
            }
            const bool normal = !sub->isHidden() && !sub->isMinimized() && !sub->isMaximized();
            // A child that comes back from maximized or minimized takes its normal place again,
            // which it may have had while it was not seen (it opened as the area's children
            // were maximized, and grew as it laid itself out) or the area may have lost since.
            bool restored = false;
            if (event->type() == QEvent::WindowStateChange)
                restored = static_cast<QWindowStateChangeEvent*>(event)->oldState() &
                           (Qt::WindowMaximized | Qt::WindowMinimized);
            if (event->type() == QEvent::WindowStateChange && sub->isMaximized()) {
                // A maximized child fills the area, also when it was made maximized by the close
                // of another maximized child and laid itself out for its normal size meanwhile.
                QTimer::singleShot(0, sub, [sub] { ChildFrames::FillIfMaximized(sub); });
            }
            if (normal && (restored || !sub->property(kPlacedProperty).toBool())) {
                sub->setProperty(kPlacedProperty, true);
                ChildFrames::Fit(sub);
                // What the showing posted (layouts, a table editor's sizing) comes first.
                QTimer::singleShot(0, sub, [sub] { ChildFrames::Fit(sub); });
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QMdiArea> m_area;
};

}  // namespace

namespace ChildFrames {

QRect FitInside(const QRect& frame, const QRect& area, const QSize& minimum)
{
    if (area.isEmpty()) return frame;
    int width = std::min(frame.width(), area.width());
    int height = std::min(frame.height(), area.height());
    if (minimum.isValid()) {
        width = std::max(width, minimum.width());
        height = std::max(height, minimum.height());
    }
    // The last position at which the frame still ends inside the area (its left or top edge
    // when the frame is larger).
    const int x = std::max(area.left(), std::min(frame.left(), area.left() + area.width() - width));
    const int y = std::max(area.top(), std::min(frame.top(), area.top() + area.height() - height));
    return QRect(x, y, width, height);
}

void Fit(QMdiSubWindow* sub)
{
    if (!sub || sub->isHidden() || sub->isMinimized() || sub->isMaximized()) return;
    QMdiArea* area = sub->mdiArea();
    if (!area) return;
    const QRect frame = sub->geometry();
    const QRect fitted = FitInside(frame, area->viewport()->rect(), sub->minimumSize());
    if (fitted == frame) return;
    if (fitted.size() != frame.size()) {
        sub->resize(fitted.size());
        // A window that lays itself out for the size it was given (a table editor) may take a
        // little more or less than asked: the place follows the size it took.
        sub->move(FitInside(QRect(fitted.topLeft(), sub->size()), area->viewport()->rect()).topLeft());
    } else {
        sub->move(fitted.topLeft());
    }
}

void FillIfMaximized(QMdiSubWindow* sub)
{
    if (!sub || sub->isHidden() || !sub->isMaximized() || !sub->mdiArea()) return;
    const QRect area = sub->mdiArea()->viewport()->rect();
    if (sub->geometry() != area) sub->setGeometry(area);
}

void LeaveKeysToMainWindow(QMdiSubWindow* sub)
{
    QMenu* menu = sub ? sub->systemMenu() : nullptr;
    if (!menu) return;
    const QKeySequence close(Qt::CTRL | Qt::Key_F4);
    for (QAction* action : menu->actions()) {
        QList<QKeySequence> keys = action->shortcuts();
        if (keys.removeAll(close) > 0) action->setShortcuts(keys);
    }
}

void Install(QMdiArea* area)
{
    if (area) new TPlacementWatch(area);
}

}  // namespace ChildFrames
