// Integer choice routines (unit MiscMath), the same as HvlConst's IntIfThen, IntMin and IntMax.
//
// Conventions of the main program: see dataentry/util/exceptions.h (C++20, Qt 6, QString text,
// long double for 80-bit reals, classes at global scope, free functions in a namespace named
// after their unit, exceptions derived from `Exception`).
#pragma once

#include <cstdint>

namespace MiscMath {

inline int32_t MathIfThen(bool flag, int32_t a, int32_t b) { return flag ? a : b; }
inline int32_t MathMin(int32_t a, int32_t b) { return a < b ? a : b; }
inline int32_t MathMax(int32_t a, int32_t b) { return a > b ? a : b; }

}  // namespace MiscMath
