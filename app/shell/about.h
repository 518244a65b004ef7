// About box of the main program (unit About): `TAboutBox`.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include <QDialog>

class QLabel;

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    // `version` is the program's version text ("3.0.11").
    explicit TAboutBox(const QString& version, QWidget* parent = nullptr);

    // "Version " followed by the version text.
    QLabel* VersionLabel() const { return m_version; }

private:
    QLabel* m_version = nullptr;
};
