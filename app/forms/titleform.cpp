#include "forms/titleform.h"

#include "dataunit.h"
#include "projectfile.h"
#include "util/messages.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

// The memo takes no line breaks: Enter does nothing, pasted breaks become blanks.
class TTitleMemo : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;
    // Set while a paste or a drop puts text in.
    bool Inserting = false;

protected:
    void insertFromMimeData(const QMimeData* source) override
    {
        Inserting = true;
        QPlainTextEdit::insertFromMimeData(source);
        Inserting = false;
    }
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
    connect(TitleMemo, &QPlainTextEdit::textChanged, this,
            [this] { Limit(static_cast<TTitleMemo*>(TitleMemo)->Inserting); });
    SetClientSize(390, 175);
}

void TdlgTitle::Limit(bool tell)
{
    const QString text = TitleMemo->toPlainText();
    QString limited = text;
    for (QChar& c : limited)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator ||
            c == QChar::LineSeparator)
            c = QLatin1Char(' ');
    // A title read from the project or pasted that is cut: the user is told, with the notice of
    // the save (after this change of the text). Typing at the limit is refused without a word.
    if (limited.size() > kMaxLength) {
        if (tell) {
            const QString notice = ProjectFile::TitleNotice(limited);
            if (!notice.isEmpty() && !m_noticePending) {
                m_noticePending = true;  // one notice for the changes of one paste
                QTimer::singleShot(0, this, [this, notice] {
                    m_noticePending = false;
                    Messages::Information(this, notice);
                });
            }
        }
        limited.truncate(kMaxLength);
    }
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
    {
        // The title of the project, cut to what the form holds: told (Limit).
        const QSignalBlocker blocker(TitleMemo);
        TitleMemo->setPlainText(Data().ProjectTitle);
    }
    Limit(true);
    // The caret waits at the end of the text, ready to go on typing.
    TitleMemo->moveCursor(QTextCursor::End);
}

void TdlgTitle::Stored()
{
    Limit(false);
    const QString text = TitleMemo->toPlainText();
    if (text != Data().ProjectTitle) {
        Data().ProjectTitle = text;
        MarkModified();
    }
}
