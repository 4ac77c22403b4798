// Seven-parameter (Helmert) transformation of geocentric coordinates, linearised for
// small rotations, coordinate-frame convention.
#pragma once

#include <span>

#include "engine/records.h"

namespace engine {

// (X′, Y′, Z′) = (1 + m)·R·(X, Y, Z) + (dX, dY, dZ), with the rotation matrix
//   |   1     +wZ/ρ  −wY/ρ |
//   | −wZ/ρ    1     +wX/ρ |
//   | +wY/ρ  −wX/ρ    1    |    and ρ = 648000/π arc-seconds per radian.
// Every output coordinate is computed from the input as it was on entry.
void ShiftGeocentric(const GeocentricPoint& from, GeocentricPoint& to, const DatumShift& shift);

// The exact inverse of ShiftGeocentric with the same set: from = R⁻¹(to − d)/(1 + m), with
// R = I + W linearised as there and R⁻¹ = (I − W + wwᵀ)/(1 + |w|²) for the skew-symmetric
// W of the rotation vector w. Negating the parameters instead would miss by up to |w|·|d|,
// 0.69 mm for SK-42 (measured 0.35–0.52 mm over Russia by bench/accuracy.sh).
void UnshiftGeocentric(const GeocentricPoint& to, GeocentricPoint& from, const DatumShift& shift);

// A linear map with a translation, p′ = A·p + t: two datum shifts in a row as one.
struct AffineMap {
    double a[3][3];
    double t[3];
};

// UnshiftGeocentric(ShiftGeocentric(p, into), outOf) for every p, as one map: nine products
// a point instead of the two steps' divisions (the same within 10⁻⁹ m).
AffineMap ComposeShifts(const DatumShift& into, const DatumShift& outOf);
// The same for paths of several sets: each of `into` shifted in order, then each of `outOf`
// undone from the last to the first (a datum defined on another carried to the hub and back).
AffineMap ComposeShifts(std::span<const DatumShift> into, std::span<const DatumShift> outOf);
void ApplyAffine(const GeocentricPoint& from, GeocentricPoint& to, const AffineMap& map);

}  // namespace engine
