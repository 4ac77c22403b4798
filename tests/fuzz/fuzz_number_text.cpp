// The dialog's number texts: lenient and strict reading of any bytes, and the general
// format, whose written numbers read back to the same text.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "controller/number_text.h"
#include "properties.h"

using namespace controller;

using testing_support::Check;

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

    Check(!testing_support::WrittenNumberProblem(lenient.value));
    if (size >= sizeof(double)) {
        double raw;
        std::memcpy(&raw, data, sizeof raw);
        Check(!testing_support::WrittenNumberProblem(raw));
        Check(!testing_support::WrittenNumberProblem(DropSmallValue(raw)));
    }
    return 0;
}
