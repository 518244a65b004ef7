#include "util/pagesetup.h"

#include "widget_fixture.h"

#include <QAbstractButton>
#include <QDoubleSpinBox>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QScreen>
#include <QTimer>

#include <functional>

namespace {

using PageSetupTest = WidgetTest;

TEST_F(PageSetupTest, StartsInHundredthsOfMillimetresWithPrinterMinimumMargins)
{
    TPageSetupDialog d;
    EXPECT_EQ(d.Options(), poDefaultMinMargins | poHundredthsOfMillimeters);
    EXPECT_EQ(d.FlagWord(), 0u);  // no flag word until the options are first set
    EXPECT_EQ(d.MarginLeft() + d.MarginTop() + d.MarginRight() + d.MarginBottom(), 0);
    EXPECT_EQ(d.PaperLength(), 0);
    EXPECT_EQ(d.PaperWidth(), 0);
}

TEST_F(PageSetupTest, OfEachExclusivePairTheNewlyAddedMemberWins)
{
    struct Case {
        const char* name;
        TPageOptions before;
        TPageOptions set;
        TPageOptions after;
        uint32_t flags;
    };
    const TPageOptions none;
    const Case cases[] = {
        {"inches replace millimetres", poDefaultMinMargins | poHundredthsOfMillimeters,
         poDefaultMinMargins | poThousandthsOfInches, poDefaultMinMargins | poThousandthsOfInches,
         0x4},
        {"added min margins win", poDefaultMinMargins, poDefaultMinMargins | poMinMargins,
         poMinMargins, 0x1},
        {"added default min margins win", poMinMargins, poDefaultMinMargins | poMinMargins,
         poDefaultMinMargins, 0x0},
        {"both new: default and millimetres", none,
         poDefaultMinMargins | poMinMargins | poHundredthsOfMillimeters | poThousandthsOfInches,
         poDefaultMinMargins | poHundredthsOfMillimeters, 0x8},
        {"a member already present is kept", poMinMargins | poThousandthsOfInches,
         poMinMargins | poThousandthsOfInches | poMargins,
         poMinMargins | poThousandthsOfInches | poMargins, 0x1 | 0x4 | 0x2},
        {"every flag bit",
         none,
         poDisableMargins | poMargins | poMinMargins | poDisableOrientation | poDisablePaper |
             poDisablePrinter | poThousandthsOfInches,
         poDisableMargins | poMargins | poMinMargins | poDisableOrientation | poDisablePaper |
             poDisablePrinter | poThousandthsOfInches,
         0x10 | 0x2 | 0x1 | 0x100 | 0x200 | 0x20 | 0x4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TPageSetupDialog d;
        d.SetOptions(c.before);
        d.SetOptions(c.set);
        EXPECT_EQ(d.Options(), c.after);
        EXPECT_EQ(d.FlagWord(), c.flags);
    }
}

TEST_F(PageSetupTest, MarginsStayAtOrAboveTheirMinimum)
{
    TPageSetupDialog d;
    d.SetMarginLeft(1000);
    d.SetMinMarginLeft(800);
    d.SetMarginLeft(500);
    EXPECT_EQ(d.MarginLeft(), 800);
    d.SetMarginTop(200);
    d.SetMinMarginTop(300);
    EXPECT_EQ(d.MinMarginTop(), 200);
    d.SetMarginRight(-5);  // minimum 0
    EXPECT_EQ(d.MarginRight(), 0);
}

TEST_F(PageSetupTest, TheDialogOpensCentredAcrossAndOneThirdDown)
{
    EXPECT_EQ(TPageSetupDialog::CenteredPosition(QSize(1024, 768), QSize(400, 300)),
              QPoint(312, 156));
}

// Runs Execute while `user` acts on the open dialog.
bool ExecuteWith(TPageSetupDialog& d, std::function<void(QPageSetupDialog*)> user)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QPageSetupDialog*>(QApplication::activeModalWidget());
        seen = dialog != nullptr;
        if (dialog) user(dialog);
        else if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
    });
    const bool result = d.Execute();
    EXPECT_TRUE(seen);
    return result;
}

QDoubleSpinBox* Field(QPageSetupDialog* dialog, const char* name)
{
    return dialog->findChild<QDoubleSpinBox*>(QLatin1String(name));
}

TEST_F(PageSetupTest, CancellingChangesNothing)
{
    TPageSetupDialog d;
    d.SetOptions(poDefaultMinMargins | poHundredthsOfMillimeters | poMargins);
    d.SetMarginLeft(2000);
    const bool accepted = ExecuteWith(d, [](QPageSetupDialog* dialog) {
        if (auto* left = Field(dialog, "leftMargin")) left->setValue(35);
        dialog->reject();
    });
    EXPECT_FALSE(accepted);
    EXPECT_EQ(d.MarginLeft(), 2000);
    EXPECT_EQ(d.PaperLength(), 0);
    EXPECT_EQ(d.PaperWidth(), 0);
    EXPECT_EQ(recorder.Count(), 0);
}

TEST_F(PageSetupTest, AcceptingReturnsPaperAndMarginsInTheChosenUnit)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);

    TPageSetupDialog d;
    d.SetPrinter(&printer);
    d.SetOptions(poDefaultMinMargins | poHundredthsOfMillimeters | poMargins | poDisablePaper);
    d.SetMarginLeft(2000);
    d.SetMarginTop(1500);
    d.SetMarginRight(1000);
    d.SetMarginBottom(1000);
    bool startedFromMargins = false, paperDisabled = false, marginsEnabled = false;
    QPoint position, expectedPosition;
    const bool accepted = ExecuteWith(d, [&](QPageSetupDialog* dialog) {
        startedFromMargins = Field(dialog, "leftMargin") && Field(dialog, "leftMargin")->value() == 20;
        marginsEnabled = Field(dialog, "topMargin") && Field(dialog, "topMargin")->isEnabled();
        auto* size = dialog->findChild<QWidget*>(QStringLiteral("pageSizeCombo"));
        paperDisabled = size && !size->isEnabled();
        const QRect screen = dialog->screen()->geometry();
        position = dialog->frameGeometry().topLeft() - screen.topLeft();
        expectedPosition = TPageSetupDialog::CenteredPosition(screen.size(),
                                                              dialog->frameGeometry().size());
        Field(dialog, "leftMargin")->setValue(25);
        dialog->accept();
    });
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(startedFromMargins);
    EXPECT_TRUE(marginsEnabled);
    EXPECT_TRUE(paperDisabled);
    EXPECT_EQ(position, expectedPosition);
    EXPECT_EQ(d.MarginLeft(), 2500);
    EXPECT_EQ(d.MarginTop(), 1500);
    EXPECT_EQ(d.PaperWidth(), 21000);
    EXPECT_EQ(d.PaperLength(), 29700);
    // The printer itself keeps its own settings.
    EXPECT_NE(printer.pageLayout().margins(QPageLayout::Millimeter).left(), 25.0);

    // In thousandths of an inch with the minimum margins passed in.
    TPageSetupDialog inches;
    inches.SetPrinter(&printer);
    inches.SetOptions(poMinMargins | poThousandthsOfInches | poMargins | poDisableMargins);
    inches.SetMarginLeft(1000);
    inches.SetMinMarginLeft(750);
    bool marginsDisabled = false;
    ASSERT_TRUE(ExecuteWith(inches, [&](QPageSetupDialog* dialog) {
        marginsDisabled = Field(dialog, "leftMargin") && !Field(dialog, "leftMargin")->isEnabled();
        dialog->accept();
    }));
    EXPECT_TRUE(marginsDisabled);
    EXPECT_EQ(inches.MarginLeft(), 1000);
    EXPECT_NEAR(inches.PaperWidth(), 8268, 5);  // 210 mm x 297 mm
    EXPECT_NEAR(inches.PaperLength(), 11693, 5);
}

}  // namespace
