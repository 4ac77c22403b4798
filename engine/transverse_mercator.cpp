#include "engine/transverse_mercator.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

#include "engine/angles.h"
#include "engine/zones.h"

namespace engine {

namespace {

using Complex = std::complex<double>;

// Σ c_j sin(2jζ), j = 1…6, for a complex ζ, by Clenshaw's recurrence in 2 cos 2ζ.
Complex SineSeries(const std::array<double, 6>& c, Complex zeta) {
    const Complex twoCos = 2.0 * std::cos(2.0 * zeta);
    Complex next(0), after(0);
    for (int j = 5; j >= 0; --j) {
        const Complex current = c[j] + twoCos * next - after;
        after = next;
        next = current;
    }
    return next * std::sin(2.0 * zeta);
}

// tan χ of the conformal latitude χ from τ = tan φ (Karney 2011, eqs. 7–9):
// τ′ = τ√(1 + σ²) − σ√(1 + τ²), σ = sinh(e·atanh(e τ/√(1 + τ²))).
double ConformalTangent(double tau, double e) {
    const double sigma = std::sinh(e * std::atanh(e * tau / std::hypot(1.0, tau)));
    return tau * std::hypot(1.0, sigma) - sigma * std::hypot(1.0, tau);
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
    // The conformal sphere: ξ′ = atan(τ′/cos λ), η′ = asinh(sin λ/√(τ′² + cos² λ)).
    const double tauPrime = ConformalTangent(std::tan(phi), e_);
    const double cosLambda = std::cos(lambda);
    const Complex zetaPrime(std::atan2(tauPrime, cosLambda),
                            std::asinh(std::sin(lambda) / std::hypot(tauPrime, cosLambda)));
    // The rectifying plane: ζ = ζ′ + Σ α_j sin 2jζ′.
    const Complex zeta = zetaPrime + SineSeries(alpha_, zetaPrime);
    x = radius_ * zeta.real();
    y = radius_ * zeta.imag();
}

void TransverseMercator::Reverse(double x, double y, double& latitude, double& longitude) const {
    const Complex zeta(x / radius_, y / radius_);
    const Complex zetaPrime = zeta - SineSeries(beta_, zeta);
    const double xi = zetaPrime.real(), sinhEta = std::sinh(zetaPrime.imag());
    const double cosXi = std::cos(xi);
    const double tauPrime = std::sin(xi) / std::hypot(sinhEta, cosXi);
    // τ from τ′ by Newton's method (Karney 2011, eqs. 19–21): dτ′/dτ =
    // (1 − e²)√(1 + τ′²)√(1 + τ²)/(1 + (1 − e²)τ²); three steps reach the last bit.
    double tau = tauPrime / e2m_;
    for (int step = 0; step < 5 && std::isfinite(tau); ++step) {
        const double guess = ConformalTangent(tau, e_);
        const double change = (tauPrime - guess) * (1 + e2m_ * tau * tau) /
                              (e2m_ * std::hypot(1.0, guess) * std::hypot(1.0, tau));
        tau += change;
        if (!(std::fabs(change) >= 1e-15 * std::max(1.0, std::fabs(tau)))) break;
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
