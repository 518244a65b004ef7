#include "entry/dataedit.h"

#include "entry/misc.h"
#include "util/hvlconst.h"
#include "util/numtext.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>

#include <cfloat>

namespace {

int g_exitMessages = 0;

bool IsAppendOperator(const QString& key)
{
    return key.size() == 1 && QStringLiteral("+-/*^=%!").contains(key.at(0));
}

}  // namespace

namespace DataEdit {

QString FormatEditNumber(bool hex, long double x)
{
    if (hex) return QStringLiteral("$") + NumText::IntToHex(HvlConst::RoundToInt64(x), 4);
    return NumText::FloatToStrGeneral(x, 18);
}

bool IsValidEntry(TDataEdit* edit) { return edit->DoExit(); }

bool ExitMessageActive() { return g_exitMessages > 0; }

ExitMessageGuard::ExitMessageGuard() { ++g_exitMessages; }
ExitMessageGuard::~ExitMessageGuard() { --g_exitMessages; }

bool IsExitReason(Qt::FocusReason reason)
{
    // Window activation and pop-ups (menus, the message boxes themselves) leave the focus where
    // it is within the window; they are no exit from the field.
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace DataEdit

TDataEdit::TDataEdit(QWidget* parent)
    : QLineEdit(QStringLiteral("0"), parent), TNumberControl(this, -LDBL_MAX, LDBL_MAX)
{
    // Every text the program writes (setText leaves the field unmodified) is the one a refused
    // entry gives back; what the user types is not.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!isModified()) HoldText(text);
    });
}

TDataEdit::~TDataEdit() = default;

long double TDataEdit::Number() const { return Misc::EvaluateExpression(text()); }

void TDataEdit::ShowNumber(long double value)
{
    setText(DataEdit::FormatEditNumber(m_hex, value));
}

QString TDataEdit::ExpandUnitsString() const
{
    if (m_units == 3) return m_unitsString;
    const bool english = m_units == 1;
    struct Code {
        const char* code;
        const char* english;
        const char* si;
    };
    static const Code forces[] = {{"F6", "slug", "Mg"},
                                  {"F5", "sec", "sec"},
                                  {"F4", "lb-sec2/in", "Mg"},
                                  {"F2", "tons", "kN"},
                                  {"F1", "kips", "kN"}};
    static const Code lengths[] = {{"L2", "ft", "m"}, {"L1", "in", "mm"}, {"L3", "rad", "rad"}};

    auto replaceFirstPresent = [english](QString text, const auto& codes, const Code& bare) {
        for (const Code& c : codes) {
            const QString code = QLatin1String(c.code);
            if (text.contains(code))
                return text.replace(code, QLatin1String(english ? c.english : c.si));
        }
        return text.replace(QLatin1String(bare.code),
                            QLatin1String(english ? bare.english : bare.si));
    };
    QString result = replaceFirstPresent(m_unitsString, forces, Code{"F", "lbs", "kN"});
    return replaceFirstPresent(result, lengths, Code{"L", "in", "m"});
}

bool TDataEdit::DoExit()
{
    m_valid = false;
    emit Exited();
    bool evaluated = false;
    try {
        const long double n = Number();
        evaluated = true;
        if (m_integerOnly && HvlConst::FracPart(n) != 0) throw EIntError(QString());
        if (n < m_minVal) throw EMinError(QString());
        if (!(n <= m_maxVal)) throw EMaxError(QString());
        if (EntryCheck) EntryCheck(n);
        setText(DataEdit::FormatEditNumber(m_hex, n));
        HoldText(text());
        m_valid = true;
    } catch (const EAssignError& e) {
        Fail(m_integerOnly && !evaluated ? QStringLiteral("Entry must be a valid integer.") : e.message());
    } catch (const EIntError&) {
        Fail(QStringLiteral("Entry must be an integer."));
    } catch (const EMinError&) {
        Fail(QStringLiteral("Entry must be greater than or equal to ") +
             DataEdit::FormatEditNumber(m_hex, m_minVal));
        GiveBackHeldText();
    } catch (const EMaxError&) {
        Fail(QStringLiteral("Entry must be less than or equal to ") +
             DataEdit::FormatEditNumber(m_hex, m_maxVal));
        GiveBackHeldText();
    } catch (const Exception& e) {
        // Errors the evaluator does not convert (a remainder by zero, ...): shown as well, the
        // entry stays invalid.
        Fail(e.message());
    }
    return m_valid;
}

void TDataEdit::Fail(const QString& message) { ShowRefusal(message, isVisible()); }

void TDataEdit::GiveBackHeldText()
{
    setText(HeldText());
    selectAll();
}

void TDataEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (DataEdit::ExitMessageActive() || !DataEdit::IsExitReason(event->reason())) return;
    DoExit();
}

void TDataEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!DataEdit::ExitMessageActive()) DoExit();
        selectAll();
        event->accept();
        return;
    }
    if (IsAppendOperator(event->text()) && hasSelectedText() && selectedText() == text())
        end(false);
    QLineEdit::keyPressEvent(event);
}

void TDataEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) UpdateLabel();
}
