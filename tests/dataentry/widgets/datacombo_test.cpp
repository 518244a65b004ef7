#include "entry/datacombo.h"
#include "entry/misc.h"

#include "widget_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

class DataComboTest : public WidgetTest {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&form);
        label = new QLabel(&form);
        combo = new TDataCombo(&form);
        button = new QPushButton(QStringLiteral("OK"), &form);
        layout->addWidget(label);
        layout->addWidget(combo);
        layout->addWidget(button);
        combo->SetEditLabel(label);
        combo->addItems({QStringLiteral("Low"), QStringLiteral("High")});
        combo->Values() = QStringList{QStringLiteral("1"), QStringLiteral("2")};
        combo->SetMaxVal(100);
        combo->setEditText(QStringLiteral("0"));
        ShowActive(form);
        combo->setFocus();
        ASSERT_TRUE(combo->hasFocus());
    }

    void Type(const QString& text)
    {
        combo->lineEdit()->clear();
        QTest::keyClicks(combo->lineEdit(), text);
    }
    void Tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    // Keys as the platform delivers them: to the window, which passes them to its focus widget.
    void TypeInWindow(const QString& text)
    {
        for (QChar c : text) QTest::keyClick(form.windowHandle(), c.toLatin1());
    }

    QWidget form;
    QLabel* label = nullptr;
    TDataCombo* combo = nullptr;
    QPushButton* button = nullptr;
};

TEST_F(DataComboTest, StartsAtZeroWithBothBoundsZero)
{
    TDataCombo fresh;
    EXPECT_EQ(fresh.currentText(), "0");
    EXPECT_EQ(fresh.MinVal(), 0.0L);
    EXPECT_EQ(fresh.MaxVal(), 0.0L);
    EXPECT_EQ(fresh.Units(), 1);
    EXPECT_TRUE(fresh.Values().isEmpty());
    EXPECT_TRUE(fresh.isEditable());
}

TEST_F(DataComboTest, AnItemStandsForItsValue)
{
    combo->setCurrentIndex(1);
    EXPECT_EQ(combo->currentText(), "High");
    EXPECT_EQ(combo->Number(), 2.0L);
    EXPECT_EQ(combo->currentText(), "2");
    // A text that matches no item (case-sensitive) is evaluated as it stands.
    combo->setEditText(QStringLiteral("3*4"));
    EXPECT_EQ(combo->Number(), 12.0L);
    combo->setEditText(QStringLiteral("high"));
    EXPECT_THROW(combo->Number(), EAssignError);
    // Without a parent the items are not consulted.
    TDataCombo loose;
    loose.addItem(QStringLiteral("One"));
    loose.Values() << QStringLiteral("1");
    loose.setEditText(QStringLiteral("One"));
    EXPECT_THROW(loose.Number(), EAssignError);
}

TEST_F(DataComboTest, LeavingValidatesWithTheMessagesAndKeepsTheFocus)
{
    combo->SetMinVal(-5);
    combo->SetMaxVal(10);
    struct Case {
        const char* typed;
        const char* message;
        const char* text;
    };
    // A number beyond a bound gives back what the control held before (here its first text,
    // 0), never the bound; a text that does not evaluate stays as typed.
    const Case cases[] = {
        {"20", "Entry must be less than or equal to 10", "0"},
        {"-7.5", "Entry must be greater than or equal to -5", "0"},
        {"1E-", "Entry could not be evaluated:\rinvalid character(s) in expression", "1E-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        recorder.Clear();
        Type(QString::fromLatin1(c.typed));
        Tab();
        ASSERT_EQ(recorder.Count(), 1);
        EXPECT_EQ(recorder.LastText(), c.message);
        EXPECT_EQ(combo->currentText(), c.text);
        EXPECT_FALSE(combo->Valid());
        EXPECT_TRUE(combo->hasFocus());
    }
    recorder.Clear();
    Type(QStringLiteral("2.5"));
    Tab();
    EXPECT_EQ(recorder.Count(), 0);
    EXPECT_TRUE(combo->Valid());
    EXPECT_EQ(combo->currentText(), "2.5");  // a valid text is not reformatted
    EXPECT_TRUE(button->hasFocus());
}

TEST_F(DataComboTest, ARefusedEntryIsAWarningThatNamesTheField)
{
    combo->SetCaption(QStringLiteral("Pile length"));
    combo->SetUnitsString(QStringLiteral("L"));
    combo->SetUnits(2);
    combo->SetMaxVal(10);
    struct Case {
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {"1E-", "Entry could not be evaluated:\rinvalid character(s) in expression"},
        {"20", "Entry must be less than or equal to 10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        recorder.Clear();
        Type(QString::fromLatin1(c.typed));
        Tab();
        ASSERT_EQ(recorder.Count(), 1);
        const MessageRecorder::Message message = recorder.Messages().at(0);
        EXPECT_EQ(message.kind, MessageSink::Kind::Warning);
        EXPECT_EQ(message.text, QString::fromLatin1(c.message));
        EXPECT_EQ(message.place, QStringLiteral("Pile length (m)"));
        EXPECT_EQ(message.place, label->text());
        EXPECT_TRUE(combo->hasFocus());
    }
}

TEST_F(DataComboTest, IntegerOnlyMessagesAndIntegerText)
{
    combo->SetIntegerOnly(true);
    combo->setEditText(QStringLiteral("2.5"));
    EXPECT_FALSE(DataCmb::IsValidComboEntry(combo));
    EXPECT_EQ(recorder.LastText(), "Entry must be an integer.");
    combo->setEditText(QStringLiteral("-"));
    EXPECT_FALSE(DataCmb::IsValidComboEntry(combo));
    EXPECT_EQ(recorder.LastText(), "Entry must be a valid integer.");
    combo->SetNumber(7.9L);
    EXPECT_EQ(combo->currentText(), "7");  // truncated
    combo->SetNumber(1000);
    EXPECT_EQ(combo->currentText(), "100");
    combo->SetIntegerOnly(false);
    combo->SetNumber(1.0L / 3);
    EXPECT_EQ(combo->currentText(), "0.33333333");
}

TEST_F(DataComboTest, TheKeyFilterPassesDigitsSignPointAndUpperCaseE)
{
    Type(QStringLiteral("1e5x"));
    EXPECT_EQ(combo->currentText(), "1E5");
    Type(QStringLiteral("-2.5*3+a"));
    EXPECT_EQ(combo->currentText(), "-2.53");
    QTest::keyClick(combo->lineEdit(), Qt::Key_Backspace);
    EXPECT_EQ(combo->currentText(), "-2.5");
    // Enter is no character of the filter's list but adds no item either.
    QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo->count(), 2);
}

// Keys typed as a user types them reach the window, which hands them to the focused combo box
// (not to its line edit): the filter must hold there too.
TEST_F(DataComboTest, TheKeyFilterHoldsForKeysTypedThroughTheWindow)
{
    ASSERT_EQ(QApplication::focusWidget(), combo);
    combo->lineEdit()->clear();
    TypeInWindow(QStringLiteral("1e5x*+a"));
    EXPECT_EQ(combo->currentText(), "1E5");
    QTest::keyClick(form.windowHandle(), Qt::Key_Backspace);
    EXPECT_EQ(combo->currentText(), "1E");
}

// The list's items never complete a typed number: "2" stays 2 beside the items "10" and "250".
TEST_F(DataComboTest, TypedNumbersAreNotCompletedFromTheItems)
{
    combo->clear();
    combo->addItems({QStringLiteral("10"), QStringLiteral("250")});
    combo->Values() = QStringList{QStringLiteral("10"), QStringLiteral("250")};
    combo->setEditText(QString());
    combo->setFocus();
    for (const char* typed : {"2", "1", "25"}) {
        SCOPED_TRACE(typed);
        combo->lineEdit()->clear();
        TypeInWindow(QString::fromLatin1(typed));
        EXPECT_EQ(combo->currentText(), QString::fromLatin1(typed));
        QTest::keyClick(form.windowHandle(), Qt::Key_Tab);
        EXPECT_EQ(combo->currentText(), QString::fromLatin1(typed));
        EXPECT_EQ(combo->Number(), QString::fromLatin1(typed).toInt());
        EXPECT_EQ(recorder.Count(), 0);
        combo->setFocus();
    }
    // A whole item still stands for its value.
    combo->lineEdit()->clear();
    TypeInWindow(QStringLiteral("250"));
    EXPECT_EQ(combo->Number(), 250);
}

TEST_F(DataComboTest, TheLabelKnowsOnlyTheBareCodes)
{
    struct Case {
        const char* units;
        int system;
        const char* label;
    };
    const Case cases[] = {
        {"F/L^3", 1, "Distance (lbs/in^3)"},
        {"F/L^3", 2, "Distance (kN/m^3)"},
        {"F/L^3", 3, "Distance (F/L^3)"},
        {"L2", 2, "Distance (m2)"},
        {"", 1, "Distance"},
    };
    combo->SetCaption(QStringLiteral("Distance"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        combo->SetUnitsString(QString::fromLatin1(c.units));
        combo->SetUnits(c.system);
        EXPECT_EQ(label->text(), c.label);
    }
    combo->setEnabled(false);
    EXPECT_FALSE(label->isEnabled());
}

}  // namespace
