// The small dialogs of the plot window (unit PltData): graph title `TfrmGraphCaption`, legend
// names `TfrmLineNames`, listed curves `TfrmActiveLines` and bitmap size `TdlgFormat`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// Each dialog works on values that the plot window hands it and reads back afterwards; it
// changes nothing of the plot itself. Messages go through the message interface.
#pragma once

#include <QDialog>
#include <QImage>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class TDataEdit;

// "Graph Caption": the title text and whether it stands on top. Closing takes the values.
class TfrmGraphCaption : public QDialog {
    Q_OBJECT

public:
    explicit TfrmGraphCaption(QWidget* parent = nullptr);

    QLineEdit* Edit = nullptr;
    QRadioButton* TopButton = nullptr;
    QRadioButton* BottomButton = nullptr;
    QPushButton* OkButton = nullptr;
};

// "Legend": renames the curves. The rows are copied back into the name list whichever button
// closes the dialog; the caller applies them on OK only.
class TfrmLineNames : public QDialog {
    Q_OBJECT

public:
    TfrmLineNames(QStringList& names, QWidget* parent = nullptr);

    // Enter in the edit, or leaving it: a non-empty text replaces the selected row; an empty one
    // is refused with "The line must have a name!" and the row's text comes back.
    bool CommitEdit();
    void done(int result) override;

    QListWidget* List = nullptr;
    QLineEdit* Edit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowSelected();

    QStringList& m_names;
    bool m_committing = false;
};

// "Active Curves": chooses the listed curves. States are " yes : " or " no  : "; they are
// copied back into the state list on OK.
class TfrmActiveLines : public QDialog {
    Q_OBJECT

public:
    static const QString Yes;
    static const QString No;

    TfrmActiveLines(const QStringList& names, QStringList& states, QWidget* parent = nullptr);

    void ToggleRow(int row);
    void ToggleSelected();
    void SetAll(bool listed);
    QStringList States() const { return m_work; }
    void done(int result) override;

    QListWidget* List = nullptr;
    QPushButton* ToggleButton = nullptr;
    QPushButton* AllButton = nullptr;
    QPushButton* NoneButton = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

private:
    void RewriteRow(int row);

    QStringList m_names;
    QStringList& m_states;
    QStringList m_work;
};

// "Save Attributes": height and width in inches and pixels per inch of a saved bitmap. OK makes
// the bitmap (held in `Bitmap`); when its memory cannot be had the dialog ends with Abort.
class TdlgFormat : public QDialog {
    Q_OBJECT

public:
    static constexpr int Abort = 3;

    explicit TdlgFormat(QWidget* parent = nullptr);
    void OkClick();

    TDataEdit* HeightEdit = nullptr;
    TDataEdit* WidthEdit = nullptr;
    TDataEdit* PpiEdit = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

    int BitmapWidth = 0;
    int BitmapHeight = 0;
    QImage Bitmap;

protected:
    // Return in a field presses OK (the fields would otherwise keep the key to themselves).
    bool eventFilter(QObject* watched, QEvent* event) override;
};
