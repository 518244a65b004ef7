#include "util/messages.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace {

QMessageBoxSink g_defaultSink;
MessageSink* g_sink = &g_defaultSink;

QString Title() { return QGuiApplication::applicationDisplayName(); }

}  // namespace

void QMessageBoxSink::Information(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, Title(), text, QMessageBox::Ok);
}

void QMessageBoxSink::Warning(QWidget* parent, const QString& text, const QString& place)
{
    QMessageBox::warning(parent, Title(), Messages::PlacedText(text, place), QMessageBox::Ok);
}

void QMessageBoxSink::Error(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, Title(), text, QMessageBox::Ok);
}

MessageSink::Answer QMessageBoxSink::Question(QWidget* parent, const QString& text)
{
    const auto button = QMessageBox::question(
        parent, Title(), text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    switch (button) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

MessageSink::Answer QMessageBoxSink::Confirm(QWidget* parent, const QString& text)
{
    const auto button = QMessageBox::question(parent, Title(), text, QMessageBox::Yes | QMessageBox::No,
                                              QMessageBox::Yes);
    return button == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

MessageSink::Answer QMessageBoxSink::Choose(QWidget* parent, const QString& text, const QString& yes,
                                            const QString& no, bool cancel)
{
    QMessageBox box(QMessageBox::Question, Title(), text, QMessageBox::NoButton, parent);
    QPushButton* yesButton = box.addButton(yes, QMessageBox::YesRole);
    QPushButton* noButton = box.addButton(no, QMessageBox::NoRole);
    QPushButton* cancelButton = cancel ? box.addButton(QMessageBox::Cancel) : nullptr;
    box.setDefaultButton(cancel ? cancelButton : noButton);
    box.setEscapeButton(cancel ? static_cast<QAbstractButton*>(cancelButton) : noButton);
    box.exec();
    if (box.clickedButton() == yesButton) return Answer::Yes;
    if (box.clickedButton() == noButton) return Answer::No;
    return cancel ? Answer::Cancel : Answer::No;
}

void MessageRecorder::Information(QWidget* parent, const QString& text)
{
    m_messages.append({Kind::Information, text, parent, QString()});
}

void MessageRecorder::Warning(QWidget* parent, const QString& text, const QString& place)
{
    m_messages.append({Kind::Warning, text, parent, place});
}

void MessageRecorder::Error(QWidget* parent, const QString& text)
{
    m_messages.append({Kind::Error, text, parent, QString()});
}

MessageSink::Answer MessageRecorder::Question(QWidget* parent, const QString& text)
{
    m_messages.append({Kind::Question, text, parent, QString()});
    return m_answers.isEmpty() ? Answer::Cancel : m_answers.takeFirst();
}

MessageSink::Answer MessageRecorder::Confirm(QWidget* parent, const QString& text)
{
    m_messages.append({Kind::Confirmation, text, parent, QString()});
    const Answer answer = m_answers.isEmpty() ? Answer::No : m_answers.takeFirst();
    return answer == Answer::Yes ? Answer::Yes : Answer::No;
}

QStringList MessageRecorder::Texts() const
{
    QStringList texts;
    for (const auto& m : m_messages) texts.append(m.text);
    return texts;
}

QString MessageRecorder::LastText() const
{
    return m_messages.isEmpty() ? QString() : m_messages.last().text;
}

ScopedMessageSink::ScopedMessageSink(MessageSink* sink) : m_previous(Messages::SetSink(sink)) {}

ScopedMessageSink::~ScopedMessageSink() { Messages::SetSink(m_previous); }

namespace Messages {

MessageSink& Sink() { return *g_sink; }

QString PlacedText(const QString& text, const QString& place)
{
    if (place.isEmpty()) return text;
    return place + QStringLiteral(":\n") + text;
}

QString PlainCaption(const QString& caption)
{
    QString plain;
    for (int i = 0; i < caption.size(); ++i) {
        const QChar c = caption.at(i);
        if (c == u'&' && i + 1 < caption.size()) {
            plain += caption.at(++i);  // "&x" shows x; "&&" shows "&"
            continue;
        }
        plain += c;
    }
    return plain.simplified();
}

MessageSink* SetSink(MessageSink* sink)
{
    MessageSink* previous = g_sink;
    g_sink = sink ? sink : &g_defaultSink;
    return previous;
}

}  // namespace Messages
