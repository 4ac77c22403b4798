// The one-step Molodensky transformation of geodetic coordinates between two datums,
// extended by the three rotations and the scale difference of a datum shift.
#pragma once

#include "engine/records.h"

namespace engine {

// Carries (B, L, H) on the source ellipsoid to the target ellipsoid in one step, with
// the corrections ΔB, ΔL (arc-seconds) and ΔH (metres) evaluated at the source point with
// the mean a and e² of the two ellipsoids. B and L come out in [0°, 360°].
// At a pole (|cos B| < 1e-12) the longitude correction is −wZ alone; where M + H or
// N + H vanishes the corresponding coordinate is NaN.
void ShiftGeodetic(const GeodeticPoint& from, const Ellipsoid& fromEllipsoid, GeodeticPoint& to,
                   const Ellipsoid& toEllipsoid, const DatumShift& shift);

}  // namespace engine
