#include "util/wordread.h"

#include "util/numtext.h"

#include <QFile>
#include <QStringDecoder>
#include <cmath>

namespace {

bool IsTrimmed(QChar c) { return c.unicode() <= 32; }

const char kIncomplete[] = "This file either invalid or incomplete.";

}  // namespace

TWordContainer::TWordContainer(const QString& line) : m_line(line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && IsTrimmed(line[begin])) ++begin;
    while (end > begin && IsTrimmed(line[end - 1])) --end;
    while (begin < end) {
        qsizetype cut = begin;
        while (cut < end && line[cut] != QLatin1Char(' ') && line[cut] != QLatin1Char('\t')) ++cut;
        m_words.append(line.mid(begin, cut - begin));
        begin = cut;
        while (begin < end && IsTrimmed(line[begin])) ++begin;
    }
}

TWordReader::TWordReader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw EInOutError(file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) throw EInOutError(file.errorString());
    file.close();

    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString content = utf8.decode(bytes);
    if (utf8.hasError()) content = QString::fromLatin1(bytes);

    // Lines end with LF or CR LF; a file without any LF has its lines ended by a CR alone (the
    // line end of older systems), while in other files a CR alone stays in its line.
    const bool crOnly = !content.contains(QLatin1Char('\n'));
    QStringList lines = content.split(QLatin1Char(crOnly ? '\r' : '\n'));
    if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();  // the file's last line end
    for (QString& l : lines) {
        if (!crOnly && l.endsWith(QLatin1Char('\r'))) l.chop(1);
        AddLine(l);
    }
}

void TWordReader::AddLine(const QString& text)
{
    m_lines.Add(new TWordContainer(text));
}

bool TWordReader::Eof() const
{
    return m_line >= m_lines.Count();
}

qsizetype TWordReader::WordCount() const
{
    return Eof() ? 0 : m_lines[m_line]->Count();
}

void TWordReader::NextWord(QString& word)
{
    while (!Eof() && m_word >= m_lines[m_line]->Count()) {
        m_word = 0;
        ++m_line;
    }
    if (Eof()) {
        m_line = m_lines.Count();
        m_word = 0;
        throw EInOutError(QString::fromLatin1(kIncomplete));
    }
    word = m_lines[m_line]->Strings(m_word);
    ++m_word;
}

QString TWordReader::NextWord()
{
    QString w;
    NextWord(w);
    return w;
}

void TWordReader::FailItem(const char* reason) const
{
    throw EInOutError(QStringLiteral("Error on Line %1 Item %2").arg(m_line + 1).arg(m_word) + QChar(13) +
                      QString::fromLatin1(reason));
}

long double TWordReader::ReadFloat()
{
    const QString word = NextWord();
    long double v = 0;
    if (!NumText::TryStrToFloat(word, v)) FailItem("A floating point number was expected but not found.");
    return v;
}

int32_t TWordReader::ReadInteger()
{
    const QString word = NextWord();
    long double v = 0;
    if (!NumText::TryStrToFloat(word, v) || v != std::trunc(v) || v < -2147483648.0L || v > 2147483647.0L)
        FailItem("An integer was expected but not found.");
    return static_cast<int32_t>(v);
}

void TWordReader::ReadLine(QString& line)
{
    if (Eof()) throw EInOutError(QString::fromLatin1(kIncomplete));
    line = m_lines[m_line]->Line();
    ++m_line;
    m_word = 0;
}

QString TWordReader::ReadLine()
{
    QString l;
    ReadLine(l);
    return l;
}
