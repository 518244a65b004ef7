#include "forms/titleform.h"

#include "dataunit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// The memo takes no line breaks: Enter does nothing, pasted breaks become blanks.
class TTitleMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            event->ignore();
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
};

}  // namespace

TdlgTitle::TdlgTitle(TProject& project, QWidget* parent) : TDataForm(project, parent)
{
    setWindowTitle(QStringLiteral("Project Title"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Enter text line for project description:"), this);
    layout->addWidget(label);
    TitleMemo = new TTitleMemo(this);
    TitleMemo->setTabChangesFocus(true);
    label->setBuddy(TitleMemo);
    layout->addWidget(TitleMemo);
    connect(TitleMemo, &QPlainTextEdit::textChanged, this, [this] { Limit(); });
    SetClientSize(390, 175);
}

void TdlgTitle::Limit()
{
    const QString text = TitleMemo->toPlainText();
    QString limited = text;
    for (QChar& c : limited)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
            c == QChar::LineSeparator)
            c = QLatin1Char(' ');
    if (limited.size() > kMaxLength) limited.truncate(kMaxLength);
    if (limited == text) return;
    const int position = qMin(TitleMemo->textCursor().position(), int(limited.size()));
    const QSignalBlocker blocker(TitleMemo);
    TitleMemo->setPlainText(limited);
    QTextCursor cursor = TitleMemo->textCursor();
    cursor.setPosition(position);
    TitleMemo->setTextCursor(cursor);
}

void TdlgTitle::Loaded()
{
    TitleMemo->setPlainText(Data().ProjectTitle);
    // The caret waits at the end of the text, ready to go on typing.
    TitleMemo->moveCursor(QTextCursor::End);
}

void TdlgTitle::Stored()
{
    Limit();
    const QString text = TitleMemo->toPlainText();
    if (text != Data().ProjectTitle) {
        Data().ProjectTitle = text;
        MarkModified();
    }
}
