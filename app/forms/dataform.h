// Base of the data forms of the main program (unit DataForm): `TDataForm`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// A data form edits scalar settings of the project (`TProgramData`, app/dataunit.h). It is a
// child window of the main window (placed in a QMdiSubWindow) or, for a few forms, a window of
// its own, and it keeps the same contract in both places:
// - FormActivate: every number field bound with BindNumber takes the project's unit system and
//   the value of its field; then the form's own Loaded() runs. It runs when the window becomes
//   the active one and when the main window refreshes its open forms.
// - FormDeactivate (Deactivate): when the focused control is a number field of the form whose entry is not
//   valid (the field shows its own message), the form is brought back to the front and nothing
//   is stored; otherwise every bound field and the form's own Stored() part are stored. It runs
//   when the window stops being the active one and when the main window commits the active
//   child before a menu opens.
// - Closing: refused while the focused number field is invalid; otherwise the form stores as on
//   deactivation, emits FormClosed (the main window clears its record of the open form) and
//   frees itself (Qt::WA_DeleteOnClose; a QMdiSubWindow that holds it should free itself too).
// - Typing in a bound number field marks the project modified (TProject::SetModified); values
//   that the form itself puts into its fields do not.
//
// The form reaches the data through its project on every use (Data()), never through a stored
// reference, since New and Open put a new data object in place (after closing the forms).
#pragma once

#include "entry/dataedit.h"
#include "util/guard.h"
#include "childhost.h"

#include <QList>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>
#include <cfloat>
#include <cstdint>
#include <exception>

class QGridLayout;
class QLabel;
class QMdiSubWindow;
class TProgramData;
class TProject;
class TProjectTables;

namespace DataForm {

// Limits of the number fields: the whole finite range ("unlimited") and the 32-bit range.
inline constexpr long double kNoMin = -LDBL_MAX;
inline constexpr long double kNoMax = LDBL_MAX;
inline constexpr long double kIntMin = DataEdit::kIntMin;
inline constexpr long double kIntMax = DataEdit::kIntMax;

}  // namespace DataForm

class TDataForm : public QWidget, public TChildWindow {
    Q_OBJECT

public:
    TDataForm(TProject& project, QWidget* parent = nullptr);
    ~TDataForm() override;

    TProject& Project() const { return m_project; }
    TProgramData& Data() const;
    TProjectTables& Tables() const;

    // Loads the values (see above).
    void FormActivate() override;
    // Stores the values (see above); the main window calls it before a menu opens.
    void FormDeactivate() override { Deactivate(); }
    // The same, telling whether the values were stored: false (nothing stored, the form to the
    // front) while the focused number field is invalid.
    bool Deactivate();
    // true once the form has loaded its values.
    bool HasLoaded() const { return m_loaded; }

    // The focused number field of the form, none when the focus is elsewhere.
    TDataEdit* FocusedNumber() const;

    // The client size of the form (at least what its layout needs): the size a sub-window
    // takes for it.
    QSize sizeHint() const override;

signals:
    // The form accepted its closing and stored its values; it is freed next.
    void FormClosed();

protected:
    // A number field bound to a project field; its label (made here) goes into `grid` at
    // (row, column) and the field beside it. `units` is the field's unit template.
    TDataEdit* AddNumber(QGridLayout* grid, int row, int column, const QString& caption,
                         const QString& units, long double TProgramData::*field,
                         long double min = DataForm::kNoMin, long double max = DataForm::kNoMax);
    // The same for a whole-number field (stored rounded to the nearest integer).
    TDataEdit* AddInteger(QGridLayout* grid, int row, int column, const QString& caption,
                          const QString& units, int32_t TProgramData::*field,
                          long double min = DataForm::kIntMin, long double max = DataForm::kIntMax);
    // A number field made elsewhere, bound to a project field.
    void BindNumber(TDataEdit* edit, long double TProgramData::*field);
    // The form's client size (see sizeHint); the form takes it.
    void SetClientSize(int width, int height);
    // Whether the form's bound fields take the unit system on activation (default true).
    void SetTakesUnits(bool takes) { m_takesUnits = takes; }
    // Whether typing in a bound field marks the project modified (default true).
    void SetMarksModified(bool marks) { m_marksModified = marks; }

    // The form's own part of activation and deactivation, after the bound fields.
    virtual void Loaded() {}
    virtual void Stored() {}

    // Marks the project modified.
    void MarkModified();
    // Runs an action of a control's handler; an error is shown through the message interface.
    template <class F> void Guarded(F&& action);

    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    struct TBinding {
        QPointer<TDataEdit> edit;
        long double TProgramData::*real = nullptr;
        int32_t TProgramData::*integer = nullptr;
    };
    TDataEdit* MakeNumber(QGridLayout* grid, int row, int column, const QString& caption,
                          const QString& units, long double min, long double max);
    void Track();
    void WindowActivated();
    void WindowDeactivated();
    bool Refuses();
    void ShowAgain();
    void ShowError(const QString& message);

    TProject& m_project;
    QList<TBinding> m_bindings;
    QPointer<QMdiSubWindow> m_subWindow;
    QSize m_clientSize;
    bool m_takesUnits = true;
    bool m_marksModified = true;
    bool m_loaded = false;
    bool m_refused = false;   // the last deactivation stored nothing
    bool m_busy = false;      // inside an activation or deactivation
};

template <class F> void TDataForm::Guarded(F&& action)
{
    Guard::Run(std::forward<F>(action), [this](const QString& text) { ShowError(text); });
}
