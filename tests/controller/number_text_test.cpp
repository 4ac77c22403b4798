// The dialog's number texts: the case table, and random numbers written and read against
// the standard library's exact conversions.
#include "controller/number_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

#include "case_file.h"
#include "properties.h"

namespace controller {
namespace {

using testing_support::Numbers;

// Fields: what | input | expected.
TEST(NumberText, EveryCaseOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/number_text.cases";
    for (const auto& c : testing_support::ReadCases(file)) {
        const std::string& what = c.fields.at(0);
        const std::string& in = c.fields.at(1);
        const auto expected = Numbers(c.fields.at(2));
        SCOPED_TRACE(c.Where(file));
        if (what == "read") {
            const LeadingReal read = ReadLeadingReal(in);
            EXPECT_EQ(read.value, expected.at(0));
            EXPECT_EQ(read.length, expected.at(1));
            EXPECT_EQ(ParseReal(in), expected.at(0));
        } else if (what == "zone") {
            EXPECT_EQ(ParseZone(in), expected.at(0));
        } else if (what == "format") {
            const auto v = Numbers(in);
            EXPECT_EQ(FormatGeneral(v.at(0), static_cast<int>(v.at(1))), c.fields.at(2));
        } else if (what == "angle") {
            const auto v = Numbers(in);
            EXPECT_EQ(FormatPackedAngle(v.at(0), static_cast<int>(v.at(1))), c.fields.at(2));
        } else if (what == "limit") {
            EXPECT_EQ(LimitZone(std::stoi(in)), expected.at(0));
        } else {
            const double dropped = DropSmallValue(Numbers(in).at(0));
            EXPECT_TRUE(testing_support::Meets(dropped, expected.at(0), 0));
            EXPECT_FALSE(std::signbit(dropped) && dropped == 0) << "a negative zero";
        }
    }
}

// The fast writer agrees with std::to_chars at every precision and reads back, ties and
// short decimals included.
TEST(NumberText, WrittenNumbersAgreeWithTheStandardLibrary) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_int_distribution<int> exponent(-8, 18);
    for (double v : {0.5, 1.5, 2.5, 0.0001, 0.00009999999999999999, 9.5, 99.5, 999999999999.5,
                     9007199254740991.0, 0.125, 123456.5, 0.000105, 6378137.0})
        ASSERT_EQ(testing_support::WrittenNumberProblem(v), nullptr) << v;
    for (int i = 0; i < 100000; ++i) {
        double v = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 3 == 0) v = std::round(v * 1000) / 1000;
        ASSERT_EQ(testing_support::WrittenNumberProblem(i % 2 ? v : -v), nullptr)
            << std::hexfloat << v;
    }
}

// Fixed decimals as printf's %.*f writes them (glibc rounds the exact binary value half to
// even), ties, tiny values and the 10^19 edge of the short path included; "-0.00" is "0.00".
TEST(NumberText, FixedDecimalsAgreeWithPrintf) {
    std::mt19937_64 random(13);
    std::uniform_real_distribution<double> mantissa(1, 10);
    std::uniform_int_distribution<int> exponent(-15, 20);
    const auto check = [](double v, int decimals) {
        char expected[400], written[controller::MaxFixedLength];
        std::snprintf(expected, sizeof expected, "%.*f", decimals, v);
        std::string want = expected;
        if (want.find_first_not_of("-0.") == std::string::npos && want[0] == '-') want.erase(0, 1);
        const char* end = controller::WriteFixed(written, v, decimals);
        return std::string(static_cast<const char*>(written), end) == want;
    };
    for (double v : {0.5, 1.5, 2.5, 0.125, 0.0625, 1e-13, 4.9999999999999996e-13, 0.0, -0.0,
                     -0.0004, 9.9999999999999998e18, 1e19, 123456789.123456789, 6378137.0})
        for (int decimals = 0; decimals <= 12; ++decimals)
            ASSERT_TRUE(check(v, decimals)) << v << " " << decimals;
    for (int i = 0; i < 100000; ++i) {
        double v = mantissa(random) * std::pow(10.0, exponent(random));
        if (i % 3 == 0) v = std::round(v * 1000) / 1000 + 0.0005;  // near ties
        const int decimals = i % 13;
        ASSERT_TRUE(check(i % 2 ? v : -v, decimals)) << std::hexfloat << v << " " << decimals;
    }
}

// The fast reader gives the double std::from_chars gives, bit for bit.
TEST(NumberText, ReadNumbersAgreeWithTheStandardLibrary) {
    std::mt19937_64 random(12);
    std::uniform_int_distribution<int> length(1, 24), digit(0, 9), point(0, 25), exponent(-30, 30);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int n = length(random), pointAt = point(random);
        for (int k = 0; k < n; ++k)
            text += (k == pointAt ? "." : "") + std::to_string(digit(random));
        if (i % 4 == 0) text += "e" + std::to_string(exponent(random));
        double expected = 0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        ASSERT_EQ(ParseReal(text), expected) << text;
        ASSERT_EQ(ParseReal("-" + text), -expected) << text;
    }
}

}  // namespace
}  // namespace controller
