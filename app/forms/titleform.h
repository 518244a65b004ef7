// Project title dialog (unit Title): `TdlgTitle`, one line of at most 74 characters (what the
// analysis reads after "TITLE=" in its 80 columns). A longer title, read from the project or
// pasted, is cut with the notice the save gives (ProjectFile::TitleNotice).
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class QPlainTextEdit;

class TdlgTitle : public TDataForm {
    Q_OBJECT

public:
    explicit TdlgTitle(TProject& project, QWidget* parent = nullptr);

    static constexpr int kMaxLength = 74;
    QPlainTextEdit* TitleMemo = nullptr;

protected:
    void Loaded() override;
    void Stored() override;

private:
    // One line of at most kMaxLength characters; `tell`: a cut is told to the user.
    void Limit(bool tell);
    bool m_noticePending = false;
};
