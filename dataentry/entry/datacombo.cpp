#include "entry/datacombo.h"

#include "entry/dataedit.h"
#include "entry/misc.h"
#include "util/hvlconst.h"
#include "util/messages.h"
#include "util/numtext.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <cstdint>

namespace {

QString FormatGeneral8(long double x) { return NumText::FloatToStrGeneral(x, 8); }

// The value truncated towards zero to a 64-bit integer (the nearest bound beyond its range).
int64_t TruncToInt64(long double x)
{
    if (!(x == x)) return 0;
    if (x >= 9223372036854775807.0L) return INT64_MAX;
    if (x <= -9223372036854775808.0L) return INT64_MIN;
    return static_cast<int64_t>(x);
}

// The key filter: backspace, "-", ".", the digits and "E" (after upper-casing) pass.
bool IsAcceptedKey(QChar c)
{
    return c == QChar(8) || c == u'-' || c == u'.' || (c >= u'0' && c <= u'9') || c == u'E';
}

}  // namespace

namespace DataCmb {

bool IsValidComboEntry(TDataCombo* combo) { return combo->DoExit(); }

}  // namespace DataCmb

TDataCombo::TDataCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setEditText(QStringLiteral("0"));
    lineEdit()->installEventFilter(this);
}

TDataCombo::~TDataCombo() = default;

long double TDataCombo::Number()
{
    if (parentWidget()) {
        const int i = findText(currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (i >= 0 && i < m_values.size()) setEditText(m_values.at(i));
    }
    return Misc::EvaluateExpression(currentText());
}

void TDataCombo::SetNumber(long double value)
{
    if (!m_loading) {
        if (value > m_maxVal) value = m_maxVal;
        if (value < m_minVal) value = m_minVal;
    }
    setEditText(m_integerOnly ? NumText::IntToStr(TruncToInt64(value)) : FormatGeneral8(value));
}

void TDataCombo::SetMaxVal(long double value)
{
    if (!m_loading) {
        if (value < m_minVal) value = m_minVal;
        if (m_integerOnly) value = qBound(DataEdit::kIntMin, value, DataEdit::kIntMax);
        const long double number = Number();
        m_maxVal = value;
        if (number > value) SetNumber(value);
    }
    m_maxVal = value;
}

void TDataCombo::SetMinVal(long double value)
{
    if (!m_loading) {
        if (value > m_maxVal) value = m_maxVal;
        if (m_integerOnly) value = qBound(DataEdit::kIntMin, value, DataEdit::kIntMax);
        const long double number = Number();
        m_minVal = value;
        if (value > number) SetNumber(value);
    }
    m_minVal = value;
}

void TDataCombo::SetIntegerOnly(bool value)
{
    m_integerOnly = value;
    if (value && !m_loading) {
        SetMaxVal(m_maxVal);
        SetMinVal(m_minVal);
    }
}

void TDataCombo::SetCaption(const QString& value)
{
    m_caption = value;
    UpdateLabel();
}

void TDataCombo::SetUnitsString(const QString& value)
{
    m_unitsString = value;
    UpdateLabel();
}

void TDataCombo::SetUnits(int value)
{
    m_units = value <= 0 ? 1 : (value > 3 ? 3 : value);
    UpdateLabel();
}

void TDataCombo::SetEditLabel(QLabel* label)
{
    m_editLabel = label;
    if (label) label->setBuddy(this);
    UpdateLabel();
}

QString TDataCombo::ExpandUnitsString() const
{
    if (m_units == 3) return m_unitsString;
    const bool english = m_units == 1;
    QString text = m_unitsString;
    text.replace(u'F', english ? QStringLiteral("lbs") : QStringLiteral("kN"));
    text.replace(u'L', english ? QStringLiteral("in") : QStringLiteral("m"));
    return text;
}

void TDataCombo::UpdateLabel()
{
    if (!m_editLabel) return;
    m_editLabel->setEnabled(isEnabled());
    if (m_unitsString.isEmpty())
        m_editLabel->setText(m_caption);
    else
        m_editLabel->setText(m_caption + QStringLiteral(" (") + ExpandUnitsString() +
                             QStringLiteral(")"));
}

bool TDataCombo::DoExit()
{
    m_valid = false;
    emit Exited();
    try {
        const long double n = Number();
        if (m_integerOnly && HvlConst::FracPart(n) != 0) throw DataCmb::EIntError(QString());
        if (n < m_minVal) throw DataCmb::EMinError(QString());
        if (!(n <= m_maxVal)) throw DataCmb::EMaxError(QString());
        m_valid = true;
    } catch (const DataCmb::EIntError&) {
        Fail(QStringLiteral("Entry must be an integer."));
    } catch (const DataCmb::EMinError&) {
        SetNumber(m_minVal);
        Fail(QStringLiteral("Entry must be greater than or equal to ") + FormatGeneral8(m_minVal));
    } catch (const DataCmb::EMaxError&) {
        SetNumber(m_maxVal);
        Fail(QStringLiteral("Entry must be less than or equal to ") + FormatGeneral8(m_maxVal));
    } catch (const Exception& e) {
        // An entry that does not evaluate (EAssignError and every other error of the evaluator)
        // is shown like the other failures; it never leaves the validation.
        Fail(m_integerOnly ? QStringLiteral("Entry must be a valid integer.") : e.message());
    }
    return m_valid;
}

void TDataCombo::Fail(const QString& message)
{
    DataEdit::ExitMessageGuard guard;
    Messages::Information(this, message);
    setFocus(Qt::OtherFocusReason);
}

bool TDataCombo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        // Keys without a printable character (arrows, Delete, Tab, Enter...) are no characters
        // and pass untouched.
        if (text.size() == 1 && (text.at(0).isPrint() || text.at(0) == QChar(8))) {
            const QChar c = text.at(0).toUpper();
            if (!IsAcceptedKey(c)) return true;
            if (c != text.at(0)) {
                lineEdit()->insert(QString(c));
                return true;
            }
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void TDataCombo::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (DataEdit::ExitMessageActive() || !DataEdit::IsExitReason(event->reason())) return;
    DoExit();
}

void TDataCombo::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) UpdateLabel();
}
