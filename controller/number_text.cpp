#include "controller/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
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

namespace {

// Exact powers of ten as doubles, 10^0 to 10^22.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;

// The digits of a decimal number as they are scanned: the first 19 (leading zeros
// included) as an integer, and the power of ten that scales it.
struct DecimalDigits {
    static constexpr int kMostDigits = 19;  // 10^19 − 1 fits 64 bits
    std::uint64_t mantissa = 0;
    int taken = 0;
    bool dropped = false;  // digits beyond the nineteenth: the fast path is off
    int scale = 0;         // minus the digits taken after the point, plus the exponent

    // Takes the digits that start text at `at`, eight at a time while it can; returns where
    // they end. After the point each digit taken lowers the scale.
    std::size_t Take(std::string_view text, std::size_t at, bool fraction) {
        std::uint64_t eight = 0;
        while (taken + 8 <= kMostDigits && at + 8 <= text.size() &&
               EightDigits(text.data() + at, eight)) {
            mantissa = mantissa * 100'000'000 + eight;
            taken += 8;
            at += 8;
            if (fraction) scale -= 8;
        }
        for (; at < text.size() && IsDigit(text[at]); ++at) {
            if (taken == kMostDigits) {
                dropped = true;
                continue;
            }
            mantissa = mantissa * 10 + static_cast<unsigned>(text[at] - '0');
            ++taken;
            if (fraction) --scale;
        }
        return at;
    }

    // Eight ASCII digits read at once (SWAR: Lemire, "Faster parsing of digits", 2018);
    // false when one of the bytes is no digit.
    static bool EightDigits(const char* text, std::uint64_t& value) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, text, 8);
        if constexpr (std::endian::native != std::endian::little) return false;
        const std::uint64_t highNibbles = chunk & 0xF0F0F0F0F0F0F0F0;
        const std::uint64_t above9 = ((chunk + 0x0606060606060606) & 0xF0F0F0F0F0F0F0F0) >> 4;
        if ((highNibbles | above9) != 0x3333333333333333) return false;
        chunk -= 0x3030303030303030;
        chunk = chunk * 10 + (chunk >> 8);  // pairs of digits
        value = (((chunk & 0x000000FF000000FF) * (100 + (1000000ULL << 32))) +
                 (((chunk >> 16) & 0x000000FF000000FF) * (1 + (10000ULL << 32)))) >>
                32;
        return true;
    }

    // Clinger's fast path: a mantissa below 2^53 and a power of ten up to 22 are both
    // exact doubles, so one multiplication or division gives the correctly rounded value.
    bool Exact(double& value) const {
        if (dropped) return false;
        if (mantissa == 0) {
            value = 0;
            return true;
        }
        if (mantissa > kLargestExactInteger || scale < -22 || scale > 22) return false;
        const double m = static_cast<double>(mantissa);
        value = scale < 0 ? m / kPowersOfTen[-scale] : m * kPowersOfTen[scale];
        return true;
    }
};

}  // namespace

LeadingReal ReadLeadingReal(std::string_view text) {
    bool negative = false;
    std::size_t at = SkipBlanksAndSign(text, negative);

    const std::size_t numberStart = at;
    DecimalDigits decimal;
    at = decimal.Take(text, at, false);
    std::size_t digits = at - numberStart;
    if (at < text.size() && text[at] == '.') {
        const std::size_t fractionStart = ++at;
        at = decimal.Take(text, at, true);
        digits += at - fractionStart;
    }
    if (digits == 0) return {};

    // An exponent counts only when at least one digit follows the e and its sign.
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponentDigits = at + 1;
        const bool negativeExponent = exponentDigits < text.size() && text[exponentDigits] == '-';
        if (exponentDigits < text.size() &&
            (text[exponentDigits] == '+' || text[exponentDigits] == '-')) {
            ++exponentDigits;
        }
        const std::size_t exponentEnd = SkipDigits(text, exponentDigits);
        if (exponentEnd > exponentDigits) {
            at = exponentEnd;
            int exponent = 0;
            for (std::size_t i = exponentDigits; i < exponentEnd && exponent < 10000; ++i) {
                exponent = exponent * 10 + (text[i] - '0');
            }
            decimal.scale += negativeExponent ? -exponent : exponent;
        }
    }

    double magnitude = 0;
    if (!decimal.Exact(magnitude)) {
        const std::string_view number = text.substr(numberStart, at - numberStart);
        const auto result =
            std::from_chars(number.data(), number.data() + number.size(), magnitude);
        if (result.ec == std::errc::result_out_of_range) {
            magnitude = DecimalOrder(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
    }
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

namespace {

__extension__ typedef unsigned __int128 Wide;

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The `count` digits of value at out, a '.' after the first `point` of them when fewer than
// all; returns the end. Each pair of digits is stored once, in its place: building the text
// aside and copying it would read back bytes just stored, which stalls the processor.
char* WriteDigits(char* out, std::uint64_t value, int count, int point) {
    char* const end = out + count + (point < count);
    if (point < count) out[point] = '.';
    int left = count;  // digits still to write, from the right
    for (; left >= 2; left -= 2, value /= 100) {
        const char* pair = kDigitPairs + 2 * (value % 100);
        const int first = left - 2;  // where the pair's first digit goes, before the point
        if (first + 1 == point) {    // the point falls between them
            out[first] = pair[0];
            out[first + 2] = pair[1];
        } else {
            std::memcpy(out + first + (first >= point), pair, 2);
        }
    }
    if (left == 1) out[0] = static_cast<char>('0' + value);
    return end;
}

// 10^0 to 10^19, the powers of ten that fit 64 bits.
constexpr auto kIntegerPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t p = 1;
    for (auto& power : powers) {
        power = p;
        p *= 10;
    }
    return powers;
}();

std::uint64_t PowerOfTen(int n) {
    return kIntegerPowersOfTen[n];
}

// round(mantissa · 10^scale / 2^shift), half to even, exactly: for scale ≤ 20 and a
// 53-bit mantissa the product fits 120 bits.
Wide RoundedScaled(std::uint64_t mantissa, int scale, int shift) {
    Wide scaled = Wide{mantissa} * PowerOfTen(scale < 19 ? scale : 19);
    if (scale > 19) scaled *= PowerOfTen(scale - 19);
    if (shift == 0) return scaled;
    Wide whole = scaled >> shift;
    const Wide remainder = scaled & ((Wide{1} << shift) - 1);
    const Wide half = Wide{1} << (shift - 1);
    if (remainder > half || (remainder == half && (whole & 1))) ++whole;
    return whole;
}

// The same for magnitude = mantissa / 2^shift, in doubles where that is safe: the product
// magnitude·10^scale (10^scale exact for scale ≤ 22) is off by at most half its ulp, so below
// 2^52 its nearest integer is the exact one unless the product lies within an ulp of a half;
// only then the exact way decides. (x + 2^52) − 2^52 rounds 0 ≤ x < 2^52 half to even.
Wide RoundedProduct(double magnitude, std::uint64_t mantissa, int scale, int shift) {
    const double product = magnitude * kPowersOfTen[scale];
    if (product < 0x1p52) {
        const double rounded = (product + 0x1p52) - 0x1p52;
        if (std::fabs(std::fabs(product - rounded) - 0.5) > product * 0x1p-52)
            return static_cast<std::uint64_t>(rounded);
    }
    return RoundedScaled(mantissa, scale, shift);
}

// The general format of a finite value in fixed notation, exactly as printf's %.*g
// writes it, for magnitudes from 1e-4 up to 2^53 whose exponent after rounding keeps
// fixed notation. Returns nullptr for everything else, which takes the general path.
char* WriteFixedGeneral(char* out, double value, int digits) {
    const double magnitude = std::fabs(value);
    if (!(magnitude >= 1e-4 && magnitude < 0x1p53) || digits > 17) return nullptr;
    // magnitude = mantissa / 2^shift with a 53-bit mantissa (a normal double here).
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const std::uint64_t mantissa =
        (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 1075 - static_cast<int>(bits >> 52);

    // The decimal exponent of the value rounded to `digits` digits: estimated from the
    // binary exponent (log10 2 ≈ 78913 / 2^18, never too high by more than one), then
    // corrected by the size of the rounded integer.
    const std::uint64_t lowest = PowerOfTen(digits - 1);
    int exponent = ((52 - shift) * 78913) >> 18;
    Wide whole = 0;
    for (int attempt = 0;; ++attempt) {
        const int scale = digits - 1 - exponent;
        if (attempt == 3 || scale < 0 || scale > 20) return nullptr;
        whole = RoundedProduct(magnitude, mantissa, scale, shift);
        if (whole < lowest) {
            --exponent;
        } else if (whole >= Wide{lowest} * 10) {
            ++exponent;  // also when rounding carried into the next power of ten
        } else {
            break;
        }
    }
    if (exponent < -4 || exponent >= digits) return nullptr;

    auto rounded = static_cast<std::uint64_t>(whole);
    int used = digits;  // without the trailing zeros of the fraction
    for (; used > exponent + 1 && used > 1 && rounded % 10 == 0; --used)
        rounded /= 10;

    if (value < 0) *out++ = '-';
    if (exponent >= 0) return WriteDigits(out, rounded, used, exponent + 1);
    *out++ = '0';
    *out++ = '.';
    for (int i = -1; i > exponent; --i)
        *out++ = '0';
    return WriteDigits(out, rounded, used, used);
}

}  // namespace

char* WriteGeneral(char* out, double value, int significantDigits) {
    significantDigits = std::clamp(significantDigits, 1, 17);  // the tables hold no more
    if (value == 0) {
        *out = '0';
        return out + 1;
    }
    if (std::isnan(value)) return std::copy_n("nan", 3, out);
    if (char* end = WriteFixedGeneral(out, value, significantDigits)) return end;
    return std::to_chars(out, out + MaxGeneralLength, value, std::chars_format::general,
                         significantDigits)
        .ptr;
}

std::string FormatGeneral(double value, int significantDigits) {
    char text[MaxGeneralLength];
    return std::string(text, WriteGeneral(text, value, significantDigits));
}

namespace {

// Fixed notation as printf's %.*f writes it, for values below 10^19 once scaled: the exact
// binary value times 10^decimals rounded half to even, the point `decimals` digits from the
// right. Returns nullptr for the rest. Three times faster than libstdc++'s std::to_chars in
// fixed form, which the file writer spends a third of its time in (bench/msk_vs_cct.sh).
char* WriteFixedShort(char* out, double value, int decimals) {
    constexpr double kTiniest = 1e-13;  // times 10^12 rounds to 0 whatever the decimals
    const double magnitude = std::fabs(value);
    if (!(magnitude * kPowersOfTen[decimals] < 1e19)) return nullptr;
    std::uint64_t whole = 0;
    if (magnitude >= kTiniest) {
        // magnitude = mantissa / 2^shift with a 53-bit mantissa; shift ≤ 1075 − 979 = 96.
        const auto bits = std::bit_cast<std::uint64_t>(magnitude);
        const std::uint64_t mantissa =
            (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
        const int shift = 1075 - static_cast<int>(bits >> 52);
        if (shift < 0) return nullptr;
        whole = static_cast<std::uint64_t>(RoundedProduct(magnitude, mantissa, decimals, shift));
    }
    int count = decimals + 1;  // at least one digit before the point
    while (count < 20 && whole >= PowerOfTen(count))
        ++count;
    if (value < 0 && whole != 0) *out++ = '-';  // "-0.00" is "0.00"
    return WriteDigits(out, whole, count, count - decimals);
}

}  // namespace

char* WriteFixed(char* out, double value, int decimals) {
    if (!std::isfinite(value)) return WriteGeneral(out, value, 1);
    decimals = std::clamp(decimals, 0, 12);
    if (char* end = WriteFixedShort(out, value, decimals)) return end;
    // 10^19 and beyond once scaled: never all zeros.
    return std::to_chars(out, out + MaxFixedLength, value, std::chars_format::fixed, decimals).ptr;
}

char* WritePackedAngle(char* out, double display, int digits, bool fixed) {
    const auto write = [fixed, digits](char* at, double value) {
        return fixed ? WriteFixed(at, value, digits) : WriteGeneral(at, value, digits);
    };
    char* end = write(out, display);
    double shown = std::fabs(ReadLeadingReal(std::string_view(out, end - out)).value);
    const auto minutes = [&shown] { return std::fmod(std::floor(shown / 100), 100); };
    if (!std::isfinite(shown) || (std::fmod(shown, 100) < 60 && minutes() < 60)) return end;
    if (std::fmod(shown, 100) >= 60) shown += 40;  // 60″ are one minute: −60 + 100
    if (minutes() >= 60) shown += 4000;            // 60′ are one degree: −6000 + 10 000
    return write(out, std::copysign(shown, display));
}

std::string FormatPackedAngle(double display, int significantDigits) {
    char text[MaxGeneralLength];
    return std::string(text, WritePackedAngle(text, display, significantDigits));
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
