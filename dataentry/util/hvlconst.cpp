#include "util/hvlconst.h"

#include "util/numtext.h"

#include <cmath>

namespace HvlConst {

int32_t FoldInts(int32_t (*function)(int32_t, int32_t), std::span<const int32_t> integers)
{
    RaiseIf(integers.empty(), QStringLiteral("FoldInts: empty array"));
    int32_t r = integers[0];
    for (size_t i = 1; i < integers.size(); ++i) r = function(r, integers[i]);
    return r;
}

int32_t MinOfInts(std::span<const int32_t> integers)
{
    return FoldInts(IntMin, integers);
}

long double FracPart(long double x)
{
    return x - std::trunc(x);
}

int64_t RoundToInt64(long double x)
{
    if (std::isnan(x)) return 0;
    const long double r = NumText::RoundHalfEven(x);
    if (r >= 9223372036854775808.0L) return INT64_MAX;
    if (r <= -9223372036854775808.0L) return INT64_MIN;
    return static_cast<int64_t>(r);
}

}  // namespace HvlConst
