#include "entry/numbercontrol.h"

#include "entry/dataedit.h"
#include "util/messages.h"

#include <QLabel>
#include <QWidget>

TNumberControl::TNumberControl(QWidget* control, long double minVal, long double maxVal)
    : m_minVal(minVal), m_maxVal(maxVal), m_control(control)
{
}

TNumberControl::~TNumberControl() = default;

void TNumberControl::SetNumber(long double value)
{
    if (!m_loading) {
        if (value > m_maxVal) value = m_maxVal;
        if (value < m_minVal) value = m_minVal;
    }
    ShowNumber(value);
}

void TNumberControl::SetMaxVal(long double value)
{
    if (!m_loading) {
        if (value < m_minVal) value = m_minVal;
        if (m_integerOnly) value = qBound(DataEdit::kIntMin, value, DataEdit::kIntMax);
        const long double number = CurrentNumber();
        m_maxVal = value;
        if (number > value) SetNumber(value);
    }
    m_maxVal = value;
}

void TNumberControl::SetMinVal(long double value)
{
    if (!m_loading) {
        if (value > m_maxVal) value = m_maxVal;
        if (m_integerOnly) value = qBound(DataEdit::kIntMin, value, DataEdit::kIntMax);
        const long double number = CurrentNumber();
        m_minVal = value;
        if (value > number) SetNumber(value);
    }
    m_minVal = value;
}

void TNumberControl::SetIntegerOnly(bool value)
{
    m_integerOnly = value;
    if (value && !m_loading) {
        SetMaxVal(m_maxVal);
        SetMinVal(m_minVal);
    }
}

void TNumberControl::SetCaption(const QString& value)
{
    m_caption = value;
    UpdateLabel();
}

void TNumberControl::SetUnitsString(const QString& value)
{
    m_unitsString = value;
    UpdateLabel();
}

void TNumberControl::SetUnits(int value)
{
    m_units = value <= 0 ? 1 : (value > 3 ? 3 : value);
    UpdateLabel();
}

void TNumberControl::SetEditLabel(QLabel* label)
{
    m_editLabel = label;
    if (label) label->setBuddy(m_control);
    UpdateLabel();
}

QString TNumberControl::LabelText() const
{
    if (m_unitsString.isEmpty()) return m_caption;
    return m_caption + QStringLiteral(" (") + ExpandUnitsString() + QStringLiteral(")");
}

void TNumberControl::UpdateLabel()
{
    if (!m_editLabel) return;
    m_editLabel->setEnabled(m_control->isEnabled());
    m_editLabel->setText(LabelText());
}

QString TNumberControl::FieldName() const
{
    if (m_editLabel && !m_editLabel->text().trimmed().isEmpty())
        return Messages::PlainCaption(m_editLabel->text());
    if (!m_caption.trimmed().isEmpty()) return Messages::PlainCaption(LabelText());
    return Messages::PlainCaption(m_control->accessibleName());
}

void TNumberControl::ShowRefusal(const QString& message, bool refocus)
{
    DataEdit::ExitMessageGuard guard;
    Messages::Warning(m_control, message, FieldName());
    if (refocus) m_control->setFocus(Qt::OtherFocusReason);
}
