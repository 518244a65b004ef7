#include "forms/dataform.h"

#include "dataunit.h"
#include "project.h"
#include "util/messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <cmath>

TDataForm::TDataForm(TProject& project, QWidget* parent) : QWidget(parent), m_project(project)
{
    setAttribute(Qt::WA_DeleteOnClose);
}

TDataForm::~TDataForm() = default;

void TDataForm::SetClientSize(int width, int height)
{
    m_clientSize = QSize(width, height);
    resize(sizeHint());
}

QSize TDataForm::sizeHint() const
{
    const QSize own = QWidget::sizeHint();
    if (!m_clientSize.isValid()) return own;
    return own.isValid() ? m_clientSize.expandedTo(own) : m_clientSize;
}

TProgramData& TDataForm::Data() const { return m_project.Data(); }

TProjectTables& TDataForm::Tables() const { return m_project.Tables(); }

TDataEdit* TDataForm::MakeNumber(QGridLayout* grid, int row, int column, const QString& caption,
                                 const QString& units, long double min, long double max)
{
    auto* label = new QLabel(this);
    // Only the long captions break into lines (never inside a unit name).
    label->setWordWrap(caption.size() > 48);
    auto* edit = new TDataEdit(this);
    edit->SetMinVal(min);
    edit->SetMaxVal(max);
    edit->SetUnitsString(units);
    edit->SetCaption(caption);
    edit->SetEditLabel(label);
    edit->setMinimumWidth(160);
    edit->setMaximumWidth(200);
    if (grid) {
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
    }
    return edit;
}

TDataEdit* TDataForm::AddNumber(QGridLayout* grid, int row, int column, const QString& caption,
                                const QString& units, long double TProgramData::*field,
                                long double min, long double max)
{
    TDataEdit* edit = MakeNumber(grid, row, column, caption, units, min, max);
    BindNumber(edit, field);
    return edit;
}

TDataEdit* TDataForm::AddInteger(QGridLayout* grid, int row, int column, const QString& caption,
                                 const QString& units, int32_t TProgramData::*field,
                                 long double min, long double max)
{
    TDataEdit* edit = MakeNumber(grid, row, column, caption, units, min, max);
    edit->SetIntegerOnly(true);
    TBinding binding;
    binding.edit = edit;
    binding.integer = field;
    m_bindings.append(binding);
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (m_marksModified) MarkModified();
    });
    return edit;
}

void TDataForm::BindNumber(TDataEdit* edit, long double TProgramData::*field)
{
    TBinding binding;
    binding.edit = edit;
    binding.real = field;
    m_bindings.append(binding);
    connect(edit, &QLineEdit::textEdited, this, [this] {
        if (m_marksModified) MarkModified();
    });
}

void TDataForm::MarkModified() { m_project.SetModified(true); }

void TDataForm::ShowError(const QString& message) { Messages::Information(this, message); }

TDataEdit* TDataForm::FocusedNumber() const
{
    QWidget* focused = window()->focusWidget();
    auto* edit = qobject_cast<TDataEdit*>(focused);
    if (!edit || !isAncestorOf(edit)) return nullptr;
    return edit;
}

namespace {

// Marks a form busy for the lifetime of the object.
class TBusy {
public:
    explicit TBusy(bool& flag) : m_flag(flag) { m_flag = true; }
    ~TBusy() { m_flag = false; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    bool& m_flag;
};

}  // namespace

void TDataForm::FormActivate()
{
    if (m_busy) return;
    TBusy busy(m_busy);
    TProgramData& data = Data();
    for (const TBinding& b : m_bindings) {
        if (!b.edit) continue;
        if (m_takesUnits) b.edit->SetUnits(data.UnitSystem);
        if (b.real) b.edit->SetNumber(data.*(b.real));
        if (b.integer) b.edit->SetNumber(data.*(b.integer));
        b.edit->setCursorPosition(0);  // a long number shows its first digits
    }
    m_loaded = true;
    m_refused = false;
    Loaded();
}

bool TDataForm::Refuses()
{
    TDataEdit* edit = FocusedNumber();
    return edit && !DataEdit::IsValidEntry(edit);
}

bool TDataForm::Deactivate()
{
    if (m_busy) return false;
    TBusy busy(m_busy);
    if (Refuses()) {
        m_refused = true;
        ShowAgain();
        return false;
    }
    TProgramData& data = Data();
    for (const TBinding& b : m_bindings) {
        if (!b.edit) continue;
        // Only the focused field is validated here; another one whose text does not evaluate
        // (left through another window) keeps the project's value.
        long double value;
        try {
            value = b.edit->Number();
        } catch (const Exception&) {
            continue;
        }
        if (b.real) data.*(b.real) = value;
        if (b.integer) {
            const long double r = std::nearbyint(value);
            data.*(b.integer) = r >= DataForm::kIntMax   ? int32_t(2147483647)
                                : r <= DataForm::kIntMin ? int32_t(-2147483647 - 1)
                                                         : int32_t(r);
        }
    }
    m_refused = false;
    Stored();
    return true;
}

void TDataForm::ShowAgain()
{
    QPointer<QWidget> self = this;
    QPointer<TDataEdit> edit = FocusedNumber();
    QTimer::singleShot(0, this, [this, self, edit] {
        if (!self) return;
        if (m_subWindow && m_subWindow->mdiArea())
            m_subWindow->mdiArea()->setActiveSubWindow(m_subWindow);
        else if (isWindow() && isVisible()) {
            raise();
            activateWindow();
        }
        if (edit && edit->isVisible()) edit->setFocus(Qt::OtherFocusReason);
    });
}

void TDataForm::Track()
{
    auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget());
    if (sub == m_subWindow) return;
    if (m_subWindow) disconnect(m_subWindow, nullptr, this, nullptr);
    m_subWindow = sub;
    if (!sub) return;
    connect(sub, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates oldState, Qt::WindowStates newState) {
                const bool was = oldState.testFlag(Qt::WindowActive);
                const bool is = newState.testFlag(Qt::WindowActive);
                if (!was && is) WindowActivated();
                if (was && !is) WindowDeactivated();
            });
}

void TDataForm::WindowActivated()
{
    // A field taking the focus back after its message brings the window back: its text stays.
    if (DataEdit::ExitMessageActive()) return;
    // After a refused deactivation the fields still hold what the user is correcting.
    if (m_refused && m_loaded) {
        m_refused = false;
        return;
    }
    Guarded([this] { FormActivate(); });
}

void TDataForm::WindowDeactivated()
{
    if (DataEdit::ExitMessageActive()) return;  // a field's own message took the activation
    Guarded([this] { Deactivate(); });
}

bool TDataForm::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        Track();
        break;
    case QEvent::Show:
        Track();
        // A form shows its values from the start, also before it is first activated.
        if (!m_loaded) Guarded([this] { FormActivate(); });
        break;
    case QEvent::WindowActivate:
        if (isWindow()) WindowActivated();
        break;
    case QEvent::WindowDeactivate:
        if (isWindow()) WindowDeactivated();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TDataForm::closeEvent(QCloseEvent* event)
{
    bool accepted = false;
    Guarded([&] {
        if (DataEdit::ExitMessageActive()) return;
        accepted = Deactivate();
    });
    if (!accepted) {
        event->ignore();
        return;
    }
    event->accept();
    emit FormClosed();
}
