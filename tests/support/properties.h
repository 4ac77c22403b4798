// Properties that hold for every input, checked by the fuzz targets on arbitrary bytes
// and by the suites on their own inputs. Each returns what is wrong, or nullptr.
#pragma once

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "controller/number_text.h"

namespace testing_support {

// Stops a fuzz target at the first broken property.
inline void Check(bool condition) {
    if (!condition) std::abort();
}

// Degrees in the one turn [0°, 360°] the engine returns, or NaN.
inline bool InTurn(double degrees) {
    return std::isnan(degrees) || (degrees >= 0 && degrees <= 360);
}

// A result field's text: a number as the twelve-digit general format writes it, or a
// result that is not finite ("inf", "-inf", "nan").
inline bool IsResultText(std::string_view text) {
    if (text == "nan" || text == "inf" || text == "-inf") return true;
    const controller::LeadingReal read = controller::ReadLeadingReal(text);
    return read.length == text.size() &&
           controller::FormatGeneral(read.value, controller::ResultDigits) == text;
}

// A value written with 1 to 17 significant digits: exactly the standard library's general
// format; read back, the text covers the whole number, writes the same again up to 15
// digits and gives the value itself at 17.
inline const char* WrittenNumberProblem(double value) {
    for (int digits = 1; digits <= 17; ++digits) {
        const std::string text = controller::FormatGeneral(value, digits);
        if (value != 0 && !std::isnan(value)) {
            char expected[64];
            const auto end =
                std::to_chars(expected, expected + 64, value, std::chars_format::general, digits)
                    .ptr;
            if (text != std::string_view(expected, end - expected))
                return "not the standard library's digits";
        }
        // Subnormals hold fewer digits than they are written with: no round trip there.
        if (!std::isfinite(value) || (value != 0 && std::fabs(value) < DBL_MIN)) continue;
        const controller::LeadingReal read = controller::ReadLeadingReal(text);
        if (read.length != text.size()) return "the text does not read back whole";
        // Few digits can round the largest doubles beyond them (-1.8e308 to -2e+308).
        if (!std::isfinite(read.value)) {
            if (std::fabs(value) > 1e307 && digits < 17) continue;
            return "a finite value read back as infinite";
        }
        if (digits <= DBL_DIG && controller::FormatGeneral(read.value, digits) != text)
            return "written again, the text changes";
        if (digits == 17 && read.value != value && !(value == 0 && read.value == 0))
            return "17 digits do not give the value back";
    }
    return nullptr;
}

}  // namespace testing_support
