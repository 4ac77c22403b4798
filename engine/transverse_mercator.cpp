#include "engine/transverse_mercator.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <utility>

#include "engine/angles.h"
#include "engine/geocentric.h"
#include "engine/zones.h"

namespace engine {

namespace {

// Σ c_j sin(2jζ), j = 1…6, for ζ = ξ + iη, by Clenshaw's recurrence in 2 cos 2ζ, the
// complex numbers written out: from sin 2ξ, cos 2ξ, sinh 2η and cosh 2η alone.
struct Sum {
    double real, imag;
};
Sum SineSeries(const std::array<double, 6>& c, double sin2Xi, double cos2Xi, double sinh2Eta,
               double cosh2Eta) {
    const double ar = 2 * cos2Xi * cosh2Eta, ai = -2 * sin2Xi * sinh2Eta;  // 2 cos 2ζ
    double yr = 0, yi = 0, zr = 0, zi = 0;                                 // y_{k+1}, y_{k+2}
    for (int j = 5; j >= 0; --j) {
        const double tr = c[j] + ar * yr - ai * yi - zr;
        const double ti = ar * yi + ai * yr - zi;
        zr = yr, zi = yi, yr = tr, yi = ti;
    }
    const double sr = sin2Xi * cosh2Eta, si = cos2Xi * sinh2Eta;  // sin 2ζ
    return {yr * sr - yi * si, yr * si + yi * sr};
}

// tan χ of the conformal latitude χ from sin φ and cos φ (Karney 2011, eqs. 7–9):
// τ′ = τ√(1 + σ²) − σ√(1 + τ²) = (sin φ cosh u − sinh u)/cos φ, with σ = sinh u and
// u = e atanh(e sin φ). Up to e = 0.1 (every ellipsoid of the Earth has 0.082) power series
// replace exp and log: atanh s = s Σ s^2k/(2k + 1) to k = 7, sinh u and cosh u to u⁷ (each
// next term below 10⁻¹⁷ of the sum); beyond, the closed form.
constexpr double kLargestSeriesEccentricity = 0.1;
double ConformalTangent(double sinPhi, double cosPhi, double e) {
    if (e > kLargestSeriesEccentricity) {
        const double q = std::exp(e / 2 * std::log1p(2 * e * sinPhi / (1 - e * sinPhi)));
        return (sinPhi * (q + 1 / q) - (q - 1 / q)) / (2 * cosPhi);
    }
    const double s = e * sinPhi, s2 = s * s;
    double atanhOverS = 0;  // Horner's scheme from 1/15 down to 1
    for (const double c : {1. / 15, 1. / 13, 1. / 11, 1. / 9, 1. / 7, 1. / 5, 1. / 3, 1.})
        atanhOverS = atanhOverS * s2 + c;
    const double atanh = s * atanhOverS;
    const double u = e * atanh, u2 = u * u;
    const double sinhU = u * (1 + u2 * (1. / 6 + u2 * (1. / 120 + u2 * (1. / 5040))));
    const double coshU = 1 + u2 * (1. / 2 + u2 * (1. / 24 + u2 * (1. / 720)));
    return (sinPhi * coshU - sinhU) / cosPhi;
}

}  // namespace

TransverseMercator::TransverseMercator(const Ellipsoid& ellipsoid) {
    const double f = 1 / ellipsoid.invF;
    const double n = f / (2 - f);  // the third flattening
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
    e_ = std::sqrt(f * (2 - f));
    e2m_ = 1 - e_ * e_;
    radius_ = ellipsoid.a / (1 + n) * (1 + n2 / 4 + n4 / 64 + n6 / 256);
    // Karney (2011), eq. (35).
    alpha_ = {n / 2 - 2 * n2 / 3 + 5 * n3 / 16 + 41 * n4 / 180 - 127 * n5 / 288 + 7891 * n6 / 37800,
              13 * n2 / 48 - 3 * n3 / 5 + 557 * n4 / 1440 + 281 * n5 / 630 - 1983433 * n6 / 1935360,
              61 * n3 / 240 - 103 * n4 / 140 + 15061 * n5 / 26880 + 167603 * n6 / 181440,
              49561 * n4 / 161280 - 179 * n5 / 168 + 6601661 * n6 / 7257600,
              34729 * n5 / 80640 - 3418889 * n6 / 1995840,
              212378941 * n6 / 319334400};
    // Karney (2011), eq. (36).
    beta_ = {n / 2 - 2 * n2 / 3 + 37 * n3 / 96 - n4 / 360 - 81 * n5 / 512 + 96199 * n6 / 604800,
             n2 / 48 + n3 / 15 - 437 * n4 / 1440 + 46 * n5 / 105 - 1118711 * n6 / 3870720,
             17 * n3 / 480 - 37 * n4 / 840 - 209 * n5 / 4480 + 5569 * n6 / 90720,
             4397 * n4 / 161280 - 11 * n5 / 504 - 830251 * n6 / 7257600,
             4583 * n5 / 161280 - 108847 * n6 / 3991680,
             20648693 * n6 / 638668800};
}

void TransverseMercator::Forward(double latitude, double longitude, double& x, double& y) const {
    const double rho = DegreesPerRadian();
    const double phi = latitude / rho, lambda = longitude / rho;
    ForwardByTrig(std::sin(phi), std::cos(phi), std::sin(lambda), std::cos(lambda), x, y);
}

void TransverseMercator::ForwardByTrig(double sinPhi, double cosPhi, double sinLambda,
                                       double cosLambda, double& x, double& y) const {
    // The conformal sphere: ξ′ = atan(τ′/cos λ), sinh η′ = sin λ/√(τ′² + cos² λ).
    const double tauPrime = ConformalTangent(sinPhi, cosPhi, e_);
    const double r2 = tauPrime * tauPrime + cosLambda * cosLambda;
    const double sinhEta = sinLambda / std::sqrt(r2), coshEta2 = 1 + sinhEta * sinhEta;
    // The rectifying plane: ζ = ζ′ + Σ α_j sin 2jζ′.
    const Sum sum = SineSeries(alpha_, 2 * tauPrime * cosLambda / r2,
                               (cosLambda * cosLambda - tauPrime * tauPrime) / r2,
                               2 * sinhEta * std::sqrt(coshEta2), coshEta2 + sinhEta * sinhEta);
    x = radius_ * (std::atan2(tauPrime, cosLambda) + sum.real);
    y = radius_ * (std::asinh(sinhEta) + sum.imag);
}

void TransverseMercator::Reverse(double x, double y, double& latitude, double& longitude) const {
    const double xi = x / radius_, eta = y / radius_;
    const double t = std::expm1(2 * eta);  // e^2η − 1: sinh 2η without cancellation
    const double sinh2Eta = t * (t + 2) / (2 * (t + 1)), cosh2Eta = sinh2Eta + 1 / (t + 1);
    const Sum sum = SineSeries(beta_, std::sin(2 * xi), std::cos(2 * xi), sinh2Eta, cosh2Eta);
    const double xiPrime = xi - sum.real, sinhEta = std::sinh(eta - sum.imag);
    const double cosXi = std::cos(xiPrime);
    // Square roots rather than hypot (a tenth of the time): the squares overflow only for
    // eastings beyond 10^150 m, where the latitude is 0 either way.
    const double tauPrime = std::sin(xiPrime) / std::sqrt(sinhEta * sinhEta + cosXi * cosXi);
    // τ = tan φ from τ′ by Newton's method (Karney 2011, eqs. 19–21), from τ′/(1 − e²),
    // which is off by e⁴: two steps reach the last bit. dτ′/dτ = (1 − e²)√(1 + τ′²)√(1 + τ²)
    // /(1 + (1 − e²)τ²).
    double tau = tauPrime / e2m_;
    for (int step = 0; step < 2; ++step) {
        const double secant = std::sqrt(1 + tau * tau);  // |τ| < 10^20 whatever the input
        const double guess = ConformalTangent(tau / secant, 1 / secant, e_);
        tau += (tauPrime - guess) * (1 + e2m_ * tau * tau) /
               (e2m_ * std::sqrt(1 + guess * guess) * secant);
    }
    const double rho = DegreesPerRadian();
    latitude = std::atan(tau) * rho;
    longitude = std::atan2(sinhEta, cosXi) * rho;
}

void GeodeticToZonePlane(const GeodeticPoint& geodetic, PlanePoint& plane, int& zone,
                         const TransverseMercator& projection) {
    plane.H = geodetic.H;
    double longitude = 0;
    zone = ChooseZone(geodetic.L, zone, longitude);
    if (zone == 0) {
        plane.x = plane.y = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    const double latitude = geodetic.B > 180 ? geodetic.B - 360 : geodetic.B;
    double y = 0;
    projection.Forward(latitude, longitude - AxialLongitude(zone), plane.x, y);
    plane.y = AxialEasting(zone) + y;
}

namespace {

// The sine and cosine of a zone's axial meridian: for the sixty zones of the world from a
// table made once (a requested zone may lie beyond them).
std::pair<double, double> AxialMeridianTrig(int zone) {
    constexpr int kZones = 60;
    const auto trig = [](int n) {
        const double axis = AxialLongitude(n) / DegreesPerRadian();
        return std::pair{std::sin(axis), std::cos(axis)};
    };
    static const auto table = [&trig] {
        std::array<std::pair<double, double>, kZones + 1> zones{};
        for (int n = 1; n <= kZones; ++n)
            zones[n] = trig(n);
        return zones;
    }();
    return zone >= 1 && zone <= kZones ? table[zone] : trig(zone);
}

}  // namespace

void GeocentricToZonePlane(const GeocentricPoint& geocentric, PlanePoint& plane, int& zone,
                           const Ellipsoid& ellipsoid, const TransverseMercator& projection) {
    const double X = geocentric.X, Y = geocentric.Y;
    const double p = std::sqrt(X * X + Y * Y);
    // On the axis the longitude is the convention's, and beyond 10^150 m the squares fail:
    // the general way.
    if (!(p > 1e-150 && p < 1e150)) {
        GeodeticPoint geodetic;
        GeocentricToGeodeticExact(geocentric, geodetic, ellipsoid);
        return GeodeticToZonePlane(geodetic, plane, zone, projection);
    }
    const LatitudeByTrig latitude = GeocentricLatitudeExact(geocentric, ellipsoid);
    plane.H = latitude.H;
    const double longitude = std::atan2(Y, X) * DegreesPerRadian();
    double longitudeInZone = 0;  // λ − λ₀ comes from X and Y instead
    zone = ChooseZone(longitude == -180 ? 180 : longitude, zone, longitudeInZone);
    // λ − λ₀ by the difference of the angles, from cos L = X/p, sin L = Y/p and the axial
    // meridian's sine and cosine.
    const auto [sinAxis, cosAxis] = AxialMeridianTrig(zone);
    const double cosL = X / p, sinL = Y / p;
    double y = 0;
    projection.ForwardByTrig(latitude.sinB, latitude.cosB, sinL * cosAxis - cosL * sinAxis,
                             cosL * cosAxis + sinL * sinAxis, plane.x, y);
    plane.y = AxialEasting(zone) + y;
}

void ZonePlaneToGeodetic(const PlanePoint& plane, GeodeticPoint& geodetic, int zone,
                         const TransverseMercator& projection) {
    geodetic.H = plane.H;
    const auto used = ZoneOfEasting(plane.y, zone);
    if (!used) {
        geodetic.B = geodetic.L = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    double longitude = 0;
    projection.Reverse(plane.x, plane.y - AxialEasting(*used), geodetic.B, longitude);
    geodetic.L = std::remainder(longitude + AxialLongitude(*used), 360.0);
}

}  // namespace engine
