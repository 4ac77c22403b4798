// Angle units and forms: radians inside formulas, decimal degrees between operations,
// and the packed sexagesimal form D.MMSSsss (55°45'30.5" is 55.45305) at the boundary
// to the user, whose display form is the packed value times 10 000.
#pragma once

#include <cmath>

namespace engine {

// π as the double nearest it, computed as 4·atan(1) (folded at compile time).
inline double Pi() {
    return 4 * std::atan(1.0);
}

// ρ = 180/π, degrees per radian: degrees become radians by dividing by it.
inline double DegreesPerRadian() {
    return 180 / Pi();
}

// Packed D.MMSSsss to decimal degrees. Minutes and seconds digits of 60 or more are
// taken at face value (55.7590 is 56.275°); the sign belongs to the whole angle.
double PackedToDegrees(double packed);

// Decimal degrees to packed D.MMSSsss, with the seconds carried into minutes and the
// minutes into degrees when rounding brings them to 60.
double DegreesToPacked(double degrees);

// Radians into [0, 2π]: an exact multiple of 2π above zero comes out as 2π, a wrap up
// from below zero that lands within 1e-13 of zero as 0. Not finite in, NaN out.
double NormalizeAngle(double radians);

}  // namespace engine
