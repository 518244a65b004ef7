// Number field of the data forms (unit DataEdit): `TDataEdit`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The text of the field is an expression (Misc::EvaluateExpression) whose value is `Number`,
// held to [`MinVal`, `MaxVal`] and, with `IntegerOnly`, to whole numbers. Leaving the field
// (focus moving to another control of the window), Enter and DataEdit::IsValidEntry run the exit
// validation: a valid entry is shown again in its canonical form (DataEdit::FormatEditNumber);
// an invalid one is reported through the message interface (util/messages.h) and the field takes
// the focus back, keeping the text typed; a number beyond a bound gives the field back what it
// held before the entry (the last text the program wrote or the last entry accepted), selected.
//
// An attached label (`EditLabel`, not owned) shows `Caption` and, when `UnitsString` is not
// empty, the units of the unit system `Units` (1 English, 2 SI, 3 the template as it stands) in
// parentheses; it follows the field's enabled state.
//
// While `Loading` is set (a form filling in its stored settings), the writes of `MaxVal`,
// `MinVal`, `Number` and `IntegerOnly` store their values without any clamping.
#pragma once

#include "entry/numbercontrol.h"
#include "util/exceptions.h"

#include <QLabel>
#include <QLineEdit>
#include <QString>

#include <functional>

// Raised and caught inside the exit validation of `TDataEdit`.
class EIntError : public Exception {  // not a whole number
public:
    using Exception::Exception;
};
class EMinError : public Exception {  // below MinVal
public:
    using Exception::Exception;
};
class EMaxError : public Exception {  // above MaxVal
public:
    using Exception::Exception;
};

// The bounds, IntegerOnly, Loading, the label properties and SetNumber (clamped unless loading;
// the text becomes FormatEditNumber(Hex, value)) come from `TNumberControl`.
class TDataEdit : public QLineEdit, public TNumberControl {
    Q_OBJECT

public:
    explicit TDataEdit(QWidget* parent = nullptr);
    ~TDataEdit() override;

    // The value of the text; raises EAssignError (or the evaluator's other errors) for an
    // invalid text.
    long double Number() const;

    bool Hex() const { return m_hex; }
    void SetHex(bool value) { m_hex = value; }

    QString ExpandUnitsString() const override;

    // The exit validation; returns the valid flag. Failures are shown through the message
    // interface as warnings that name the field (FieldName), never raised.
    bool DoExit();
    // Result of the last exit validation.
    bool Valid() const { return m_valid; }

    // The check of an entry within the bounds, run by the exit validation: raises EAssignError
    // with the reason when the field cannot take the value (a range the bounds cannot say, such
    // as one open at an end). The entry is then invalid, as one beyond a bound, but keeps its text.
    std::function<void(long double value)> EntryCheck;

signals:
    // Emitted at the start of each exit validation (the field's OnExit).
    void Exited();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    long double CurrentNumber() override { return Number(); }
    void ShowNumber(long double value) override;
    void Fail(const QString& message);
    // After a number beyond a bound: the held text again, selected.
    void GiveBackHeldText();

    bool m_hex = false;
    bool m_valid = false;
};

namespace DataEdit {

// "$" and the rounded value (ties to even) in at least 4 upper-case hexadecimal digits when hex,
// else the general format with 18 significant digits.
QString FormatEditNumber(bool hex, long double x);

// Runs the field's exit validation and returns whether the entry is valid.
bool IsValidEntry(TDataEdit* edit);

// True while a number field or combo box is showing the message of its exit validation or
// taking the focus back after it; focus changes caused meanwhile validate nothing.
bool ExitMessageActive();

// Marks an exit message of a number control for the lifetime of the object.
class ExitMessageGuard {
public:
    ExitMessageGuard();
    ~ExitMessageGuard();
    ExitMessageGuard(const ExitMessageGuard&) = delete;
    ExitMessageGuard& operator=(const ExitMessageGuard&) = delete;
};

// True when a focus change with this reason means that the focus moves to another control of
// the same window (the cases in which a number control validates its entry).
bool IsExitReason(Qt::FocusReason reason);

// The 32-bit integer range.
inline constexpr long double kIntMin = -2147483648.0L;
inline constexpr long double kIntMax = 2147483647.0L;

}  // namespace DataEdit
