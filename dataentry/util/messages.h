// Message boxes of the main program (unit Messages).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// Every message box of the program goes through the one current `MessageSink`. By default it is
// a `QMessageBoxSink`, which shows modal QMessageBox dialogs; tests install a `MessageRecorder`
// (with `ScopedMessageSink`) that records each message and answers questions without a display.
//
//     Messages::Information(this, QStringLiteral("Entry must be an integer."));
//     if (Messages::Question(this, text) == MessageSink::Answer::Cancel) return;
//     Messages::Warning(this, text, QStringLiteral("Unit Weight (kN/m^3)"));
//
// The parent only places the box over its window; it may be null.
#pragma once

#include <QList>
#include <QString>

class QWidget;

// Receiver of the program's messages.
class MessageSink {
public:
    enum class Kind { Information, Warning, Error, Question, Confirmation };
    enum class Answer { Ok, Yes, No, Cancel };

    virtual ~MessageSink() = default;

    // An information box with an OK button.
    virtual void Information(QWidget* parent, const QString& text) = 0;
    // A warning box with an OK button about an entry the program cannot take: `text` says why,
    // `place` names where (the field's label, or a table's column caption and row); an empty
    // place shows the text alone.
    virtual void Warning(QWidget* parent, const QString& text, const QString& place) = 0;
    // An error box with an OK button.
    virtual void Error(QWidget* parent, const QString& text) = 0;
    // A question with the buttons Yes, No and Cancel; closing the box counts as Cancel.
    virtual Answer Question(QWidget* parent, const QString& text) = 0;
    // A confirmation with the buttons Yes and No; closing the box counts as No.
    virtual Answer Confirm(QWidget* parent, const QString& text) = 0;
    // A question whose buttons say what they do: `yes` and `no` are the captions of the buttons
    // that answer Yes and No, and a Cancel button follows when `cancel`; closing the box counts
    // as Cancel, or as No without a Cancel button; the button of the safe answer (Cancel, else
    // No) is the default. By default the sink's Question or Confirm.
    virtual Answer Choose(QWidget* parent, const QString& text, const QString& yes, const QString& no, bool cancel)
    {
        (void)yes;
        (void)no;
        return cancel ? Question(parent, text) : Confirm(parent, text);
    }
};

// The default sink: modal QMessageBox dialogs titled with the application's display name.
class QMessageBoxSink : public MessageSink {
public:
    void Information(QWidget* parent, const QString& text) override;
    // The place on a line of its own, then the text.
    void Warning(QWidget* parent, const QString& text, const QString& place) override;
    void Error(QWidget* parent, const QString& text) override;
    Answer Question(QWidget* parent, const QString& text) override;
    Answer Confirm(QWidget* parent, const QString& text) override;
    Answer Choose(QWidget* parent, const QString& text, const QString& yes, const QString& no, bool cancel) override;
};

// A sink for tests: records every message and answers each question with the next queued
// answer (Cancel when the queue is empty; No for a confirmation).
class MessageRecorder : public MessageSink {
public:
    struct Message {
        Kind kind;
        QString text;
        QWidget* parent;
        QString place;  // where the entry was refused (warnings only)
    };

    void Information(QWidget* parent, const QString& text) override;
    void Warning(QWidget* parent, const QString& text, const QString& place) override;
    void Error(QWidget* parent, const QString& text) override;
    Answer Question(QWidget* parent, const QString& text) override;
    Answer Confirm(QWidget* parent, const QString& text) override;

    void QueueAnswer(Answer answer) { m_answers.append(answer); }
    QList<Message> Messages() const { return m_messages; }
    QStringList Texts() const;
    // Text of the last message, empty when there is none.
    QString LastText() const;
    int Count() const { return int(m_messages.size()); }
    void Clear() { m_messages.clear(); }

private:
    QList<Message> m_messages;
    QList<Answer> m_answers;
};

// Installs a sink for the lifetime of the object and restores the previous one afterwards.
class ScopedMessageSink {
public:
    explicit ScopedMessageSink(MessageSink* sink);
    ~ScopedMessageSink();
    ScopedMessageSink(const ScopedMessageSink&) = delete;
    ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

private:
    MessageSink* m_previous;
};

namespace Messages {

// The current sink (the QMessageBox sink unless another is installed).
MessageSink& Sink();
// Installs a sink (null restores the default) and returns the one it replaces (never null).
MessageSink* SetSink(MessageSink* sink);

inline void Information(QWidget* parent, const QString& text) { Sink().Information(parent, text); }
inline void Warning(QWidget* parent, const QString& text, const QString& place)
{
    Sink().Warning(parent, text, place);
}
inline void Error(QWidget* parent, const QString& text) { Sink().Error(parent, text); }
// The text of a warning box: the place and a colon on a line of their own, then the text.
QString PlacedText(const QString& text, const QString& place);
// A label's text as a name in a message: without the access-key marks ("&&" stays one "&"),
// its lines joined by blanks.
QString PlainCaption(const QString& caption);
inline MessageSink::Answer Question(QWidget* parent, const QString& text)
{
    return Sink().Question(parent, text);
}
inline MessageSink::Answer Confirm(QWidget* parent, const QString& text) { return Sink().Confirm(parent, text); }
inline MessageSink::Answer Choose(QWidget* parent, const QString& text, const QString& yes, const QString& no,
                                  bool cancel)
{
    return Sink().Choose(parent, text, yes, no, cancel);
}

}  // namespace Messages
