#include "controller/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace controller {
namespace {

const double kInf = std::numeric_limits<double>::infinity();

TEST(ReadReal, LongestLeadingDecimalNumber) {
    const struct {
        const char* text;
        double value;
        std::size_t length;
    } cases[] = {
        {"", 0, 0},
        {"+", 0, 0},
        {".", 0, 0},
        {"-.", 0, 0},
        {"12.5.3", 12.5, 4},
        {"7-", 7, 1},
        {"  -3.5e2x", -350, 8},
        {"\t+.5", 0.5, 4},
        {"5.", 5, 2},
        {"1e", 1, 1},  // an exponent needs a digit
        {"1e+", 1, 1},
        {"1E-2", 0.01, 4},
        {"1,5", 1, 1},  // the comma is no decimal separator
        {"--1..2", 0, 0},
        {"inf", 0, 0},  // no words, no hexadecimal
        {"nan", 0, 0},
        {"0x1A", 0, 1},
        {"-2845123.456789", -2845123.456789, 15},
        {"1e999", kInf, 5},
        {"-1e999", -kInf, 6},
        {"1e-999", 0, 6},
        {"1e-320", 1e-320, 6},  // subnormal, not 0
        {"4.9e-324", 4.9e-324, 8},
    };
    for (const auto& c : cases) {
        const LeadingReal read = ReadLeadingReal(c.text);
        EXPECT_EQ(read.value, c.value) << '"' << c.text << '"';
        EXPECT_EQ(read.length, c.length) << '"' << c.text << '"';
    }
}

TEST(ReadReal, VeryLongDigitStrings) {
    const std::string digits(1'000'000, '9');
    EXPECT_EQ(ParseReal(digits), kInf);
    EXPECT_EQ(ParseReal("0." + digits), 1.0);  // rounds to the nearest double
    EXPECT_EQ(ParseReal(std::string(400, '0') + "123.5"), 123.5);
    const std::string tiny = "0." + std::string(400, '0') + "1e5";
    EXPECT_EQ(ReadLeadingReal(tiny).value, 0);
    EXPECT_EQ(ReadLeadingReal(tiny).length, tiny.size());
    const std::string huge = "0." + std::string(400, '0') + "1e800";
    EXPECT_EQ(ReadLeadingReal(huge).value, kInf);  // 1e399
    EXPECT_EQ(ParseReal("0." + std::string(400, '0') + "1e420"), 1e19);
}

TEST(ReadZone, SignedDigitsSaturating) {
    const struct {
        const char* text;
        int zone;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"7", 7},
        {" -3", -3},
        {"+5x", 5},
        {"12.9", 12},
        {"- 4", 0},
        {"0061", 61},
        {"99999999999999999999", INT_MAX},
        {"-99999999999999999999", INT_MIN},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseZone(c.text), c.zone) << '"' << c.text << '"';
}

TEST(SmallValueRule, MagnitudesBelowATenThousandthBecomePositiveZero) {
    EXPECT_EQ(DropSmallValue(0.00009), 0);
    EXPECT_EQ(DropSmallValue(0.0001), 0.0001);
    EXPECT_EQ(DropSmallValue(-0.0001), -0.0001);
    EXPECT_FALSE(std::signbit(DropSmallValue(-0.00003)));
    EXPECT_FALSE(std::signbit(DropSmallValue(-0.0)));
    EXPECT_TRUE(std::isnan(DropSmallValue(NAN)));
}

TEST(ZoneLimit, BeyondSixtyIsZoneOne) {
    const struct {
        int in, out;
    } cases[] = {{0, 0},     {60, 60}, {61, 1},      {75, 1},     {1000, 1},
                 {-60, -60}, {-61, 1}, {INT_MAX, 1}, {INT_MIN, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(LimitZone(c.in), c.out) << c.in;
}

TEST(FormatGeneral, TwelveAndFifteenSignificantDigits) {
    const struct {
        double value;
        int digits;
        const char* text;
    } cases[] = {
        {2845123.456789, 12, "2845123.45679"},
        {-2845123.456789, 12, "-2845123.45679"},
        {-0.000123456789012, 12, "-0.000123456789012"},
        {554530.5, 12, "554530.5"},
        {0, 12, "0"},
        {-0.0, 12, "0"},
        {-0.5, 12, "-0.5"},
        {100, 12, "100"},
        {999999999999, 12, "999999999999"},
        {1e12, 12, "1e+12"},
        {1.23456789012e15, 12, "1.23456789012e+15"},
        {0.0001, 12, "0.0001"},
        {0.00001, 12, "1e-05"},
        {-6378137, 12, "-6378137"},
        {2845123.45679, 15, "2845123.45679"},
        {0.1 + 0.2, 15, "0.3"},
        {0.1 + 0.2, 17, "0.30000000000000004"},
        {kInf, 12, "inf"},
        {-kInf, 12, "-inf"},
        {NAN, 12, "nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatGeneral(c.value, c.digits), c.text) << c.value << " with " << c.digits;
    }
}

// A written number read back and written again gives the same text.
TEST(FormatGeneral, WrittenNumbersReadBackToTheSameText) {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-8, 16);
    for (int i = 0; i < 20000; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        for (int digits : {ResultDigits, MovedValueDigits}) {
            const std::string text = FormatGeneral(value, digits);
            EXPECT_EQ(FormatGeneral(ParseReal(text), digits), text);
            EXPECT_EQ(ReadLeadingReal(text).length, text.size()) << text;
        }
    }
}

// The fast fixed-notation writer and the fast reader agree with the standard library's
// exact conversions, digit for digit and bit for bit.
TEST(FormatGeneral, AgreesWithTheStandardLibraryAtEveryPrecision) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_int_distribution<int> exponent(-7, 18);
    std::vector<double> values = {0.5,
                                  1.5,
                                  2.5,
                                  0.0001,
                                  0.00009999999999999999,
                                  9.5,
                                  99.5,
                                  999999999999.5,
                                  1e15,
                                  9007199254740991.0,
                                  0.125,
                                  1e-4 * 3,
                                  123456.5,
                                  0.000105,
                                  6378137};
    for (int i = 0; i < 200000; ++i) {
        double v = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 3 == 0) v = std::round(v * 1000) / 1000;  // short decimals, ties included
        values.push_back(i % 2 ? v : -v);
    }
    for (double v : values) {
        if (v == 0) continue;  // zero is always "0", never "-0"
        for (int digits = 1; digits <= 17; ++digits) {
            char expected[64];
            const auto end =
                std::to_chars(expected, expected + 64, v, std::chars_format::general, digits).ptr;
            ASSERT_EQ(FormatGeneral(v, digits), std::string(expected, end))
                << std::hexfloat << v << " with " << digits;
        }
    }
}

TEST(ReadReal, AgreesWithTheStandardLibrary) {
    std::mt19937_64 random(12);
    std::uniform_int_distribution<int> length(1, 24), digit(0, 9), point(0, 25), exponent(-30, 30);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int n = length(random);
        const int pointAt = point(random);
        for (int k = 0; k < n; ++k) {
            if (k == pointAt) text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        if (i % 4 == 0) text += "e" + std::to_string(exponent(random));
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_EQ(ParseReal(text), expected) << text;
        ASSERT_EQ(ParseReal("-" + text), -expected) << text;
    }
}

TEST(FormatZone, Decimal) {
    EXPECT_EQ(FormatZone(7), "7");
    EXPECT_EQ(FormatZone(-3), "-3");
    EXPECT_EQ(FormatZone(0), "0");
    EXPECT_EQ(FormatZone(INT_MIN), "-2147483648");
}

}  // namespace
}  // namespace controller
