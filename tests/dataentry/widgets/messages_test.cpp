#include "widget_fixture.h"

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
