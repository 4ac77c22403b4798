// Plain records of the geodetic engine: points, ellipsoids and datum shifts.
#pragma once

namespace engine {

// Geodetic coordinates: latitude B and longitude L in decimal degrees, height H in metres.
struct GeodeticPoint {
    double B = 0;
    double L = 0;
    double H = 0;
};

// Earth-centred rectangular coordinates in metres; Z along the polar axis,
// X through latitude 0° and longitude 0°, Y through longitude 90° east.
struct GeocentricPoint {
    double X = 0;
    double Y = 0;
    double Z = 0;
};

// Plane coordinates in metres: northing x, easting y (in Gauss–Krüger zones carrying the
// zone number in its millions and the false easting of 500 000 m; zones.h has the other
// schemes), height H carried through.
struct PlanePoint {
    double x = 0;
    double y = 0;
    double H = 0;
};

// Reference ellipsoid: semi-major axis a in metres and inverse flattening 1/f.
struct Ellipsoid {
    double a = 0;
    double invF = 0;
};

// First eccentricity squared, e² = (2 − f)·f with the flattening f = 1/invF.
inline double EccentricitySquared(const Ellipsoid& ellipsoid) {
    const double f = 1 / ellipsoid.invF;
    return (2 - f) * f;
}

// A transverse Mercator projection: x = FN + k₀·(X(φ, λ − λ₀) − X(φ₀, 0)) northward and
// y = FE + k₀·Y(φ, λ − λ₀) eastward, X and Y the projection of scale 1 about λ₀. Angles in
// degrees, distances in metres; a scale of 0 or below is meaningless.
struct TransverseMercatorParameters {
    double centralMeridian = 0;  // λ₀
    double originLatitude = 0;   // φ₀
    double scale = 1;            // k₀
    double falseEasting = 0;
    double falseNorthing = 0;
};

// A directed seven-parameter datum shift: translations in metres, rotations in
// arc-seconds (coordinate-frame convention), scale difference m as a plain ratio
// (the factor applied is 1 + m).
struct DatumShift {
    double dX = 0;
    double dY = 0;
    double dZ = 0;
    double wX = 0;
    double wY = 0;
    double wZ = 0;
    double m = 0;
};

}  // namespace engine
