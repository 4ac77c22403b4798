#include "controller/number_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

namespace controller {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Leading white space and an optional sign: where the digits begin, and the sign.
std::size_t SkipBlanksAndSign(std::string_view text, bool& negative) {
    std::size_t at = 0;
    while (at < text.size() && IsSpace(text[at]))
        ++at;
    negative = at < text.size() && text[at] == '-';
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    return at;
}

std::size_t SkipDigits(std::string_view text, std::size_t at) {
    while (at < text.size() && IsDigit(text[at]))
        ++at;
    return at;
}

// The decimal exponent of the leading significant digit of an unsigned decimal number
// (digits, optional point and digits, optional exponent), for numbers the doubles cannot
// hold: positive means too large, negative too small.
long long DecimalOrder(std::string_view number) {
    long long order = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    std::size_t at = 0;
    for (; at < number.size() && (IsDigit(number[at]) || number[at] == '.'); ++at) {
        if (number[at] == '.') {
            seenPoint = true;
        } else if (!seenSignificant && number[at] == '0') {
            if (seenPoint) --order;
        } else {
            if (!seenSignificant && seenPoint) --order;
            if (seenSignificant && !seenPoint) ++order;
            seenSignificant = true;
        }
    }
    if (at < number.size()) {  // exponent: e, optional sign, digits
        ++at;
        const bool negative = number[at] == '-';
        if (number[at] == '+' || number[at] == '-') ++at;
        long long exponent = 0;
        for (; at < number.size() && exponent < LLONG_MAX / 100; ++at) {
            exponent = exponent * 10 + (number[at] - '0');
        }
        order += negative ? -exponent : exponent;
    }
    return order;
}

}  // namespace

LeadingReal ReadLeadingReal(std::string_view text) {
    bool negative = false;
    std::size_t at = SkipBlanksAndSign(text, negative);

    const std::size_t numberStart = at;
    at = SkipDigits(text, at);
    std::size_t digits = at - numberStart;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fractionStart = at + 1;
        at = SkipDigits(text, fractionStart);
        digits += at - fractionStart;
    }
    if (digits == 0) return {};

    // An exponent counts only when at least one digit follows the e and its sign.
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponentDigits = at + 1;
        if (exponentDigits < text.size() &&
            (text[exponentDigits] == '+' || text[exponentDigits] == '-')) {
            ++exponentDigits;
        }
        const std::size_t exponentEnd = SkipDigits(text, exponentDigits);
        if (exponentEnd > exponentDigits) at = exponentEnd;
    }

    const std::string_view number = text.substr(numberStart, at - numberStart);
    double magnitude = 0;
    const auto [end, error] =
        std::from_chars(number.data(), number.data() + number.size(), magnitude);
    if (error == std::errc::result_out_of_range) {
        magnitude = DecimalOrder(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    (void)end;
    return {negative ? -magnitude : magnitude, at};
}

double ParseReal(std::string_view text) {
    return ReadLeadingReal(text).value;
}

int ParseZone(std::string_view text) {
    bool negative = false;
    std::size_t at = SkipBlanksAndSign(text, negative);

    long long value = 0;
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    for (; at < text.size() && IsDigit(text[at]); ++at) {
        value = std::min(value * 10 + (text[at] - '0'), limit);
    }
    return static_cast<int>(negative ? -value : value);
}

double DropSmallValue(double value) {
    return std::fabs(value) < SmallValue ? 0.0 : value;
}

int LimitZone(int zone) {
    return zone > LargestZone || zone < -LargestZone ? 1 : zone;
}

char* WriteGeneral(char* out, double value, int significantDigits) {
    if (value == 0) {
        *out = '0';
        return out + 1;
    }
    if (std::isnan(value)) return std::copy_n("nan", 3, out);
    return std::to_chars(out, out + MaxGeneralLength, value, std::chars_format::general,
                         significantDigits)
        .ptr;
}

std::string FormatGeneral(double value, int significantDigits) {
    char text[MaxGeneralLength];
    return std::string(text, WriteGeneral(text, value, significantDigits));
}

char* WriteZone(char* out, int zone) {
    return std::to_chars(out, out + 12, zone).ptr;
}

std::string FormatZone(int zone) {
    char text[12];
    return std::string(text, WriteZone(text, zone));
}

StrictReal ReadStrictReal(std::string_view text, double& value) {
    if (text.empty() || IsSpace(text.front())) return StrictReal::NotANumber;
    const LeadingReal read = ReadLeadingReal(text);
    if (read.length != text.size()) return StrictReal::NotANumber;
    if (!std::isfinite(read.value)) return StrictReal::OutOfRange;
    value = read.value;
    return StrictReal::Number;
}

}  // namespace controller
