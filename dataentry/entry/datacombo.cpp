#include "entry/datacombo.h"

#include "entry/dataedit.h"
#include "entry/misc.h"
#include "util/hvlconst.h"
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

TDataCombo::TDataCombo(QWidget* parent) : QComboBox(parent), TNumberControl(this, 0, 0)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setEditText(QStringLiteral("0"));
    // A typed number is never completed from the items ("2" beside "250" stays 2).
    setCompleter(nullptr);
    // Keys reach the line edit both ways: typed into it, or typed to the focused combo box,
    // which hands them on past the line edit's event filters.
    lineEdit()->installEventFilter(this);
    // Every text the program writes or the list puts in (the line edit left unmodified) is the
    // one a refused entry gives back; what the user types is not.
    connect(lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!lineEdit()->isModified()) HoldText(text);
    });
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

void TDataCombo::ShowNumber(long double value)
{
    setEditText(m_integerOnly ? NumText::IntToStr(TruncToInt64(value)) : FormatGeneral8(value));
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

bool TDataCombo::DoExit()
{
    m_valid = false;
    emit Exited();
    try {
        const long double n = Number();
        if (m_integerOnly && HvlConst::FracPart(n) != 0) throw DataCmb::EIntError(QString());
        if (n < m_minVal) throw DataCmb::EMinError(QString());
        if (!(n <= m_maxVal)) throw DataCmb::EMaxError(QString());
        HoldText(currentText());
        m_valid = true;
    } catch (const DataCmb::EIntError&) {
        Fail(QStringLiteral("Entry must be an integer."));
    } catch (const DataCmb::EMinError&) {
        Fail(QStringLiteral("Entry must be greater than or equal to ") + FormatGeneral8(m_minVal));
        GiveBackHeldText();
    } catch (const DataCmb::EMaxError&) {
        Fail(QStringLiteral("Entry must be less than or equal to ") + FormatGeneral8(m_maxVal));
        GiveBackHeldText();
    } catch (const Exception& e) {
        // An entry that does not evaluate (EAssignError and every other error of the evaluator)
        // is shown like the other failures; it never leaves the validation.
        Fail(m_integerOnly ? QStringLiteral("Entry must be a valid integer.") : e.message());
    }
    return m_valid;
}

void TDataCombo::Fail(const QString& message) { ShowRefusal(message, true); }

void TDataCombo::GiveBackHeldText()
{
    setEditText(HeldText());
    lineEdit()->selectAll();
}

bool TDataCombo::FilterKey(QKeyEvent* key)
{
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
    return false;
}

bool TDataCombo::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::KeyPress && FilterKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QComboBox::eventFilter(watched, event);
}

void TDataCombo::keyPressEvent(QKeyEvent* event)
{
    if (FilterKey(event)) {
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
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
