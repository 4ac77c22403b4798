#include "engine/gauss_kruger.h"

#include <cmath>
#include <limits>

#include "engine/angles.h"
#include "engine/zones.h"

namespace engine {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The Gauss–Krüger series of SK-42 in six-degree zones as GOST R 51794-2001 writes them for
// the Krasovsky ellipsoid: x and y as polynomials in l² whose coefficients are polynomials in
// sin²B, good to about 1 mm within the zone (the inverse to 1.8 mm; measured against PROJ).
//
// Meridian arc per radian of latitude on the Krasovsky ellipsoid, metres, and its
// reciprocal held as a double.
constexpr double kMeridianArcPerRadian = 6367558.4968;
constexpr double kRadianPerMeridianArc = 1.5704606412372143e-7;
// Polar radius of curvature of the Krasovsky ellipsoid, metres.
constexpr double kPolarRadius = 6399698.902;

}  // namespace

void GeodeticToPlane(const GeodeticPoint& geodetic, PlanePoint& plane, int& zone) {
    // The series take the latitude linearly as well as through sines, so the system's own
    // southern latitudes (330° for 30° S) go back to their signed value first.
    const double latitude = geodetic.B > 180 ? geodetic.B - 360 : geodetic.B;
    plane.H = geodetic.H;

    double longitude = 0;
    const int used = ChooseZone(geodetic.L, zone, longitude);
    zone = used;
    if (used == 0) {  // a longitude that is not finite
        plane.x = plane.y = kNaN;
        return;
    }

    const double rho = DegreesPerRadian();
    const double B = latitude / rho;
    const double l = (longitude - AxialLongitude(used)) / rho;

    const double S2 = std::sin(B) * std::sin(B);
    const double S4 = S2 * S2;
    const double S6 = S4 * S2;
    const double l2 = l * l;

    const double A0 = 16002.89 + 66.9607 * S2 + 0.3515 * S4;
    const double A1 = 1594561.25 + 5336.535 * S2 + 26.79 * S4 + 0.149 * S6;
    const double A2 = 672483.4 - 811219.9 * S2 + 5420 * S4 - 10.6 * S6;
    const double A3 = 278194 - 830174 * S2 + 572434 * S4 - 16010 * S6;
    const double A4 = 109500 - 574700 * S2 + 863700 * S4 - 398600 * S6;
    plane.x = kMeridianArcPerRadian * B -
              std::sin(2 * B) * (A0 - l2 * (A1 + l2 * (A2 + l2 * (A3 + l2 * A4))));

    const double C0 = 6378245 + 21346.1415 * S2 + 107.159 * S4 + 0.5977 * S6;
    const double C1 = 1070204.16 - 2136826.66 * S2 + 17.98 * S4 - 11.99 * S6;
    const double C2 = 270806 - 1523417 * S2 + 1327645 * S4 - 21701 * S6;
    const double C3 = 79690 - 866190 * S2 + 1730360 * S4 - 945460 * S6;
    plane.y = AxialEasting(used) + l * std::cos(B) * (C0 + l2 * (C1 + l2 * (C2 + l2 * C3)));
}

void PlaneToGeodetic(const PlanePoint& plane, GeodeticPoint& geodetic, const int& zone) {
    geodetic.H = plane.H;

    const auto used = ZoneOfEasting(plane.y, zone);
    if (!used) {
        geodetic.B = geodetic.L = kNaN;
        return;
    }

    // Footpoint latitude: the latitude whose meridian arc is x.
    const double beta = plane.x * kRadianPerMeridianArc;
    const double q = std::cos(beta) * std::cos(beta);
    const double Bx = beta + std::sin(beta) * std::cos(beta) *
                                 (50221746 + q * (293622 + q * (2350 + 22 * q))) * 1e-10;

    const double sinBx = std::sin(Bx);
    const double cosBx = std::cos(Bx);
    const double cx = cosBx * cosBx;
    const double N = kPolarRadius - cx * (21562.267 - cx * (108.973 - 0.612 * cx));
    const double z = (plane.y - AxialEasting(*used)) / N / cosBx;
    const double z2 = z * z;

    const double a2 = sinBx * cosBx * (0.5 + 0.0033692 * cx);
    const double a3 = 0.333333 - cx * (0.166667 - 0.001123 * cx);
    const double a4 = 0.25 + cx * (0.16161 + 0.00562 * cx);
    const double a5 = 0.2 - cx * (0.1667 - 0.0088 * cx);

    const double rho = DegreesPerRadian();
    const double B = Bx - a2 * z2 * (1 - z2 * (a4 - 0.12 * z2));
    const double l = z * (1 - z2 * (a3 - a5 * z2));
    const double L = l + AxialLongitude(*used) / rho;

    geodetic.B = NormalizeAngle(B) * rho;
    geodetic.L = NormalizeAngle(L) * rho;
}

}  // namespace engine
