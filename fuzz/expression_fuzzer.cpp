// Arbitrary text through the expression evaluator of the number fields and the number-text
// reader. Whatever the evaluator gives is finite, and every finite number's text (at the 8
// digits of cells and project files, the 15 of the computed centres and the 18 of number fields)
// reads back as a finite number within one unit of its last digit.
#include "fuzz_support.h"

#include "entry/misc.h"
#include "util/numtext.h"

#include <cmath>
#include <string>

namespace {

void CheckTexts(long double x, const std::string& source)
{
    fuzz::Check(std::isfinite(x), "a number read or computed is finite: " + source);
    for (int precision : {8, 15, 18}) {
        const QString text = NumText::FloatToStrGeneral(x, precision);
        long double back = 0;
        fuzz::Check(NumText::TryStrToFloat(text, back),
                    "the text " + text.toStdString() + " of " + source + " reads back");
        fuzz::Check(std::fabs(back - x) <= std::fabs(x) * 1.000001L * std::pow(10.0L, 1 - precision),
                    "the text " + text.toStdString() + " of " + source + " reads back within its digits");
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::Folder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 512) return 0;  // a field holds a line of text
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::string source = "'" + text.toStdString() + "'";

    long double value = 0;
    if (NumText::TryStrToFloat(text, value)) CheckTexts(value, source);
    int32_t whole = 0;
    if (NumText::TryStrToInt(text, whole)) {
        fuzz::Check(NumText::StrToInt(NumText::IntToStr(whole)) == whole, "an integer's text reads back");
    }
    try {
        CheckTexts(Misc::EvaluateExpression(text), "the expression " + source);
    } catch (const Exception&) {
    }
    return 0;
}
