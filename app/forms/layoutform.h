// Foundation options form (unit Layout): `TfrmLayout`, the choice of the foundation type with a
// picture of it.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
//
// The picture of a type is read from the program's folder ("halfspace.bmp", "pile.bmp",
// "stratum.bmp", "multilayer.bmp"); a missing or unreadable file shows no picture.
#pragma once

#include "forms/dataform.h"

class QComboBox;
class QLabel;

class TfrmLayout : public TDataForm {
    Q_OBJECT

public:
    explicit TfrmLayout(TProject& project, QWidget* parent = nullptr);

    QComboBox* ComboBox1 = nullptr;
    QLabel* Image1 = nullptr;

    // FoundationCode from FoundationWord (1 HALF-SPACE, 2 PILE, 3 STRATUM, 4 MULTILAYER; any
    // other word leaves it).
    void UpdateFootingType();
    // Shows the picture of the foundation word.
    void ShowPicture();

signals:
    // The form was left: the main window brings its Data menu up to date for the foundation.
    void UpdateFoundationMenus();

protected:
    void Loaded() override;
    void Stored() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ComboBox1Change();
    void PlacePicture();
    QString m_wordAtActivation;
};

namespace LayoutForm {

// The picture file of a foundation word, empty for other words.
QString PictureFile(const QString& word);
// The folder the pictures are read from: the program's folder unless set (tests).
QString PictureFolder();
void SetPictureFolder(const QString& folder);

}  // namespace LayoutForm
