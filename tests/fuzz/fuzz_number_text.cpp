// The dialog's number texts: lenient and strict reading of any bytes, and the general
// format, whose written numbers read back to the same text.
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "controller/number_text.h"

using namespace controller;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// A finite value written with some precision reads back to itself and writes the same;
// the text is exactly what the standard library's general format writes.
void CheckWritten(double value) {
    for (int digits = 1; digits <= 17; ++digits) {
        const std::string text = FormatGeneral(value, digits);
        if (value != 0 && !std::isnan(value)) {
            char expected[64];
            const auto end =
                std::to_chars(expected, expected + 64, value, std::chars_format::general, digits)
                    .ptr;
            Check(text == std::string(expected, end));
        }
        // Subnormals hold fewer digits than they are written with: no round trip there.
        if (!std::isfinite(value) || (value != 0 && std::fabs(value) < DBL_MIN)) continue;
        const LeadingReal read = ReadLeadingReal(text);
        Check(read.length == text.size());
        // Few digits can round the largest doubles beyond them (-1.8e308 to -2e+308).
        if (!std::isfinite(read.value)) {
            Check(std::fabs(value) > 1e307 && digits < 17);
            continue;
        }
        // Up to 15 digits every written decimal survives a trip through a double.
        if (digits <= DBL_DIG) Check(FormatGeneral(read.value, digits) == text);
        if (digits == 17) Check(read.value == value || (value == 0 && read.value == 0));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const LeadingReal lenient = ReadLeadingReal(text);
    Check(lenient.length <= text.size());
    Check(!std::isnan(lenient.value));
    Check(ParseReal(text) == lenient.value || std::isnan(ParseReal(text)));
    if (lenient.length == 0) Check(lenient.value == 0);

    double strict = 0;
    if (ReadStrictReal(text, strict) == StrictReal::Number) {
        Check(std::isfinite(strict));
        Check(lenient.length == text.size() && lenient.value == strict);
    }

    const int zone = ParseZone(text);
    const int limited = LimitZone(zone);
    Check(limited >= -LargestZone && limited <= LargestZone);
    Check(ParseZone(FormatZone(zone)) == zone);

    CheckWritten(lenient.value);
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        CheckWritten(raw);
        CheckWritten(DropSmallValue(raw));
    }
    return 0;
}
