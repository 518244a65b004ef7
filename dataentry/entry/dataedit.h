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
// an invalid one is reported through the message interface (util/messages.h), a number beyond a
// bound is set to that bound, and the field takes the focus back.
//
// An attached label (`EditLabel`, not owned) shows `Caption` and, when `UnitsString` is not
// empty, the units of the unit system `Units` (1 English, 2 SI, 3 the template as it stands) in
// parentheses; it follows the field's enabled state.
//
// While `Loading` is set (a form filling in its stored settings), the writes of `MaxVal`,
// `MinVal`, `Number` and `IntegerOnly` store their values without any clamping.
#pragma once

#include "util/exceptions.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QString>

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

class TDataEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit TDataEdit(QWidget* parent = nullptr);
    ~TDataEdit() override;

    // The value of the text; raises EAssignError (or the evaluator's other errors) for an
    // invalid text.
    long double Number() const;
    // Clamped to [MinVal, MaxVal] unless loading; the text becomes FormatEditNumber(Hex, value).
    void SetNumber(long double value);

    long double MinVal() const { return m_minVal; }
    // Not above MaxVal; the 32-bit range when IntegerOnly; a Number below it is raised to it.
    void SetMinVal(long double value);
    long double MaxVal() const { return m_maxVal; }
    // Not below MinVal; the 32-bit range when IntegerOnly; a Number above it is lowered to it.
    void SetMaxVal(long double value);

    bool IntegerOnly() const { return m_integerOnly; }
    // Setting it re-applies both bounds (and their 32-bit limits) unless loading.
    void SetIntegerOnly(bool value);
    bool Hex() const { return m_hex; }
    void SetHex(bool value) { m_hex = value; }

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    QString UnitsString() const { return m_unitsString; }
    void SetUnitsString(const QString& value);
    int Units() const { return m_units; }
    // Values below 1 become 1, values above 3 become 3.
    void SetUnits(int value);
    QLabel* EditLabel() const { return m_editLabel; }
    // Attaches the label (not owned) and makes this field its buddy.
    void SetEditLabel(QLabel* label);

    bool Loading() const { return m_loading; }
    void SetLoading(bool value) { m_loading = value; }

    // The unit template with this control's unit names for `Units`.
    QString ExpandUnitsString() const;

    // The exit validation; returns the valid flag. Failures are shown through the message
    // interface, never raised.
    bool DoExit();
    // Result of the last exit validation.
    bool Valid() const { return m_valid; }

signals:
    // Emitted at the start of each exit validation (the field's OnExit).
    void Exited();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void UpdateLabel();
    void Fail(const QString& message);

    QString m_caption;
    bool m_integerOnly = false;
    QPointer<QLabel> m_editLabel;
    bool m_hex = false;
    long double m_minVal;
    long double m_maxVal;
    QString m_unitsString;
    int m_units = 1;
    bool m_valid = false;
    bool m_loading = false;
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
