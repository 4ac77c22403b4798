#include "engine/angles.h"

#include <limits>

namespace engine {

namespace {

// A double holds only the value nearest the decimal angle that was typed or computed
// (55.29 is 55.28999999999999914…), and every ×100 or ×60 of a split multiplies that
// error. Each truncation therefore counts a value lying below a whole number by no more
// than this share of the input magnitude as having reached it. 2^-44 is 256 units in the
// last place: far above the errors the conversions carry, and far below the 1e-9 that
// separates two twelve-digit display forms of angles up to 360°.
constexpr double kDigitSlack = 0x1p-44;

// Beyond this many turns NormalizeAngle reduces with fmod instead of stepping: its remainder
// is exact and comes at once, where a million steps took milliseconds and gathered 1e-5 rad
// of rounding. Below it every angle steps as before, to the last bit, the 45 000 turns of
// an easting read in a zone 53 zones away (the window's own results) too; at most 0.2 ms.
constexpr double kMaxSteppedTurns = 0x1p16;

// The whole part of v, counting v as whole when it lies below the next integer by no
// more than slack. Degrees and minutes stay in doubles, so no magnitude can wrap.
double WholePart(double v, double slack) {
    const double whole = std::trunc(v);
    return v - whole >= 1 - slack ? whole + 1 : whole;  // v + slack could overflow
}

struct SexagesimalParts {
    double degrees;
    double minutes;
    double seconds;
};

// Splits a magnitude into whole degrees, whole minutes and seconds, where a degree holds
// `base` minutes and a minute `base` seconds (100 for the packed digits, 60 for angles),
// reading the digits as written and carrying a full minute into the degrees.
SexagesimalParts Split(double magnitude, double base) {
    const double slack = magnitude * kDigitSlack;
    double degrees = WholePart(magnitude, slack);
    const double minutesExact = (magnitude - degrees) * base;
    double minutes = WholePart(minutesExact, base * slack);
    double seconds = (minutesExact - minutes) * base;

    if (seconds >= base - base * base * slack) {
        minutes += 1;
        seconds -= base;
    }
    if (minutes >= base) {
        degrees += 1;
        minutes -= base;
    }
    // A whole number reached only through the slack leaves a tiny negative remainder.
    if (seconds < 0) seconds = 0;
    return {degrees, minutes, seconds};
}

}  // namespace

double PackedToDegrees(double packed) {
    const double sign = packed < 0 ? -1.0 : 1.0;
    const auto [degrees, minutes, seconds] = Split(std::fabs(packed), 100);
    const double sixtieth = 1.0 / 60;
    return sign * (((seconds * sixtieth) + minutes) * sixtieth + degrees);
}

double DegreesToPacked(double decimalDegrees) {
    const double sign = decimalDegrees < 0 ? -1.0 : 1.0;
    const auto [degrees, minutes, seconds] = Split(std::fabs(decimalDegrees), 60);
    return sign * (((seconds * 0.01) + minutes) * 0.01 + degrees);
}

double NormalizeAngle(double v) {
    if (!std::isfinite(v)) return std::numeric_limits<double>::quiet_NaN();
    const double turn = 2 * Pi();
    if (std::fabs(v) > kMaxSteppedTurns * turn) {
        const double remainder = std::fmod(v, turn);  // exact, with the sign of v
        if (remainder == 0) return v > 0 ? turn : 0;  // a multiple, as the steps would end
        v = remainder;
    }

    if (v > turn) {
        do {
            v -= turn;
        } while (v - turn > 0);
    }
    if (v >= 0) return v;
    do {
        v += turn;
    } while (v < 0);
    if (std::fabs(v) < 1e-13) v = 0;
    return v;
}

}  // namespace engine
