#include "engine/transverse_mercator.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include "engine/angles.h"
#include "engine/geocentric.h"
#include "engine/zones.h"

namespace engine {

namespace {

struct Complex {
    double re, im;
};
Complex Times(Complex a, Complex b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}
Complex Plus(Complex a, Complex b) {
    return {a.re + b.re, a.im + b.im};
}
// a·y + (c − z) for complex a, y and z and real c: one step of Clenshaw's recurrence,
// grouped so that it waits on one product and two sums.
Complex Step(Complex a, Complex y, double c, Complex z) {
    return {(a.re * y.re - a.im * y.im) + (c - z.re), (a.re * y.im + a.im * y.re) - z.im};
}

// Σ c_j sin 2jζ, j = 1…6, for ζ = ξ + iη, from sin 2ξ, cos 2ξ, sinh 2η and cosh 2η alone.
// Clenshaw's recurrence in 2 cos 4ζ run twice side by side, over the even terms
// Σ c_2m sin 4mζ = y₁ sin 4ζ and the odd ones Σ c_2m+1 sin (2m + 1)2ζ = (u₀ + u₁) sin 2ζ:
// a chain of three steps instead of six.
struct Sum {
    double real, imag;
};
Sum SineSeries(const std::array<double, 6>& c, double sin2Xi, double cos2Xi, double sinh2Eta,
               double cosh2Eta) {
    const Complex sin2 = {sin2Xi * cosh2Eta, cos2Xi * sinh2Eta};   // sin 2ζ
    const Complex cos2 = {cos2Xi * cosh2Eta, -sin2Xi * sinh2Eta};  // cos 2ζ
    const Complex square = Times(cos2, cos2);
    const Complex a = {4 * square.re - 2, 4 * square.im};  // 2 cos 4ζ = 4 cos² 2ζ − 2
    const Complex zero = {0, 0};
    const Complex y3 = {c[5], 0}, y2 = Step(a, y3, c[3], zero), y1 = Step(a, y2, c[1], y3);
    const Complex u2 = {c[4], 0}, u1 = Step(a, u2, c[2], zero), u0 = Step(a, u1, c[0], u2);
    const Complex sin4 = Times(sin2, {2 * cos2.re, 2 * cos2.im});  // sin 4ζ = 2 sin 2ζ cos 2ζ
    const Complex sum = Plus(Times(sin2, Plus(u0, u1)), Times(sin4, y1));
    return {sum.re, sum.im};
}

// τ′ cos φ, the tangent of the conformal latitude χ times cos φ, from sin φ (Karney 2011,
// eqs. 7–9): τ′ = τ√(1 + σ²) − σ√(1 + τ²) = (sin φ cosh u − sinh u)/cos φ, with σ = sinh u
// and u = e atanh(e sin φ). Up to e = 0.1 (every ellipsoid of the Earth has 0.082) it is a
// power series in t = sin φ, t Σ c_k t^2k, made once for the ellipsoid (SeriesOfNumerator)
// and summed by Estrin's scheme; beyond, the closed form.
constexpr double kLargestSeriesEccentricity = 0.1;
using NumeratorSeries = std::array<double, 8>;
double ConformalNumerator(double sinPhi, double e, const NumeratorSeries& c) {
    if (e > kLargestSeriesEccentricity) {
        const double q = std::exp(e / 2 * std::log1p(2 * e * sinPhi / (1 - e * sinPhi)));
        return (sinPhi * (q + 1 / q) - (q - 1 / q)) / 2;
    }
    const double x = sinPhi * sinPhi, x2 = x * x, x4 = x2 * x2;
    return sinPhi * (((c[0] + x * c[1]) + x2 * (c[2] + x * c[3])) +
                     x4 * ((c[4] + x * c[5]) + x2 * (c[6] + x * c[7])));
}

// The coefficients c_k of t^(2k+1) in t cosh u − sinh u, u = e atanh(e t) = Σ e^(2k+2)
// t^(2k+1)/(2k + 1), by the arithmetic of power series truncated after t¹⁷: the terms left
// out are below e¹⁸ (10⁻¹⁸ for e ≤ 0.1).
NumeratorSeries SeriesOfNumerator(double e) {
    constexpr int kTerms = 18;  // powers t⁰…t¹⁷
    using Series = std::array<double, kTerms>;
    const auto times = [](const Series& a, const Series& b) {
        Series product{};
        for (int i = 0; i < kTerms; ++i)
            for (int j = 0; i + j < kTerms; ++j)
                product[i + j] += a[i] * b[j];
        return product;
    };
    Series u{};
    double power = e * e;  // e^(2k+2)
    for (int k = 0; 2 * k + 1 < kTerms; ++k, power *= e * e)
        u[2 * k + 1] = power / (2 * k + 1);
    // sinh u = Σ u^(2k+1)/(2k+1)!, cosh u = Σ u^2k/(2k)!: u is O(e²t), so to u⁹ and u⁸.
    Series sinhU{}, coshU{}, term{};
    term[0] = 1;
    for (int k = 1; k <= 9; ++k) {
        term = times(term, u);
        for (double& value : term)
            value /= k;
        Series& sum = k % 2 ? sinhU : coshU;
        for (int i = 0; i < kTerms; ++i)
            sum[i] += term[i];
    }
    NumeratorSeries c{};
    for (int k = 0; k < 8; ++k)
        c[k] = (k == 0 ? 1 : 0) + coshU[2 * k] - sinhU[2 * k + 1];
    return c;
}

// asinh s, given √(1 + s²): within the zones (|s| ≤ 0.1) by its series
// s Σ (−1)^k C(2k, k)/(4^k (2k + 1)) s^2k to k = 8 (the next term below 10⁻¹⁹ of the sum),
// summed by Estrin's scheme; beyond, log1p(|s|(1 + |s|/(1 + √(1 + s²)))), odd in s.
constexpr double kSmallSinh = 0.1;
double Asinh(double s, double root) {
    const double x = s * s;
    if (!(x <= kSmallSinh * kSmallSinh)) {
        const double size = std::fabs(s);
        return std::copysign(std::log1p(size * (1 + size / (1 + root))), s);
    }
    const double x2 = x * x, x4 = x2 * x2;
    const double sum =
        ((1 - x * (1. / 6)) + x2 * (3. / 40 - x * (5. / 112))) +
        x4 * ((35. / 1152 - x * (63. / 2816)) + x2 * (231. / 13312 - x * (143. / 10240))) +
        x4 * x4 * (6435. / 557056);
    return s * sum;
}

// Σ c_k sin 2kχ, k = 1…6, for real χ: SineSeries' two chains in 2 cos 4χ.
double RealSineSeries(const std::array<double, 6>& c, double sin2Chi, double cos2Chi) {
    const double a = 4 * cos2Chi * cos2Chi - 2;  // 2 cos 4χ
    const double y2 = c[3] + a * c[5], y1 = a * y2 + (c[1] - c[5]);
    const double u1 = c[2] + a * c[4], u0 = a * u1 + (c[0] - c[4]);
    return sin2Chi * ((u0 + u1) + 2 * cos2Chi * y1);  // sin 4χ = 2 sin 2χ cos 2χ
}

// The sine and cosine of a small angle δ (|δ| ≤ 0.01) by their Taylor series to δ⁶: the
// next terms are below 2·10⁻¹⁸.
constexpr double kSmallAngle = 0.01;
struct SineCosine {
    double sin, cos;
};
SineCosine SmallAngleTrig(double d) {
    const double d2 = d * d;
    const double odd3 = d * d2 * (1. / 6), odd5 = odd3 * d2 * (1. / 20);  // δ³/3!, δ⁵/5!
    const double even2 = d2 * 0.5, even4 = even2 * d2 * (1. / 12);        // δ²/2!, δ⁴/4!
    const double even6 = even4 * d2 * (1. / 30);                          // δ⁶/6!
    return {d - odd3 + odd5, 1 - even2 + even4 - even6};
}

// atan t for |t| ≤ 0.1 by its series t Σ (−1)^k t^2k/(2k + 1) to k = 8 (the next term
// below 10⁻¹⁹ of the sum), summed by Estrin's scheme.
constexpr double kSmallTangent = 0.1;
double SmallAtan(double t) {
    const double x = t * t, x2 = x * x, x4 = x2 * x2;
    return t *
           (((1 - x * (1. / 3)) + x2 * (1. / 5 - x * (1. / 7))) +
            x4 * ((1. / 9 - x * (1. / 11)) + x2 * (1. / 13 - x * (1. / 15))) + x4 * x4 * (1. / 17));
}

// sinh x and cosh x: within the zones (|x| ≤ 0.16) by their Taylor series to x¹¹ and x¹⁰
// (the next terms below 10⁻¹⁸ of the sums), summed by Estrin's scheme; beyond, by the
// library (infinite, not NaN, where they overflow).
constexpr double kSmallHyperbolic = 0.16;
struct Hyperbolic {
    double sinh, cosh;
};
Hyperbolic SinhCosh(double x) {
    const double x2 = x * x;
    if (!(x2 <= kSmallHyperbolic * kSmallHyperbolic)) return {std::sinh(x), std::cosh(x)};
    const double x4 = x2 * x2, x8 = x4 * x4;
    return {x * (((1 + x2 * (1. / 6)) + x4 * (1. / 120 + x2 * (1. / 5040))) +
                 x8 * (1. / 362880 + x2 * (1. / 39916800))),
            ((1 + x2 * 0.5) + x4 * (1. / 24 + x2 * (1. / 720))) +
                x8 * (1. / 40320 + x2 * (1. / 3628800))};
}

}  // namespace

TransverseMercator::TransverseMercator(const Ellipsoid& ellipsoid) {
    const double f = 1 / ellipsoid.invF;
    const double n = f / (2 - f);  // the third flattening
    const double n2 = n * n, n3 = n2 * n, n4 = n3 * n, n5 = n4 * n, n6 = n5 * n;
    e_ = std::sqrt(f * (2 - f));
    e2m_ = 1 - e_ * e_;
    numerator_ = SeriesOfNumerator(e_);
    radius_ = ellipsoid.a / (1 + n) * (1 + n2 / 4 + n4 / 64 + n6 / 256);
    inverseRadius_ = 1 / radius_;
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
    // φ − χ = Σ b_k sin 2kχ, conformal to geodetic latitude: C. F. F. Karney, "On auxiliary
    // latitudes", Survey Review 56 (2024) 165–180; used up to e = 0.1 (against the exact
    // inverse in 50 digits the error falls as n⁷: 1.7·10⁻¹⁴ rad at n = 0.005).
    geodetic_ = {2 * n - 2 * n2 / 3 - 2 * n3 + 116 * n4 / 45 + 26 * n5 / 45 - 2854 * n6 / 675,
                 7 * n2 / 3 - 8 * n3 / 5 - 227 * n4 / 45 + 2704 * n5 / 315 + 2323 * n6 / 945,
                 56 * n3 / 15 - 136 * n4 / 35 - 1262 * n5 / 105 + 73814 * n6 / 2835,
                 4279 * n4 / 630 - 332 * n5 / 35 - 399572 * n6 / 14175,
                 4174 * n5 / 315 - 144838 * n6 / 6237,
                 601676 * n6 / 22275};
}

void TransverseMercator::Forward(double latitude, double longitude, double& x, double& y) const {
    // Products rather than quotients (a quarter of the time), within an ulp of them.
    const double radiansPerDegree = Pi() / 180;
    const double phi = latitude * radiansPerDegree, lambda = longitude * radiansPerDegree;
    ForwardByTrig(std::sin(phi), std::cos(phi), std::sin(lambda), std::cos(lambda), x, y);
}

void TransverseMercator::ForwardByTrig(double sinPhi, double cosPhi, double sinLambda,
                                       double cosLambda, double& x, double& y) const {
    // The conformal sphere, ξ′ = atan(τ′/cos λ) and sinh η′ = sin λ/√(τ′² + cos² λ), with
    // everything multiplied by cos φ: no division waits on τ′, and the poles need no care.
    double numerator = ConformalNumerator(sinPhi, e_, numerator_);  // N = τ′ cos φ
    if (cosPhi < 0) numerator = -numerator, cosPhi = -cosPhi;       // τ′ keeps its sign
    const double c = cosPhi * cosLambda, sc = sinLambda * cosPhi;
    const double r2 = numerator * numerator + c * c;  // (τ′² + cos² λ) cos² φ
    const double secant = std::sqrt(numerator * numerator + cosPhi * cosPhi);  // √(1 + τ′²) cos φ
    const double inverseR = 1 / std::sqrt(r2);
    const double sinhEta = sc * inverseR, coshEta = secant * inverseR;
    // The rectifying plane: ζ = ζ′ + Σ α_j sin 2jζ′.
    const double inverseR2 = 1 / r2;
    const Sum sum = SineSeries(alpha_, 2 * numerator * c * inverseR2,
                               (c - numerator) * (c + numerator) * inverseR2,
                               2 * sc * secant * inverseR2, 1 + 2 * sc * sc * inverseR2);
    // atan rather than atan2 (a third of the time) on the map's side of the sphere; η′ from
    // sinh η′ by its series within the zones.
    const double xiPrime = c > 0 ? std::atan(numerator / c) : std::atan2(numerator, c);
    const double etaPrime = Asinh(sinhEta, coshEta);
    x = radius_ * (xiPrime + sum.real);
    y = radius_ * (etaPrime + sum.imag);
}

void TransverseMercator::Reverse(double x, double y, double& latitude, double& longitude) const {
    const double xi = x * inverseRadius_, eta = y * inverseRadius_;
    const double sinXi = std::sin(xi), cosXi = std::cos(xi);
    const auto [sinhEta, coshEta] = SinhCosh(eta);
    // The conformal sphere: ζ′ = ζ − δ, δ = Σ β_j sin 2jζ.
    const Sum delta = SineSeries(beta_, 2 * sinXi * cosXi, (cosXi - sinXi) * (cosXi + sinXi),
                                 2 * sinhEta * coshEta, 1 + 2 * sinhEta * sinhEta);
    const double xiP = xi - delta.real;
    double sinXiP = 0, cosXiP = 0;
    if (std::fabs(delta.real) <= kSmallAngle) {
        // Within the zones δ is below 0.002: sin ξ′ and cos ξ′ by the addition theorems.
        const SineCosine d = SmallAngleTrig(delta.real);
        sinXiP = sinXi * d.cos - cosXi * d.sin;
        cosXiP = cosXi * d.cos + sinXi * d.sin;
    } else {
        sinXiP = std::sin(xiP), cosXiP = std::cos(xiP);
    }
    const double sinhEtaP = SinhCosh(eta - delta.imag).sinh;
    // tan χ = τ′ = sin ξ′/r with r = √(sinh² η′ + cos² ξ′) (Karney 2011, eq. 18); square
    // roots rather than hypot (a tenth of the time): the squares overflow only for
    // eastings beyond 10^150 m, where the latitude is 0 either way.
    const double r = std::sqrt(sinhEtaP * sinhEtaP + cosXiP * cosXiP);
    const double rho = DegreesPerRadian();
    longitude = (cosXiP > 0 ? std::atan(sinhEtaP / cosXiP) : std::atan2(sinhEtaP, cosXiP)) * rho;
    if (e_ <= kLargestSeriesEccentricity && r <= DBL_MAX) {
        // φ = χ + Σ b_k sin 2kχ, with sin χ = sin ξ′/cosh η′ and cos χ = r/cosh η′ (η′
        // infinite, far beyond any zone, takes Newton's way to its latitude 0).
        const double inverseCosh2 = 1 / (1 + sinhEtaP * sinhEtaP);
        const double sin2Chi = 2 * sinXiP * r * inverseCosh2;
        const double cos2Chi = (r - sinXiP) * (r + sinXiP) * inverseCosh2;
        // χ = ξ′ − ε with tan ε = sin ξ′ sinh² η′/((r + cos ξ′)(r cos ξ′ + sin² ξ′)): within
        // the zones ε is small, and its series replaces an arctangent.
        const double tanEpsilon =
            sinXiP * sinhEtaP * sinhEtaP / ((r + cosXiP) * (r * cosXiP + sinXiP * sinXiP));
        const double chi = std::fabs(xiP) < Pi() / 2 && std::fabs(tanEpsilon) <= kSmallTangent
                               ? xiP - SmallAtan(tanEpsilon)
                               : std::atan(sinXiP / r);  // ±90° at the poles, where r is 0
        latitude = (chi + RealSineSeries(geodetic_, sin2Chi, cos2Chi)) * rho;
        return;
    }
    // τ = tan φ from τ′ by Newton's method (Karney 2011, eqs. 19–21), from τ′/(1 − e²),
    // which is off by e⁴: two steps reach the last bit. dτ′/dτ = (1 − e²)√(1 + τ′²)√(1 + τ²)
    // /(1 + (1 − e²)τ²).
    const double tauPrime = sinXiP / r;
    double tau = tauPrime / e2m_;
    for (int step = 0; step < 2; ++step) {
        const double secant = std::sqrt(1 + tau * tau);  // |τ| < 10^20 whatever the input
        const double guess = ConformalNumerator(tau / secant, e_, numerator_) * secant;
        tau += (tauPrime - guess) * (1 + e2m_ * tau * tau) /
               (e2m_ * std::sqrt(1 + guess * guess) * secant);
    }
    latitude = std::atan(tau) * rho;
}

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The sine and cosine of a meridian: for whole multiples of 3° from −192° to 384° (every
// central meridian of the schemes, and their neighbours) from a table made once.
std::pair<double, double> MeridianTrig(double meridian) {
    constexpr int kFirst = -64, kLast = 128;  // multiples of 3°
    const auto trig = [](double degrees) {
        const double axis = degrees / DegreesPerRadian();
        return std::pair{std::sin(axis), std::cos(axis)};
    };
    static const auto table = [&trig] {
        std::array<std::pair<double, double>, kLast - kFirst + 1> meridians{};
        for (int k = kFirst; k <= kLast; ++k)
            meridians[k - kFirst] = trig(3.0 * k);
        return meridians;
    }();
    const double k = meridian / 3;
    if (k >= kFirst && k <= kLast && k == std::floor(k)) return table[static_cast<int>(k) - kFirst];
    return trig(meridian);
}

// The longitude of a geocentric point as its sine and cosine, and its latitude likewise.
struct GeocentricAngles {
    LatitudeByTrig latitude;
    double sinL, cosL;
};
// False on the axis, where the longitude is the convention's, and beyond 10^150 m, where
// the squares fail: there the caller goes the general way.
bool AnglesOf(const GeocentricPoint& geocentric, const Ellipsoid& ellipsoid,
              GeocentricAngles& angles) {
    const double X = geocentric.X, Y = geocentric.Y;
    const double p = std::sqrt(X * X + Y * Y);
    if (!(p > 1e-150 && p < 1e150)) return false;
    angles.latitude = GeocentricLatitudeExact(geocentric, ellipsoid);
    angles.cosL = X / p, angles.sinL = Y / p;
    return true;
}

// x and y of the projection of scale 1 for a longitude λ − λ₀ given by the difference of
// the angles, from L's and the central meridian's sines and cosines.
void ForwardFromMeridian(const TransverseMercator& projection, const GeocentricAngles& angles,
                         std::pair<double, double> meridian, double& x, double& y) {
    const auto [sinAxis, cosAxis] = meridian;
    projection.ForwardByTrig(angles.latitude.sinB, angles.latitude.cosB,
                             angles.sinL * cosAxis - angles.cosL * sinAxis,
                             angles.cosL * cosAxis + angles.sinL * sinAxis, x, y);
}

// A longitude taken to (−180°, 180°]; within it already, as nearly always, unchanged
// without a division.
double ReduceLongitude(double longitude) {
    if (longitude > -180 && longitude <= 180) return longitude;
    const double reduced = std::remainder(longitude, 360.0);
    return reduced == -180 ? 180 : reduced;
}

// A zone's plane point from the projection of scale 1 about its central meridian.
void PlaceInZone(const ZoneScheme& scheme, int zone, double x, double y, PlanePoint& plane) {
    plane.x = scheme.scale * x;
    if (zone < 0) plane.x += ZoneFalseNorthing(scheme, zone);
    plane.y = CentralEasting(scheme, zone) + scheme.scale * y;
}

}  // namespace

TransverseMercatorMap::TransverseMercatorMap(const Ellipsoid& ellipsoid,
                                             const TransverseMercatorParameters& parameters)
    : ellipsoid_(ellipsoid),
      projection_(ellipsoid),
      parameters_(parameters),
      originNorthing_(0),
      inverseScale_(1 / parameters.scale) {
    double y = 0;
    projection_.Forward(parameters.originLatitude, 0, originNorthing_, y);
    std::tie(sinMeridian_, cosMeridian_) = MeridianTrig(parameters.centralMeridian);
}

void TransverseMercatorMap::Forward(const GeodeticPoint& geodetic, PlanePoint& plane) const {
    plane.H = geodetic.H;
    if (!std::isfinite(geodetic.B) || !std::isfinite(geodetic.L)) {
        plane.x = plane.y = kNaN;
        return;
    }
    // L − λ₀ straight, or for a longitude far beyond the circle L reduced first.
    const double L = std::fabs(geodetic.L) <= 720 ? geodetic.L : std::remainder(geodetic.L, 360.0);
    const double longitude = ReduceLongitude(L - parameters_.centralMeridian);
    double x = 0, y = 0;
    projection_.Forward(geodetic.B, longitude, x, y);
    plane.x = parameters_.falseNorthing + parameters_.scale * (x - originNorthing_);
    plane.y = parameters_.falseEasting + parameters_.scale * y;
}

void TransverseMercatorMap::ForwardGeocentric(const GeocentricPoint& geocentric,
                                              PlanePoint& plane) const {
    GeocentricAngles angles;
    if (!AnglesOf(geocentric, ellipsoid_, angles)) {
        GeodeticPoint geodetic;
        GeocentricToGeodeticExact(geocentric, geodetic, ellipsoid_);
        return Forward(geodetic, plane);
    }
    plane.H = angles.latitude.H;
    double x = 0, y = 0;
    ForwardFromMeridian(projection_, angles, {sinMeridian_, cosMeridian_}, x, y);
    plane.x = parameters_.falseNorthing + parameters_.scale * (x - originNorthing_);
    plane.y = parameters_.falseEasting + parameters_.scale * y;
}

void TransverseMercatorMap::Reverse(const PlanePoint& plane, GeodeticPoint& geodetic) const {
    geodetic.H = plane.H;
    const double x = (plane.x - parameters_.falseNorthing) * inverseScale_ + originNorthing_;
    const double y = (plane.y - parameters_.falseEasting) * inverseScale_;
    if (!std::isfinite(x) || !std::isfinite(y)) {
        geodetic.B = geodetic.L = kNaN;
        return;
    }
    double longitude = 0;
    projection_.Reverse(x, y, geodetic.B, longitude);
    geodetic.L = ReduceLongitude(longitude + parameters_.centralMeridian);
}

void GeodeticToZonePlane(const GeodeticPoint& geodetic, PlanePoint& plane, int& zone,
                         const TransverseMercator& projection, const ZoneScheme& scheme) {
    plane.H = geodetic.H;
    double longitude = 0;
    zone = ChooseZone(scheme, geodetic.B, geodetic.L, zone, longitude);
    if (zone == 0) {
        plane.x = plane.y = kNaN;
        return;
    }
    const double latitude = geodetic.B > 180 ? geodetic.B - 360 : geodetic.B;
    double x = 0, y = 0;
    projection.Forward(latitude, longitude - CentralMeridian(scheme, zone), x, y);
    PlaceInZone(scheme, zone, x, y, plane);
}

void GeocentricToZonePlane(const GeocentricPoint& geocentric, PlanePoint& plane, int& zone,
                           const Ellipsoid& ellipsoid, const TransverseMercator& projection,
                           const ZoneScheme& scheme) {
    GeocentricAngles angles;
    if (!AnglesOf(geocentric, ellipsoid, angles)) {
        GeodeticPoint geodetic;
        GeocentricToGeodeticExact(geocentric, geodetic, ellipsoid);
        return GeodeticToZonePlane(geodetic, plane, zone, projection, scheme);
    }
    plane.H = angles.latitude.H;
    const double rho = DegreesPerRadian();
    const double longitude = std::atan2(geocentric.Y, geocentric.X) * rho;
    // The latitude as an angle only where the scheme's zones depend on it.
    const bool byLatitude = scheme.utmExceptions || scheme.southernFalseNorthing != 0;
    const double latitude =
        byLatitude ? std::atan2(angles.latitude.sinB, angles.latitude.cosB) * rho : 0;
    double longitudeInZone = 0;  // λ − λ₀ comes from X and Y instead
    zone = ChooseZone(scheme, latitude, longitude == -180 ? 180 : longitude, zone, longitudeInZone);
    double x = 0, y = 0;
    ForwardFromMeridian(projection, angles, MeridianTrig(CentralMeridian(scheme, zone)), x, y);
    PlaceInZone(scheme, zone, x, y, plane);
}

void ZonePlaneToGeodetic(const PlanePoint& plane, GeodeticPoint& geodetic, int zone,
                         const TransverseMercator& projection, const ZoneScheme& scheme) {
    geodetic.H = plane.H;
    const auto used = ZoneOfEasting(scheme, plane.y, zone);
    if (!used) {
        geodetic.B = geodetic.L = kNaN;
        return;
    }
    const double x = (plane.x - ZoneFalseNorthing(scheme, *used)) / scheme.scale;
    const double y = (plane.y - CentralEasting(scheme, *used)) / scheme.scale;
    double longitude = 0;
    projection.Reverse(x, y, geodetic.B, longitude);
    geodetic.L = ReduceLongitude(longitude + CentralMeridian(scheme, *used));
}

}  // namespace engine
