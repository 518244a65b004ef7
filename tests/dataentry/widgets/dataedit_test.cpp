#include "entry/dataedit.h"
#include "entry/misc.h"

#include "widget_fixture.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cfloat>

namespace {

// A small form: label, two number fields and a button.
class DataEditTest : public WidgetTest {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&form);
        label = new QLabel(&form);
        first = new TDataEdit(&form);
        second = new TDataEdit(&form);
        button = new QPushButton(QStringLiteral("OK"), &form);
        layout->addWidget(label);
        layout->addWidget(first);
        layout->addWidget(second);
        layout->addWidget(button);
        first->SetEditLabel(label);
        ShowActive(form);
        first->setFocus();
        ASSERT_TRUE(first->hasFocus());
    }

    // Replaces the text of the focused first field by typing.
    void Type(const QString& text)
    {
        first->selectAll();
        QTest::keyClick(first, Qt::Key_Delete);
        QTest::keyClicks(first, text);
    }
    void Tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }

    QWidget form;
    QLabel* label = nullptr;
    TDataEdit* first = nullptr;
    TDataEdit* second = nullptr;
    QPushButton* button = nullptr;
};

TEST_F(DataEditTest, StartsAsZeroWithTheWidestBoundsAndEnglishUnits)
{
    TDataEdit edit;
    EXPECT_EQ(edit.text(), "0");
    EXPECT_EQ(edit.MinVal(), -LDBL_MAX);
    EXPECT_EQ(edit.MaxVal(), LDBL_MAX);
    EXPECT_EQ(edit.Units(), 1);
    EXPECT_FALSE(edit.IntegerOnly());
    EXPECT_FALSE(edit.Hex());
}

TEST_F(DataEditTest, LeavingTheFieldEvaluatesTheExpression)
{
    first->SetMinVal(0);
    first->SetMaxVal(10);
    Type(QStringLiteral("2*3"));
    Tab();
    EXPECT_EQ(first->text(), "6");
    EXPECT_EQ(first->Number(), 6.0L);
    EXPECT_TRUE(first->Valid());
    EXPECT_EQ(recorder.Count(), 0);
    EXPECT_TRUE(second->hasFocus());
}

// A number beyond a bound is refused: the field keeps what it held before the entry, all of it
// selected so that what the user types next replaces it, and never the bound (a value the user
// did not give).
TEST_F(DataEditTest, ABoundViolationKeepsTheValueHeldBeforeAndTheFocus)
{
    struct Case {
        const char* typed;
        const char* message;
    };
    const Case cases[] = {
        {"12", "Entry must be less than or equal to 10"},
        {"-0.5", "Entry must be greater than or equal to -0.25"},
        {"1e3", "Entry must be less than or equal to 10"},
    };
    first->SetMinVal(-0.25L);
    first->SetMaxVal(10);
    first->SetNumber(4);  // written by the program, as a form loads its values
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        recorder.Clear();
        Type(QString::fromLatin1(c.typed));
        Tab();
        ASSERT_EQ(recorder.Count(), 1);
        EXPECT_EQ(recorder.Messages().at(0).kind, MessageSink::Kind::Warning);
        EXPECT_EQ(recorder.LastText(), c.message);
        EXPECT_EQ(first->text(), "4");
        EXPECT_EQ(first->selectedText(), "4");
        EXPECT_FALSE(first->Valid());
        EXPECT_TRUE(first->hasFocus());
    }
    // What the user types next replaces it; an accepted entry is the one given back later.
    QTest::keyClicks(first, QStringLiteral("2*3"));
    Tab();
    EXPECT_TRUE(first->Valid());
    EXPECT_EQ(first->text(), "6");
    EXPECT_TRUE(second->hasFocus());
    first->setFocus();
    Type(QStringLiteral("11"));
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(first->text(), "6");
    // A text the program writes directly is held as well.
    first->setText(QStringLiteral("7.5"));
    Type(QStringLiteral("99"));
    Tab();
    EXPECT_EQ(first->text(), "7.5");
    EXPECT_FALSE(first->Valid());
    Tab();  // passing on with it: valid
    EXPECT_TRUE(first->Valid());
    EXPECT_EQ(first->Number(), 7.5L);
}

// The 32-bit bound of an integer field: 1e308 is refused, the field does not take 2147483647.
TEST_F(DataEditTest, AnIntegerFieldRefusesAHugeNumberWithoutTakingTheBound)
{
    first->SetIntegerOnly(true);
    first->SetMinVal(0);
    first->SetMaxVal(LDBL_MAX);  // held to 2147483647
    ASSERT_EQ(first->MaxVal(), 2147483647.0L);
    first->SetNumber(30);
    Type(QStringLiteral("1e308"));
    Tab();
    EXPECT_EQ(recorder.LastText(), "Entry must be less than or equal to 2147483647");
    EXPECT_EQ(first->text(), "30");
    // As a form asks before it stores the value: the one held before.
    EXPECT_TRUE(DataEdit::IsValidEntry(first));
    EXPECT_EQ(first->Number(), 30.0L);
}

TEST_F(DataEditTest, ARefusedEntryIsAWarningThatNamesTheField)
{
    // The field's name: its label as shown, else its caption with units, else its accessible
    // name; a field without any of them shows the text alone.
    struct Case {
        const char* name;
        void (*setUp)(TDataEdit* edit, QLabel* label);
        const char* place;
    };
    const Case cases[] = {
        {"label with units",
         [](TDataEdit* e, QLabel*) {
             e->SetCaption(QStringLiteral("Unit weight"));
             e->SetUnitsString(QStringLiteral("F/L2^3"));
         },
         "Unit weight (lbs/ft^3)"},
        {"label with an access key and two lines",
         [](TDataEdit*, QLabel* l) { l->setText(QStringLiteral("Shear &wave\nvelocity && speed")); },
         "Shear wave velocity & speed"},
        {"caption, no label",
         [](TDataEdit* e, QLabel*) {
             e->SetEditLabel(nullptr);
             e->SetCaption(QStringLiteral("Depth"));
             e->SetUnitsString(QStringLiteral("L2"));
             e->SetUnits(2);
         },
         "Depth (m)"},
        {"accessible name only",
         [](TDataEdit* e, QLabel*) {
             e->SetEditLabel(nullptr);
             e->setAccessibleName(QStringLiteral("Frequency"));
         },
         "Frequency"},
        {"nothing", [](TDataEdit* e, QLabel*) { e->SetEditLabel(nullptr); }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* fieldLabel = new QLabel(&window);
        auto* edit = new TDataEdit(&window);
        auto* next = new QPushButton(QStringLiteral("Next"), &window);
        layout->addWidget(fieldLabel);
        layout->addWidget(edit);
        layout->addWidget(next);
        edit->SetEditLabel(fieldLabel);
        c.setUp(edit, fieldLabel);
        ShowActive(window);
        edit->setFocus();
        recorder.Clear();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("abc"));
        QTest::keyClick(edit, Qt::Key_Tab);
        ASSERT_EQ(recorder.Count(), 1);
        const MessageRecorder::Message message = recorder.Messages().at(0);
        EXPECT_EQ(message.kind, MessageSink::Kind::Warning);
        EXPECT_EQ(message.text, QStringLiteral("Entry could not be evaluated:\rinvalid character(s) in expression"));
        EXPECT_EQ(message.place, QString::fromUtf8(c.place));
        EXPECT_EQ(message.parent, edit);
        EXPECT_TRUE(edit->hasFocus());
    }
}

TEST_F(DataEditTest, IntegerOnlyRefusesFractionsAndTextsWithTheirMessages)
{
    first->SetIntegerOnly(true);
    Type(QStringLiteral("2.5"));
    Tab();
    EXPECT_EQ(recorder.LastText(), "Entry must be an integer.");
    EXPECT_EQ(first->text(), "2.5");  // kept as typed
    EXPECT_TRUE(first->hasFocus());

    Type(QStringLiteral("abc"));
    QTest::mouseClick(button, Qt::LeftButton);  // a click elsewhere leaves the field too
    EXPECT_EQ(recorder.LastText(), "Entry must be a valid integer.");
    EXPECT_EQ(first->text(), "abc");
    EXPECT_EQ(recorder.Count(), 2);

    Type(QStringLiteral("5/2*2"));
    Tab();
    EXPECT_TRUE(first->Valid());
    EXPECT_EQ(first->text(), "5");
}

TEST_F(DataEditTest, WithoutIntegerOnlyTheEvaluatorsMessageIsShown)
{
    Type(QStringLiteral("abc"));
    EXPECT_FALSE(DataEdit::IsValidEntry(first));
    EXPECT_EQ(recorder.LastText(),
              QStringLiteral("Entry could not be evaluated:\rinvalid character(s) in expression"));
    // An error the evaluator leaves unconverted is shown as well and never escapes.
    Type(QStringLiteral("5%0"));
    EXPECT_FALSE(DataEdit::IsValidEntry(first));
    EXPECT_EQ(recorder.LastText(), "Division by zero");
    EXPECT_EQ(recorder.Count(), 2);
}

// A range the bounds cannot say (open at an end): the entry check refuses the value with its
// own reason, keeps the text as typed and the focus, in a plain field and an integer-only one.
TEST_F(DataEditTest, AnEntryCheckRefusesWithItsReasonAndKeepsTheText)
{
    first->EntryCheck = [](long double v) {
        if (!(v > -1)) throw EAssignError(QStringLiteral("Entry must be greater than -1"));
    };
    for (bool integer : {false, true}) {
        SCOPED_TRACE(integer);
        first->SetIntegerOnly(integer);
        recorder.Clear();
        Type(QStringLiteral("-2+1"));
        Tab();
        ASSERT_EQ(recorder.Count(), 1);
        EXPECT_EQ(recorder.Messages().at(0).kind, MessageSink::Kind::Warning);
        EXPECT_EQ(recorder.LastText(), "Entry must be greater than -1");
        EXPECT_EQ(first->text(), "-2+1");
        EXPECT_FALSE(first->Valid());
        EXPECT_TRUE(first->hasFocus());
        // A text that is no number keeps the field's own message.
        Type(QStringLiteral("abc"));
        Tab();
        EXPECT_EQ(recorder.LastText(), integer ? QStringLiteral("Entry must be a valid integer.")
                                               : QStringLiteral("Entry could not be evaluated:\rinvalid character(s) in expression"));
        Type(QStringLiteral("0"));
        Tab();
        EXPECT_TRUE(first->Valid());
        EXPECT_EQ(recorder.Count(), 2);
        first->setFocus();
    }
}

TEST_F(DataEditTest, IntegerOnlyHoldsTheBoundsToThe32BitRange)
{
    first->SetIntegerOnly(true);
    EXPECT_EQ(first->MaxVal(), 2147483647.0L);
    EXPECT_EQ(first->MinVal(), -2147483648.0L);
    first->SetMaxVal(1e12L);
    EXPECT_EQ(first->MaxVal(), 2147483647.0L);
}

TEST_F(DataEditTest, BoundWritesKeepMinBelowMaxAndMoveTheNumber)
{
    first->SetMaxVal(10);
    first->SetMinVal(20);
    EXPECT_EQ(first->MinVal(), 10.0L);  // not above MaxVal
    EXPECT_EQ(first->text(), "10");     // the number 0 is raised to the new minimum

    first->SetMinVal(-5);
    first->SetMaxVal(-10);
    EXPECT_EQ(first->MaxVal(), -5.0L);
    EXPECT_EQ(first->text(), "-5");

    first->setText("oops");
    EXPECT_THROW(first->SetMaxVal(3), EAssignError);
    EXPECT_EQ(first->MaxVal(), -5.0L);
}

TEST_F(DataEditTest, NumberWritesClampUnlessLoading)
{
    first->SetMinVal(0);
    first->SetMaxVal(10);
    first->SetNumber(12);
    EXPECT_EQ(first->text(), "10");
    first->SetNumber(1.0L / 3);
    EXPECT_EQ(first->text(), "0.333333333333333333");

    first->SetLoading(true);
    first->SetMaxVal(-1);
    first->SetNumber(12);
    first->SetLoading(false);
    EXPECT_EQ(first->MaxVal(), -1.0L);
    EXPECT_EQ(first->text(), "12");
}

TEST_F(DataEditTest, HexShowsDollarAndFourDigitsAtLeast)
{
    first->SetHex(true);
    first->SetNumber(255);
    EXPECT_EQ(first->text(), "$00FF");
    Type(QStringLiteral("$abcde+1"));
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(first->text(), "$ABCDF");
    EXPECT_EQ(DataEdit::FormatEditNumber(true, 2.5L), "$0002");  // ties to even
    EXPECT_EQ(DataEdit::FormatEditNumber(true, 3.5L), "$0004");
    EXPECT_EQ(DataEdit::FormatEditNumber(false, 1e20L), "1E20");

    first->SetMaxVal(16);
    Type(QStringLiteral("100"));
    Tab();
    EXPECT_EQ(recorder.LastText(), "Entry must be less than or equal to $0010");
    EXPECT_EQ(first->text(), "$0010") << "the value held before: 16 written by lowering the bound";
}

TEST_F(DataEditTest, EnterValidatesSelectsAllAndIsSwallowed)
{
    first->SetMaxVal(10);
    Type(QStringLiteral("3+4"));
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(first->text(), "7");
    EXPECT_TRUE(first->Valid());
    EXPECT_EQ(first->selectedText(), "7");
    EXPECT_TRUE(first->hasFocus());

    Type(QStringLiteral("30"));
    QTest::keyClick(first, Qt::Key_Enter);
    EXPECT_EQ(recorder.LastText(), "Entry must be less than or equal to 10");
    EXPECT_EQ(first->selectedText(), "7") << "the entry accepted before";
}

TEST_F(DataEditTest, AnOperatorTypedOverTheWholeTextIsAppended)
{
    first->SetNumber(5);
    for (const char* op : {"*", "+", "^", "!"}) {
        SCOPED_TRACE(op);
        first->SetNumber(5);
        first->selectAll();
        QTest::keyClicks(first, QString::fromLatin1(op));
        EXPECT_EQ(first->text(), QStringLiteral("5") + QString::fromLatin1(op));
    }
    first->selectAll();
    QTest::keyClicks(first, QStringLiteral("7"));  // other keys replace the selection
    EXPECT_EQ(first->text(), "7");
    first->selectAll();
    QTest::keyClicks(first, QStringLiteral("*2"));
    QTest::keyClick(first, Qt::Key_Return);
    EXPECT_EQ(first->text(), "14");
}

TEST_F(DataEditTest, AMessageOnLeavingDoesNotTriggerItselfOrTheNextField)
{
    second->setText("xyz");  // the field that the focus moves to is invalid as well
    Type(QStringLiteral("abc"));
    Tab();
    EXPECT_EQ(recorder.Count(), 1);
    EXPECT_TRUE(first->hasFocus());
    // Window activation and pop-ups leave the focus within the window: no validation.
    QFocusEvent deactivate(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(first, &deactivate);
    QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(first, &popup);
    EXPECT_EQ(recorder.Count(), 1);

    Type(QStringLiteral("1"));
    Tab();
    EXPECT_TRUE(second->hasFocus());
    Tab();  // now the second field reports its own entry, once
    EXPECT_EQ(recorder.Count(), 2);
    EXPECT_TRUE(second->hasFocus());
}

TEST_F(DataEditTest, ExitedIsEmittedOnEachValidation)
{
    int exits = 0;
    QObject::connect(first, &TDataEdit::Exited, [&] { ++exits; });
    Tab();
    EXPECT_EQ(exits, 1);
    EXPECT_TRUE(DataEdit::IsValidEntry(second));
    EXPECT_EQ(exits, 1);
}

TEST_F(DataEditTest, TheLabelShowsCaptionAndUnitsOfTheUnitSystem)
{
    struct Case {
        const char* units;
        int system;
        const char* label;
    };
    const Case cases[] = {
        {"F/L2^3", 1, "Unit weight (lbs/ft^3)"},
        {"F/L2^3", 2, "Unit weight (kN/m^3)"},
        {"F/L2^3", 3, "Unit weight (F/L2^3)"},
        {"F1-L", 1, "Unit weight (kips-in)"},
        {"F1-L1", 2, "Unit weight (kN-mm)"},
        {"F6", 2, "Unit weight (Mg)"},
        {"F4", 1, "Unit weight (lb-sec2/in)"},
        {"F5", 2, "Unit weight (sec)"},
        {"L3", 1, "Unit weight (rad)"},
        {"F2/L2^2", 1, "Unit weight (tons/ft^2)"},
        {"", 2, "Unit weight"},
    };
    first->SetCaption(QStringLiteral("Unit weight"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units);
        first->SetUnitsString(QString::fromLatin1(c.units));
        first->SetUnits(c.system);
        EXPECT_EQ(label->text(), c.label);
    }
    first->SetUnits(0);
    EXPECT_EQ(first->Units(), 1);
    first->SetUnits(7);
    EXPECT_EQ(first->Units(), 3);
    EXPECT_EQ(label->buddy(), first);

    first->setEnabled(false);
    EXPECT_FALSE(label->isEnabled());
    first->setEnabled(true);
    EXPECT_TRUE(label->isEnabled());
}

}  // namespace

namespace {

// Answers every real message box as soon as it is shown and counts them.
class BoxCloser : public QObject {
public:
    BoxCloser()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->accept();
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QTimer m_timer;
};

TEST_F(DataEditTest, WithRealMessageBoxesLeavingShowsOneBoxAndKeepsTheFocus)
{
    ScopedMessageSink boxes(nullptr);  // the QMessageBox sink
    BoxCloser closer;
    second->setText("xyz");
    first->SetMaxVal(10);
    Type(QStringLiteral("12"));
    Tab();
    QTest::qWait(100);
    EXPECT_EQ(closer.texts, QStringList{"Entry must be less than or equal to 10"});
    EXPECT_EQ(first->text(), "0") << "what it held before";
    EXPECT_EQ(form.focusWidget(), first);  // the field has the window's focus again
    EXPECT_EQ(recorder.Count(), 0);
}

}  // namespace
