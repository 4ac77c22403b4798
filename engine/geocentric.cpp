#include "engine/geocentric.h"

#include <cfloat>
#include <cmath>

#include "engine/angles.h"
#include "engine/math_error.h"

namespace engine {

namespace {

// Below this distance from the centre (metres) the point has no direction at all.
constexpr double kCentreRadius = 1e-12;

// Points within about 43 km of the centre can oscillate between two corrections for
// ever; near the surface the iteration ends after one to five passes.
constexpr int kMaxPasses = 100;

}  // namespace

void GeodeticToGeocentric(const GeodeticPoint& geodetic, GeocentricPoint& geocentric,
                          const Ellipsoid& ellipsoid) {
    const double rho = DegreesPerRadian();
    const double B = geodetic.B / rho;
    const double L = geodetic.L / rho;
    const double H = geodetic.H;
    const double e2 = EccentricitySquared(ellipsoid);

    const double sinB = std::sin(B);
    const double cosB = std::cos(B);
    const double N = ellipsoid.a / std::sqrt(1 - e2 * sinB * sinB);

    geocentric.X = (N + H) * cosB * std::cos(L);
    geocentric.Y = (N + H) * cosB * std::sin(L);
    geocentric.Z = (N + H - e2 * N) * sinB;
}

void GeocentricToGeodetic(const GeocentricPoint& geocentric, GeodeticPoint& geodetic,
                          const Ellipsoid& ellipsoid, const double& tolerance) {
    const double X = geocentric.X;
    const double Y = geocentric.Y;
    const double Z = geocentric.Z;
    const double a = ellipsoid.a;
    const double e2 = EccentricitySquared(ellipsoid);
    const double R = std::sqrt(X * X + Y * Y + Z * Z);

    double B = 0;
    double L = 0;
    double H = -a;
    if (!(std::fabs(R) > kCentreRadius)) {
        // The centre itself (or a radius that is not a number): B = L = 0, H = −a.
    } else {
        const double geocentricLatitude = std::asin(Z / R);
        const double scale = e2 * a * 0.5 / R;
        double sinB = 0;
        double W = 1;
        double d = 0;
        double dPrevious = 0;
        int passes = 0;
        do {
            dPrevious = d;
            B = geocentricLatitude + dPrevious;
            sinB = std::sin(B);
            W = std::sqrt(1 - e2 * sinB * sinB);
            const double sine = std::sin(2 * B) * scale / W;
            if (std::fabs(sine) > 1) {
                ReportMathError("asin", "DOMAIN");
                break;
            }
            d = std::asin(sine);
        } while (std::fabs(d - dPrevious) >= tolerance && ++passes < kMaxPasses);

        const double P = std::sqrt(X * X + Y * Y);
        L = VectorAngle(Y, X);
        H = P * std::cos(B) + Z * sinB - a * W;
    }

    const double rho = DegreesPerRadian();
    geodetic.B = NormalizeAngle(B) * rho;
    geodetic.L = NormalizeAngle(L) * rho;
    geodetic.H = H;
}

double VectorAngle(const double& y, const double& x) {
    const double pi = Pi();
    if (x == 0) {
        if (y == 0) return 0;
        if (y > 0) return pi / 2;
        if (y < 0) return 3 * pi / 2;
        return y;  // NaN
    }
    const double t = std::atan(y / x);
    if (y >= 0) return x > 0 ? t : pi + t;
    if (y < 0) return x > 0 ? 2 * pi + t : pi + t;
    return t;  // NaN
}

namespace {

// √(x² + y²): hypot's result, without its cost where the squares neither overflow nor
// underflow.
double Norm(double x, double y) {
    const double r = std::sqrt(x * x + y * y);
    return r > 1e-150 && r < 1e150 ? r : std::hypot(x, y);
}

}  // namespace

LatitudeByTrig GeocentricLatitudeExact(const GeocentricPoint& geocentric,
                                       const Ellipsoid& ellipsoid) {
    const double a = ellipsoid.a, f = 1 / ellipsoid.invF;
    const double e2 = f * (2 - f), b = a * (1 - f), ep2b = e2 / (1 - e2) * b;
    const double Z = geocentric.Z, p = Norm(geocentric.X, geocentric.Y);
    if (p == 0 || Z == 0) {  // the axis (and the centre), or the equatorial plane
        if (p == 0) return {Z < 0 ? -1.0 : 1.0, 0, std::fabs(Z) - b};
        return {0, 1, p - a};
    }
    // Bowring: tan B = (Z + e′²b sin³β)/(p − e²a cos³β), then tan β = (1 − f) tan B. Within
    // about 43 km of the centre the denominator can vanish: B is then ±90°. (S, C) is any
    // multiple of (sin β, cos β), r its length: the passes take
    // tan B = (Z r³ + e′²b S³)/(p r³ − e²a C³) and divide nothing but the test.
    double S = Z, C = (1 - f) * p, num = Z, den = p, tanB = 0;
    for (int pass = 0; pass < 10; ++pass) {
        double r2 = S * S + C * C;
        // Rescaled by a power of two, exactly, where r³ would overflow, or where it is below
        // 1 and a tiny Z times it could vanish (at the centre).
        if (!(r2 >= 1 && r2 < 1e100)) {
            const double largest = std::max(std::fabs(S), std::fabs(C));
            const int scale = largest > 0 && largest <= DBL_MAX ? std::ilogb(largest) : 0;
            S = std::scalbn(S, -scale), C = std::scalbn(C, -scale), r2 = S * S + C * C;
        }
        const double r3 = r2 * std::sqrt(r2);
        num = Z * r3 + ep2b * S * S * S;
        den = std::max(p * r3 - e2 * a * C * C * C, 0.0);
        const double previous = tanB;
        tanB = num / den;
        // Bowring's iteration converges cubically: once a pass moves tan B by less than 10⁻⁶
        // of itself, that pass is exact to the last bits (within 1.5·10⁻⁹ m of iterating on
        // to 10⁻¹⁶, checked for heights from −10 km to 20 000 km). Two passes, as a rule.
        if (std::fabs(tanB - previous) <= 1e-6 * std::fabs(tanB)) break;
        S = (1 - f) * num, C = den;
    }
    const double r = Norm(num, den);
    const double sinB = num / r, cosB = den / r;
    return {sinB, cosB, p * cosB + Z * sinB - a * std::sqrt(1 - e2 * sinB * sinB)};
}

void GeocentricToGeodeticExact(const GeocentricPoint& geocentric, GeodeticPoint& geodetic,
                               const Ellipsoid& ellipsoid) {
    const double rho = DegreesPerRadian();
    const double L = std::atan2(geocentric.Y, geocentric.X) * rho;
    geodetic.L = L == -180 ? 180 : L;
    const LatitudeByTrig latitude = GeocentricLatitudeExact(geocentric, ellipsoid);
    // On the axis and in the equatorial plane the angle is exact: ±90° or 0°.
    geodetic.B = latitude.cosB == 0   ? (latitude.sinB < 0 ? -90 : 90)
                 : latitude.sinB == 0 ? 0
                                      : std::atan2(latitude.sinB, latitude.cosB) * rho;
    geodetic.H = latitude.H;
}

}  // namespace engine
