#include "util/wordread.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <clocale>
#include <functional>

namespace {

// Writes the bytes to a file of the test's own and gives its path.
class WordReaderTest : public ::testing::Test {
protected:
    QString Write(const QByteArray& bytes)
    {
        QDir().mkpath(TEST_TMP_DIR);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const QString path = QStringLiteral(TEST_TMP_DIR "/%1_%2.txt").arg(info->name()).arg(++m_count);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        return path;
    }
    static QString MessageOf(const std::function<void()>& f)
    {
        try {
            f();
        } catch (const EInOutError& e) {
            return e.message();
        }
        return QStringLiteral("no error");
    }
    int m_count = 0;
};

const QString kIncomplete = QStringLiteral("This file either invalid or incomplete.");

QString ItemError(int line, int item, const char* reason)
{
    return QStringLiteral("Error on Line %1 Item %2").arg(line).arg(item) + QChar(13) + QString::fromLatin1(reason);
}

TEST_F(WordReaderTest, WordsRunAcrossLinesAndTheEndIsReported)
{
    // LF, CR LF and, in a file without LF, a CR alone (files of older systems) end a line.
    for (const QByteArray& bytes : {QByteArray("1 2\n\t3   4\n"), QByteArray("1 2\r\n\t3   4\r\n"), QByteArray("1 2\n\t3   4"),
                                    QByteArray("1 2\r\t3   4\r"), QByteArray("1 2\r\t3   4")}) {
        SCOPED_TRACE(bytes.toStdString());
        TWordReader r(Write(bytes));
        EXPECT_EQ(r.LineCount(), 2);
        EXPECT_EQ(r.ReadInteger(), 1);
        EXPECT_EQ(r.ReadInteger(), 2);
        EXPECT_EQ(r.ReadInteger(), 3);
        EXPECT_EQ(r.ReadInteger(), 4);
        EXPECT_FALSE(r.Eof());  // the cursor stays on the line of the last word
        EXPECT_EQ(MessageOf([&] { r.ReadInteger(); }), kIncomplete);
        EXPECT_TRUE(r.Eof());
        EXPECT_EQ(MessageOf([&] { r.NextWord(); }), kIncomplete);
    }
}

TEST_F(WordReaderTest, LinesAreSplitAtBlanksAndTabsOnly)
{
    TWordReader r(Write("  1.5,2 \x01 x\ty  \r\n"));
    EXPECT_EQ(r.WordCount(), 3);
    EXPECT_EQ(r.NextWord(), "1.5,2");
    EXPECT_EQ(r.NextWord(), "x");
    EXPECT_EQ(r.NextWord(), "y");
    EXPECT_EQ(r.ReadLine(), "  1.5,2 \x01 x\ty  ");  // raw, without the line end
}

TEST_F(WordReaderTest, NumbersAndTheirMessages)
{
    TWordReader r(Write("a\nb\nc\nd\n1.5 abc 2.5 1e3 7.0 -2147483648 2147483648 1,5 .25\n"));
    for (int i = 0; i < 4; ++i) r.ReadLine();
    EXPECT_EQ(r.ReadFloat(), 1.5L);
    EXPECT_EQ(MessageOf([&] { r.ReadFloat(); }), ItemError(5, 2, "A floating point number was expected but not found."));
    EXPECT_EQ(MessageOf([&] { r.ReadInteger(); }), ItemError(5, 3, "An integer was expected but not found."));
    EXPECT_EQ(r.ReadInteger(), 1000);
    EXPECT_EQ(r.ReadInteger(), 7);
    EXPECT_EQ(r.ReadInteger(), INT32_MIN);
    EXPECT_EQ(MessageOf([&] { r.ReadInteger(); }), ItemError(5, 7, "An integer was expected but not found."));
    EXPECT_EQ(MessageOf([&] { r.ReadFloat(); }), ItemError(5, 8, "A floating point number was expected but not found."));
    EXPECT_EQ(r.ReadFloat(), 0.25L);
}

TEST_F(WordReaderTest, ReadLineGivesTheLineOfTheLastWord)
{
    TWordReader r(Write("10 20\ntitle line\n30\n"));
    EXPECT_EQ(r.ReadInteger(), 10);
    EXPECT_EQ(r.ReadInteger(), 20);
    EXPECT_EQ(r.ReadLine(), "10 20");  // all words read, still the same line
    EXPECT_EQ(r.ReadLine(), "title line");
    EXPECT_EQ(r.ReadInteger(), 30);
    EXPECT_EQ(r.ReadLine(), "30");
    EXPECT_TRUE(r.Eof());
    EXPECT_EQ(MessageOf([&] { r.ReadLine(); }), kIncomplete);
}

TEST_F(WordReaderTest, LinesWithoutWordsAreSteppedOver)
{
    // A first empty line, then two word-less lines in a row inside the data.
    TWordReader r(Write("\n1\n   \n\t\n2\n\n"));
    EXPECT_EQ(r.LineCount(), 6);
    EXPECT_EQ(r.ReadInteger(), 1);
    EXPECT_EQ(r.ReadInteger(), 2);
    EXPECT_EQ(r.LineCursor(), 4);
    EXPECT_EQ(MessageOf([&] { r.NextWord(); }), kIncomplete);
    EXPECT_TRUE(r.Eof());
}

TEST_F(WordReaderTest, EmptyFileIsOneLineWithoutWords)
{
    TWordReader r(Write(""));
    EXPECT_EQ(r.LineCount(), 1);
    EXPECT_FALSE(r.Eof());
    EXPECT_EQ(r.WordCount(), 0);
    EXPECT_EQ(MessageOf([&] { r.NextWord(); }), kIncomplete);
}

TEST_F(WordReaderTest, TextEncodings)
{
    TWordReader utf8(Write("M\xc3\xbcller 1\n"));
    EXPECT_EQ(utf8.NextWord(), QString::fromUtf8("M\xc3\xbcller"));
    TWordReader latin1(Write("M\xfcller 1\n"));  // no valid UTF-8: taken byte for byte
    EXPECT_EQ(latin1.NextWord(), QString::fromUtf8("M\xc3\xbcller"));
}

TEST_F(WordReaderTest, MissingFileRaises)
{
    EXPECT_THROW(TWordReader(QStringLiteral(TEST_TMP_DIR "/no/such/file.tmx")), EInOutError);
}

TEST_F(WordReaderTest, FloatsIgnoreTheNumericLocale)
{
    const char* chosen = nullptr;
    for (const char* n : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, n)) {
            chosen = n;
            break;
        }
    if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is installed";
    TWordReader r(Write("1.5 x 2,5\n"));
    EXPECT_EQ(r.ReadFloat(), 1.5L);
    EXPECT_THROW(r.ReadFloat(), EInOutError);
    EXPECT_THROW(r.ReadFloat(), EInOutError);
    std::setlocale(LC_NUMERIC, "C");
}

}  // namespace
