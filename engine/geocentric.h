// Geodetic (B, L, H) to Earth-centred rectangular (X, Y, Z) coordinates on one
// ellipsoid and back, and the quadrant-correct angle of a plane vector.
#pragma once

#include "engine/records.h"

namespace engine {

// X = (N + H)·cos B·cos L, Y = (N + H)·cos B·sin L, Z = (N + H − e²N)·sin B,
// with N = a/√(1 − e²·sin²B). Any input gives a result; nothing is normalised.
void GeodeticToGeocentric(const GeodeticPoint& geodetic, GeocentricPoint& geocentric,
                          const Ellipsoid& ellipsoid);

// Iterates a latitude correction d from the geocentric latitude Φ until two successive
// corrections differ by less than tolerance (radians) and keeps the latitude Φ + d of the
// last pass. B and L come out in [0°, 360°]; the centre of the Earth gives (0, 0, −a).
// At most 100 passes; an arcsine domain error (points within about 21 km of the centre)
// is reported once and ends the iteration with the latitude of that pass.
void GeocentricToGeodetic(const GeocentricPoint& geocentric, GeodeticPoint& geodetic,
                          const Ellipsoid& ellipsoid, const double& tolerance);

// Geocentric to geodetic coordinates exactly, for the official routes: Bowring's formula
// (Survey Review 23, 1976) iterated to convergence, on the parametric latitude β with
// tan β = (1 − f) tan B and no trigonometry inside the loop; the height from
// H = p cos B + Z sin B − a√(1 − e² sin² B). B in [−90°, 90°], L in (−180°, 180°]. On the
// axis B = ±90° (the centre 90°) and H = |Z| − b; in the equatorial plane B = 0 and H = p − a.
void GeocentricToGeodeticExact(const GeocentricPoint& geocentric, GeodeticPoint& geodetic,
                               const Ellipsoid& ellipsoid);

// The latitude of GeocentricToGeodeticExact by its sine and cosine (for a projection that
// needs no angle), and the height.
struct LatitudeByTrig {
    double sinB, cosB, H;
};
LatitudeByTrig GeocentricLatitudeExact(const GeocentricPoint& geocentric,
                                       const Ellipsoid& ellipsoid);

// The angle of the vector (x, y) from the first axis towards the second, in [0, 2π]:
// y is the component along the second axis. (0, 0) gives 0; NaN in, NaN out.
double VectorAngle(const double& y, const double& x);

}  // namespace engine
