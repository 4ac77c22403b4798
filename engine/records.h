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

// Gauss–Krüger plane coordinates in metres: northing x, easting y carrying the zone
// number in its millions and the false easting of 500 000 m, height H carried through.
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

// A transverse Mercator map: the projection about the central meridian λ₀ (degrees east),
// northings counted from the origin latitude φ₀, both scaled by k₀ on the central meridian,
// then the false easting and northing (metres) added.
struct TransverseMercatorParameters {
    double centralMeridian = 0;
    double originLatitude = 0;
    double scale = 1;
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
