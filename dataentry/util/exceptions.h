// Exceptions of the main program.
//
// Conventions of the main program (Tremex3), kept by every unit:
// - C++20 with Qt 6 (Core here; Widgets in the visual units). Text is QString; a position in a
//   text is 1-based wherever a routine says so (the string routines of HvlString), else 0-based.
// - 80-bit reals are `long double`; 32-bit integers are `int32_t`, 64-bit ones `int64_t`.
// - Classes, including exceptions, are at global scope under their own names (`TWordReader`,
//   `TDynamicLibrary`, `TObjectList`, `EAssignError`, ...). Free functions of a unit live in a
//   namespace named after the unit (`Misc::EvaluateExpression`, `HvlString::CharAt`,
//   `HvlConst::IntMax`, `NumText::FloatToStrGeneral`, `ColumnTypes::ExpandUnitTemplate`).
// - Every failure is an exception derived from `Exception` (this header); each unit declares its
//   own small classes derived from it, or from the general classes below. The message is the
//   whole text shown to the user. Nothing derived from `Exception` leaves a Qt event handler or
//   slot: the handler that started an action catches `Exception` and shows `message()`.
// - Text and numbers convert only through NumText (dataentry/util/numtext.h), never through the
//   C locale: "." is always the decimal separator.
#pragma once

#include <QString>
#include <QByteArray>
#include <exception>

// Base of every exception of the main program.
class Exception : public std::exception {
public:
    explicit Exception(const QString& message) : m_message(message), m_utf8(message.toUtf8()) {}
    ~Exception() override = default;

    QString message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

    // The text of any exception: the message of an `Exception`, else what() read as UTF-8 (the
    // one decoding of what() in the program: the messages of this program and of the standard
    // library are UTF-8).
    static QString WhatText(const std::exception& e);

private:
    QString m_message;
    QByteArray m_utf8;
};

inline QString Exception::WhatText(const std::exception& e)
{
    if (const auto* own = dynamic_cast<const Exception*>(&e)) return own->message();
    return QString::fromUtf8(e.what());
}

// A text file operation failed, or a text file holds invalid or incomplete data.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// A text did not convert to a number ("'x' is not a valid integer value", ...).
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An integer division or remainder by zero ("Division by zero").
class EDivByZero : public Exception {
public:
    EDivByZero() : Exception(QStringLiteral("Division by zero")) {}
    using Exception::Exception;
};

// An index outside a list ("List index out of bounds (5)").
class EListError : public Exception {
public:
    using Exception::Exception;
};

// A failed check without a class of its own (HvlConst::RaiseIf without a class).
class EAssertionFailed : public Exception {
public:
    using Exception::Exception;
};
