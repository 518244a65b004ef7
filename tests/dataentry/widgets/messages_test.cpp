#include "widget_fixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

TEST(MessagesTest, ScopedSinkRecordsAnswersAndRestoresThePreviousSink)
{
    MessageSink* before = &Messages::Sink();
    {
        MessageRecorder outer;
        ScopedMessageSink outerScope(&outer);
        {
            MessageRecorder inner;
            ScopedMessageSink innerScope(&inner);
            inner.QueueAnswer(MessageSink::Answer::No);
            Messages::Information(nullptr, QStringLiteral("a"));
            Messages::Error(nullptr, QStringLiteral("b"));
            EXPECT_EQ(Messages::Question(nullptr, QStringLiteral("c")), MessageSink::Answer::No);
            // An empty answer queue counts as closing the box.
            EXPECT_EQ(Messages::Question(nullptr, QStringLiteral("d")), MessageSink::Answer::Cancel);
            ASSERT_EQ(inner.Count(), 4);
            EXPECT_EQ(inner.Texts(), (QStringList{"a", "b", "c", "d"}));
            EXPECT_EQ(inner.Messages().at(1).kind, MessageSink::Kind::Error);
            EXPECT_EQ(inner.Messages().at(2).kind, MessageSink::Kind::Question);
        }
        EXPECT_EQ(&Messages::Sink(), &outer);
        EXPECT_EQ(outer.Count(), 0);
    }
    EXPECT_EQ(&Messages::Sink(), before);
    // Null restores the default sink.
    MessageRecorder r;
    Messages::SetSink(&r);
    Messages::SetSink(nullptr);
    EXPECT_NE(&Messages::Sink(), &r);
    EXPECT_NE(dynamic_cast<QMessageBoxSink*>(&Messages::Sink()), nullptr);
}

TEST(MessagesTest, AWarningBoxShowsThePlaceAboveTheTextWithTheWarningIcon)
{
    QMessageBoxSink sink;
    ScopedMessageSink scope(&sink);
    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    // The box is modal: read it and close it from the event loop it runs.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown = box->text();
        icon = box->icon();
        box->accept();
    });
    Messages::Warning(nullptr, QStringLiteral("Entry must be an integer."), QStringLiteral("Number of piles"));
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(shown, QStringLiteral("Number of piles:\nEntry must be an integer."));
    EXPECT_EQ(Messages::PlacedText(QStringLiteral("text"), QString()), QStringLiteral("text"));
}

TEST(MessagesTest, APlainCaptionDropsAccessKeyMarksAndJoinsLines)
{
    EXPECT_EQ(Messages::PlainCaption(QStringLiteral("&Add Row")), QStringLiteral("Add Row"));
    EXPECT_EQ(Messages::PlainCaption(QStringLiteral("Soil && rock")), QStringLiteral("Soil & rock"));
    EXPECT_EQ(Messages::PlainCaption(QStringLiteral("Unit\nweight (kN/m^3)  ")), QStringLiteral("Unit weight (kN/m^3)"));
}
