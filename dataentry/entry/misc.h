// Expression evaluator of the number fields (unit Misc).
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
//
// An expression holds numbers ("." as decimal separator, "E"/"e" exponents), the constants pi
// and e, "$" hexadecimal integers, a trailing "!" (factorial), the 25 function names of
// IsFunctionPrefix written before their argument (sin0.5, sqrt(2)), parentheses and the binary
// operators, strongest first: "^"; "*", "/", "%" (integer remainder), "&" (and); "+", "-",
// "|" (or); "=" (equal). All are left-associative; blanks and tabs are ignored. Intermediate
// results are written back into the text with 18 significant digits (NumText::FloatToStrGeneral).
//
// Every failure raises EAssignError whose message is "Entry could not be evaluated:", a carriage
// return (character 13) and the reason. A remainder by zero raises EDivByZero. A result that is
// not finite (division by zero, overflow, sqrt of a negative value...) is refused with the reason
// "invalid character(s) in expression", so no infinity or NaN ever comes out.
#pragma once

#include "util/exceptions.h"

#include <QString>

// An entry that cannot be taken; the message is the whole text shown to the user.
class EAssignError : public Exception {
public:
    using Exception::Exception;
};

namespace Misc {

// The value of an expression.
long double EvaluateExpression(const QString& text);
// The value of one operand: a number, constant, "$" hexadecimal, factorial or function call.
long double EvaluateOperand(const QString& text);
// True when the lower-cased text is one of the 25 function names, "!" or "$".
bool IsFunctionPrefix(const QString& text);

// x! for whole x (0! = 1) with the sign of x: (-3)! = -6. A fractional x raises EAssignError.
long double Factorial(long double x);
long double Secant(long double x);    // 1 / cos x
long double Cosecant(long double x);  // 1 / sin x

}  // namespace Misc
