// Number combo box (unit DataCmb): `TDataCombo`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// An editable combo box with the number contract of `TDataEdit` (entry/dataedit.h): its text is
// an expression whose value is `Number`, held to [`MinVal`, `MaxVal`] and, with `IntegerOnly`,
// to whole numbers. Each list item may stand for a number: when the text equals item i, reading
// `Number` first replaces the text by `Values`[i]. Only backspace, "-", ".", the digits and "E"
// can be typed (a typed "e" enters "E"). Leaving the control and DataCmb::IsValidComboEntry run
// the exit validation; failures are shown through the message interface (util/messages.h) and the
// control takes the focus back; a number beyond a bound gives it back what it held before the
// entry (the last text the program wrote, an item chosen or the last entry accepted), selected.
//
// Both bounds start at 0: the form that places the control sets them. The label shows `Caption`
// and, when `UnitsString` is not empty, the template with every "F" and "L" replaced by the
// names of `Units` (lbs/in English, kN/m SI; 3 leaves the template as it stands).
#pragma once

#include "entry/numbercontrol.h"
#include "util/exceptions.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QString>
#include <QStringList>

namespace DataCmb {

// Raised and caught inside the exit validation of `TDataCombo` (distinct from the classes of the
// same names of unit DataEdit, hence in this unit's namespace).
class EIntError : public Exception {
public:
    using Exception::Exception;
};
class EMinError : public Exception {
public:
    using Exception::Exception;
};
class EMaxError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace DataCmb

// The bounds, IntegerOnly, Loading, the label properties and SetNumber (clamped unless loading;
// the text becomes the value truncated to an integer when IntegerOnly, else the general format
// with 8 significant digits) come from `TNumberControl`.
class TDataCombo : public QComboBox, public TNumberControl {
    Q_OBJECT

public:
    explicit TDataCombo(QWidget* parent = nullptr);
    ~TDataCombo() override;

    // When the control has a parent and its text equals an item, the text first becomes the
    // matching entry of Values; then the text is evaluated (EAssignError for an invalid text).
    long double Number();

    // The numbers the items stand for, by item index.
    QStringList& Values() { return m_values; }
    const QStringList& Values() const { return m_values; }

    QString ExpandUnitsString() const override;

    // The exit validation; returns the valid flag. Failures are shown as warnings that name the
    // field (FieldName), never raised.
    bool DoExit();
    bool Valid() const { return m_valid; }

signals:
    // Emitted at the start of each exit validation (the control's OnExit).
    void Exited();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    long double CurrentNumber() override { return Number(); }
    void ShowNumber(long double value) override;
    void Fail(const QString& message);
    // After a number beyond a bound: the held text again, selected.
    void GiveBackHeldText();
    // The key filter: true when the key was discarded or entered upper-cased.
    bool FilterKey(QKeyEvent* key);

    QStringList m_values;
    bool m_valid = false;
};

namespace DataCmb {

// Runs the control's exit validation and returns whether the entry is valid.
bool IsValidComboEntry(TDataCombo* combo);

}  // namespace DataCmb
