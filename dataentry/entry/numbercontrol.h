// Shared number contract of `TDataEdit` (entry/dataedit.h) and `TDataCombo`
// (entry/datacombo.h): `TNumberControl`.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// A second, non-QObject base of the two controls holding the bounds, `IntegerOnly`, `Loading`
// and the label state (`Caption`, `UnitsString`, `Units`, `EditLabel`) with their setters. The
// control supplies how its number is read (CurrentNumber), how a number is written as its text
// (ShowNumber) and how its unit template is expanded (ExpandUnitsString).
#pragma once

#include <QLabel>
#include <QPointer>
#include <QString>

class QWidget;

class TNumberControl {
public:
    // Clamped to [MinVal, MaxVal] unless loading, then written by ShowNumber.
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

    QString Caption() const { return m_caption; }
    void SetCaption(const QString& value);
    QString UnitsString() const { return m_unitsString; }
    void SetUnitsString(const QString& value);
    int Units() const { return m_units; }
    // Values below 1 become 1, values above 3 become 3.
    void SetUnits(int value);
    QLabel* EditLabel() const { return m_editLabel; }
    // Attaches the label (not owned) and makes the control its buddy.
    void SetEditLabel(QLabel* label);

    bool Loading() const { return m_loading; }
    void SetLoading(bool value) { m_loading = value; }

    // The unit template with the control's unit names for `Units`.
    virtual QString ExpandUnitsString() const = 0;

    // The name of the field in messages: the attached label's text (without access-key marks),
    // else the caption with its units, else the control's accessible name; empty when it has
    // none of them.
    QString FieldName() const;

protected:
    // `control` is the widget deriving from this class (buddy and enabled state of the label).
    TNumberControl(QWidget* control, long double minVal, long double maxVal);
    virtual ~TNumberControl();
    TNumberControl(const TNumberControl&) = delete;
    TNumberControl& operator=(const TNumberControl&) = delete;

    // The control's Number (may raise the evaluator's errors).
    virtual long double CurrentNumber() = 0;
    // Writes the (already clamped) value as the control's text.
    virtual void ShowNumber(long double value) = 0;

    // Shows the caption and the expanded units on the label; follows the enabled state.
    void UpdateLabel();
    // The text the label shows for the caption and units.
    QString LabelText() const;
    // Shows a refused entry (warning icon, the field named) and gives the control the focus
    // back when `refocus` (the message itself takes the focus for a while; the focus changes it
    // makes are no exits from the field).
    void ShowRefusal(const QString& message, bool refocus);

    // What the control held before the user's entry: the last text the program wrote into it or
    // the last entry accepted. A number beyond a bound is refused and the control shows this
    // again, all of it selected, so that what the user types next replaces it: the field never
    // keeps a value that the user did not give (such as the bound itself).
    void HoldText(const QString& text) { m_heldText = text; }
    const QString& HeldText() const { return m_heldText; }

    QString m_caption;
    bool m_integerOnly = false;
    QPointer<QLabel> m_editLabel;
    long double m_minVal;
    long double m_maxVal;
    QString m_unitsString;
    int m_units = 1;
    bool m_loading = false;
    QString m_heldText = QStringLiteral("0");

private:
    QWidget* m_control;
};
