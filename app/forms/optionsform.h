// Control options dialog (unit Options): `TDlgOptions`, the external text editor of the main
// window and the stiffness-matrix switch of the project.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// The text editor path belongs to the main window (kept in its settings); the form reads and
// writes it through the two functions it is given.
#pragma once

#include "forms/dataform.h"

#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;

class TDlgOptions : public TDataForm {
    Q_OBJECT

public:
    TDlgOptions(TProject& project, std::function<QString()> textEditor,
                std::function<void(const QString&)> setTextEditor, QWidget* parent = nullptr);

    QLineEdit* EdtWord = nullptr;
    QPushButton* BtnBrowse = nullptr;
    QCheckBox* CheckBox1 = nullptr;

    // Asks for a program, starting at the given path; empty when cancelled. By default an open
    // dialog for an existing file; tests put their own in place.
    std::function<QString(QWidget* parent, const QString& start)> Browser;

protected:
    void Loaded() override;
    void Stored() override;

private:
    void BtnBrowseClick();
    std::function<QString()> m_textEditor;
    std::function<void(const QString&)> m_setTextEditor;
};

namespace OptionsForm {

// The text editor used while none is set: $VISUAL, else $EDITOR, else "xdg-open".
QString DefaultTextEditor();

}  // namespace OptionsForm
