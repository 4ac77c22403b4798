// The packed angle form read and written back over every whole second of a turn
// (fractions of a second are rows of engine.cases).
#include "engine/angles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace engine {
namespace {

// The display form (packed × 10 000) as the dialog writes it, twelve digits.
std::string Display(double display) {
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", display);
    return text;
}

// Typed in display form, read to degrees and written back: the same digits.
std::string RoundTrip(double display) {
    return Display(DegreesToPacked(PackedToDegrees(display * 0.0001)) * 10000);
}

TEST(Angles, EveryWholeSecondOfATurnRoundTripsDigitForDigit) {
    int failures = 0;
    for (int d = 0; d < 360; ++d) {
        for (int m = 0; m < 60; ++m) {
            for (int s = 0; s < 60; ++s) {
                const double display = d * 10000 + m * 100 + s;
                const double degrees = PackedToDegrees(display * 0.0001);
                const bool exact = std::fabs(degrees - (d + m / 60.0 + s / 3600.0)) <= 1e-12;
                if ((RoundTrip(display) != Display(display) || !exact) && ++failures <= 5)
                    ADD_FAILURE() << Display(display) << " read as " << degrees << "°, back as "
                                  << RoundTrip(display);
            }
        }
    }
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace engine
