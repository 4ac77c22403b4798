#include "engine/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace engine {
namespace {

const double kPi = 3.141592653589793;

TEST(Angles, PiAndDegreesPerRadianAreTheNearestDoubles) {
    EXPECT_EQ(Pi(), kPi);
    EXPECT_EQ(DegreesPerRadian(), 57.29577951308232);
}

struct AngleCase {
    double in;
    double expected;
};

TEST(Angles, PackedToDegrees) {
    const AngleCase cases[] = {
        {55.45305, 55 + 45 / 60.0 + 30.5 / 3600},
        {-55.45305, -(55 + 45 / 60.0 + 30.5 / 3600)},
        {-0.30, -0.5},            // the sign is the value's, not the degrees'
        {0.0030, 30 / 3600.0},    // 30 seconds
        {55.29, 55 + 29 / 60.0},  // held as 55.28999999…: 29' 0", not 28' 99.99…"
        {179.59, 179 + 59 / 60.0},
        {55.7590, 56.275},   // minutes and seconds taken at face value
        {40000.3, 40000.5},  // beyond 16 bits of degrees, no wrap
        {0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(PackedToDegrees(c.in), c.expected) << "packed " << c.in;
    }
}

TEST(Angles, DegreesToPacked) {
    const AngleCase cases[] = {
        {55.483333333333334, 55.29},
        {1.0166666666666666, 1.01},  // 1°00'59.999…" read as written: 1°01'00"
        {37.999722222222225, 37.5959},
        {55 + 45 / 60.0 + 30.5 / 3600, 55.45305},
        {-(55 + 45 / 60.0 + 30.5 / 3600), -55.45305},
        {-0.5, -0.30},
        {100000.5, 100000.30},      // beyond 16 bits of degrees, no wrap
        {359.99999999999994, 360},  // seconds and minutes carry into the degrees
    };
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(DegreesToPacked(c.in), c.expected) << "degrees " << c.in;
    }
}

// Formats a display-form angle (packed × 10 000) as the dialog shows it.
std::string Display(double packed) {
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", packed * 10000);
    return text;
}

// Every whole-second angle of a turn, typed in display form, comes back digit for digit
// from PackedToDegrees followed by DegreesToPacked.
TEST(Angles, EveryWholeSecondOfATurnRoundTripsDigitForDigit) {
    int failures = 0;
    for (int d = 0; d < 360; ++d) {
        for (int m = 0; m < 60; ++m) {
            for (int s = 0; s < 60; ++s) {
                const double display = d * 10000 + m * 100 + s;
                const double degrees = PackedToDegrees(display * 0.0001);
                const std::string back = Display(DegreesToPacked(degrees));
                char typed[32];
                std::snprintf(typed, sizeof typed, "%.12g", display);
                if (back != typed && ++failures <= 5) {
                    ADD_FAILURE() << typed << " came back as " << back;
                }
                const double exact = d + m / 60.0 + s / 3600.0;
                if (std::fabs(degrees - exact) > 1e-12 && ++failures <= 5) {
                    ADD_FAILURE() << typed << " read as " << degrees << "°";
                }
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

// Twelve significant digits of display form (fractions of a second) survive as well.
TEST(Angles, FractionalSecondsRoundTripToTwelveDigits) {
    const double displays[] = {554530.5,  3595959.99999, 1000000.00001, 305.123456789, 0.001,
                               -554530.5, -3000,         1234527.89012, 895959.999,    0.00001};
    for (double display : displays) {
        char typed[32];
        std::snprintf(typed, sizeof typed, "%.12g", display);
        EXPECT_EQ(Display(DegreesToPacked(PackedToDegrees(display * 0.0001))), typed);
    }
}

TEST(Angles, NormalizeAngle) {
    const double turn = 2 * kPi;
    const AngleCase cases[] = {
        {-kPi / 2, 3 * kPi / 2},
        {turn, turn},  // an exact multiple of 2π above zero stays 2π
        {2 * turn, turn},
        {-turn, 0},
        {-turn + 5e-14, 0},                 // snapped after a wrap up
        {-1e-15, std::nextafter(turn, 0)},  // the wrap lands below the snap: no snap
        {1e-15, 1e-15},                     // no snap without a wrap
        {0, 0},
        {1, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NormalizeAngle(c.in), c.expected) << "radians " << c.in;
    }
}

// Values that are not finite, or too large for stepping by 2π, end at once.
TEST(Angles, NormalizeAngleEndsForEveryInput) {
    EXPECT_TRUE(std::isnan(NormalizeAngle(NAN)));
    EXPECT_TRUE(std::isnan(NormalizeAngle(INFINITY)));
    EXPECT_TRUE(std::isnan(NormalizeAngle(-INFINITY)));
    for (double v : {1e300, -1e300, 1e17, -1e17, 1e12, -1e12, 6.6e6, -6.6e6, 2.5e5}) {
        const double r = NormalizeAngle(v);
        EXPECT_GE(r, 0) << v;
        EXPECT_LE(r, 2 * kPi) << v;
    }
}

}  // namespace
}  // namespace engine
