#include "forms/optionsform.h"

#include "dataunit.h"
#include "util/filedialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace OptionsForm {

QString DefaultTextEditor()
{
    for (const char* name : {"VISUAL", "EDITOR"}) {
        const QString value = qEnvironmentVariable(name).trimmed();
        if (!value.isEmpty()) return value;
    }
    return QStringLiteral("xdg-open");
}

}  // namespace OptionsForm

TDlgOptions::TDlgOptions(TProject& project, std::function<QString()> textEditor,
                         std::function<void(const QString&)> setTextEditor, QWidget* parent)
    : TDataForm(project, parent), m_textEditor(std::move(textEditor)), m_setTextEditor(std::move(setTextEditor))
{
    setWindowTitle(QStringLiteral("Control Options"));
    auto* g = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("&Text Editor:"), this);
    EdtWord = new QLineEdit(this);
    label->setBuddy(EdtWord);
    BtnBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    CheckBox1 = new QCheckBox(QStringLiteral("Generate Foundation Stiffness Matrix"), this);
    g->addWidget(label, 0, 0, 1, 2);
    g->addWidget(EdtWord, 1, 0);
    g->addWidget(BtnBrowse, 1, 1);
    g->addWidget(CheckBox1, 2, 0, 1, 2);
    g->setRowStretch(3, 1);
    g->setColumnStretch(0, 1);
    Browser = [](QWidget* owner, const QString& start) {
        return FileDialog::OpenFileName(owner, QString(), start, QStringLiteral("Programs (*);;All Files (*)"));
    };
    connect(BtnBrowse, &QPushButton::clicked, this, [this] { Guarded([this] { BtnBrowseClick(); }); });
    SetClientSize(396, 193);
}

void TDlgOptions::Loaded()
{
    QString path = m_textEditor ? m_textEditor() : QString();
    if (path.isEmpty()) {
        path = OptionsForm::DefaultTextEditor();
        if (m_setTextEditor) m_setTextEditor(path);
    }
    EdtWord->setText(path);
    CheckBox1->setChecked(Data().MatrixFlag == 1);
}

void TDlgOptions::Stored()
{
    if (m_setTextEditor) m_setTextEditor(EdtWord->text());
    const int32_t matrix = CheckBox1->isChecked() ? 1 : 0;
    // The switch is written with the project: a change is a change of the project.
    if (Data().MatrixFlag != matrix) MarkModified();
    Data().MatrixFlag = matrix;
}

void TDlgOptions::BtnBrowseClick()
{
    if (!Browser) return;
    const QString chosen = Browser(this, EdtWord->text());
    if (!chosen.isEmpty()) EdtWord->setText(chosen);
}
