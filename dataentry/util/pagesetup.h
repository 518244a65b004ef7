// Page-setup dialog used before printing plots and views (unit PageSet): `TPageSetupDialog`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// A non-visual component over QPageSetupDialog. The caller sets the margins (in hundredths of a
// millimetre or thousandths of an inch, as the options say), runs Execute and, when it returns
// true, reads the margins and the paper size chosen in the dialog. Margins never go below their
// minimum margins. The dialog opens centred across the screen and one third down; it works on a
// copy of the printer's settings, so the printer, paper and orientation chosen in it are not
// applied to the printer (`SetPrinter`, none by default: the platform's default printer).
//
// Options, each with the flag it contributes to FlagWord():
//   poDefaultMinMargins 0x0  the minimum margins are the printer's
//   poDisableMargins    0x10 the margin fields are disabled
//   poMargins           0x2  the margins are passed in (else the dialog starts from the
//                            printer's own margins)
//   poMinMargins        0x1  the minimum margins are passed in
//   poDisableOrientation 0x100, poDisablePaper 0x200: those fields are disabled
//   poDisablePrinter    0x20 (the dialog has no printer choice here)
//   poHundredthsOfMillimeters 0x8, poThousandthsOfInches 0x4: the unit of margins and paper
// poDefaultMinMargins and poMinMargins exclude each other, as do the two units: of a pair the
// member newly added by SetOptions wins (poDefaultMinMargins and poHundredthsOfMillimeters when
// both are new); a pair that was already present together stays.
#pragma once

#include <QFlags>
#include <QObject>
#include <QPoint>
#include <QSize>
#include <cstdint>

class QPageSetupDialog;
class QPrinter;

enum TPageSetupFlags : uint32_t {
    poDefaultMinMargins = 1u << 0,
    poDisableMargins = 1u << 1,
    poMargins = 1u << 2,
    poMinMargins = 1u << 3,
    poDisableOrientation = 1u << 4,
    poDisablePaper = 1u << 5,
    poDisablePrinter = 1u << 6,
    poHundredthsOfMillimeters = 1u << 7,
    poThousandthsOfInches = 1u << 8,
};
using TPageOptions = QFlags<TPageSetupFlags>;
Q_DECLARE_OPERATORS_FOR_FLAGS(TPageOptions)

class TPageSetupDialog : public QObject {
    Q_OBJECT

public:
    explicit TPageSetupDialog(QObject* owner = nullptr);
    ~TPageSetupDialog() override;

    TPageOptions Options() const { return m_options; }
    void SetOptions(TPageOptions value);
    // The OR of the system flags of the options (0 until Options is first set).
    uint32_t FlagWord() const { return m_flags; }

    int MarginLeft() const { return m_margin[0]; }
    int MarginTop() const { return m_margin[1]; }
    int MarginRight() const { return m_margin[2]; }
    int MarginBottom() const { return m_margin[3]; }
    // The margin becomes the larger of the value and its minimum margin.
    void SetMarginLeft(int value) { SetMargin(0, value); }
    void SetMarginTop(int value) { SetMargin(1, value); }
    void SetMarginRight(int value) { SetMargin(2, value); }
    void SetMarginBottom(int value) { SetMargin(3, value); }

    int MinMarginLeft() const { return m_minMargin[0]; }
    int MinMarginTop() const { return m_minMargin[1]; }
    int MinMarginRight() const { return m_minMargin[2]; }
    int MinMarginBottom() const { return m_minMargin[3]; }
    // The minimum margin becomes the smaller of the value and its margin.
    void SetMinMarginLeft(int value) { SetMinMargin(0, value); }
    void SetMinMarginTop(int value) { SetMinMargin(1, value); }
    void SetMinMarginRight(int value) { SetMinMargin(2, value); }
    void SetMinMarginBottom(int value) { SetMinMargin(3, value); }

    // Paper size returned by the last accepted dialog, in the unit of the options.
    int PaperLength() const { return m_paperLength; }
    int PaperWidth() const { return m_paperWidth; }

    // The printer whose settings the dialog starts from (not owned; none: the default printer).
    void SetPrinter(QPrinter* printer) { m_printer = printer; }
    QPrinter* Printer() const { return m_printer; }

    // Runs the dialog; true when the user accepted it, and then the paper size and the margins
    // hold the dialog's values. Errors are shown through the message interface (result false).
    bool Execute();

    // Top-left corner of a window of the given size on a screen of the given size: centred
    // across, one third of the free height down.
    static QPoint CenteredPosition(const QSize& screen, const QSize& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetMargin(int side, int value);
    void SetMinMargin(int side, int value);
    bool RunDialog();
    void PrepareDialog(QPageSetupDialog& dialog) const;

    TPageOptions m_options;
    uint32_t m_flags = 0;
    int m_margin[4] = {0, 0, 0, 0};
    int m_minMargin[4] = {0, 0, 0, 0};
    int m_paperLength = 0;
    int m_paperWidth = 0;
    QPrinter* m_printer = nullptr;
};
