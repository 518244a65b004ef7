// Foundation shape form (unit Shape): `TfrmShape`, rectangular or circular plan and its sizes.
//
// Conventions of the main program: see dataentry/util/exceptions.h.
#pragma once

#include "forms/dataform.h"

class QGroupBox;
class QRadioButton;

class TfrmShape : public TDataForm {
    Q_OBJECT

public:
    explicit TfrmShape(TProject& project, QWidget* parent = nullptr);

    QRadioButton* RadioButton1 = nullptr;  // "Rectangular"
    QRadioButton* RadioButton2 = nullptr;  // "Circular"
    TDataEdit* DataEdit1 = nullptr;        // Radius
    TDataEdit* DataEdit2 = nullptr;        // LengthX
    TDataEdit* DataEdit3 = nullptr;        // WidthY

protected:
    void Loaded() override;

private:
    void RadioButton1Click();
    void RadioButton2Click();
    void ShowFields(bool circular);
    void SetShape(int32_t code);
};
