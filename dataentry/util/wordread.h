// Word reader of the main program's text files (unit WordRead): `TWordReader`, `TWordContainer`.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// The whole file is read when the reader is made. Lines end with LF or CR LF, or in a file without
// any LF with a CR alone (the line end is not part of the line); a last line without line end
// counts, an empty file is one empty line.
// The bytes are taken as UTF-8; a file that is no valid UTF-8 is taken as Latin-1, byte for byte.
// Words are separated by blanks and tabs; every character up to and including the blank,
// control characters too, is trimmed from both ends of a line and before each further word.
//
// Word reads run across lines and step over any number of lines without words. After the last
// word of a line the cursor stays on that line until the next word read, so ReadLine then
// returns the line of that last word. Numbers always use "." as decimal separator, whatever
// the locale. Every failure raises EInOutError.
#pragma once

#include "util/exceptions.h"
#include "util/hvlconst.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// One line of the file: its words in order, and the raw line as read (untrimmed).
class TWordContainer {
public:
    explicit TWordContainer(const QString& line);
    virtual ~TWordContainer() = default;

    qsizetype Count() const { return m_words.size(); }
    const QString& Strings(qsizetype i) const { return m_words.at(i); }
    const QStringList& Words() const { return m_words; }
    const QString& Line() const { return m_line; }

private:
    QStringList m_words;
    QString m_line;
};

class TWordReader {
public:
    // Reads the whole file; an open or read failure raises EInOutError with the system's text.
    explicit TWordReader(const QString& path);
    TWordReader(const TWordReader&) = delete;
    TWordReader& operator=(const TWordReader&) = delete;
    virtual ~TWordReader() = default;

    // Appends one line, split into words.
    void AddLine(const QString& text);

    // True when the line cursor stands past the last line.
    bool Eof() const;
    // The number of words of the current line (0 at the end).
    qsizetype WordCount() const;
    // The next word, continuing on the following lines; past the last line raises
    // EInOutError "This file either invalid or incomplete." and leaves the cursor at the end.
    void NextWord(QString& word);
    QString NextWord();
    // The next word as a float; else EInOutError "Error on Line <n> Item <i>" CR
    // "A floating point number was expected but not found.".
    long double ReadFloat();
    // The next word as a whole number in the 32-bit range (1e3 and 7.0 are taken); else
    // EInOutError "Error on Line <n> Item <i>" CR "An integer was expected but not found.".
    int32_t ReadInteger();
    // The raw text of the current line; the cursor moves to the start of the next line.
    // At the end raises EInOutError "This file either invalid or incomplete.".
    void ReadLine(QString& line);
    QString ReadLine();

    qsizetype LineCount() const { return m_lines.Count(); }
    qsizetype LineCursor() const { return m_line; }
    qsizetype WordCursor() const { return m_word; }

private:
    [[noreturn]] void FailItem(const char* reason) const;

    TObjectList<TWordContainer> m_lines;
    qsizetype m_line = 0;
    qsizetype m_word = 0;
};
