#include "engine/molodensky.h"

#include <cmath>
#include <limits>

#include "engine/angles.h"

namespace engine {

namespace {

// At B = ±90° cos B is about 6e-17, not 0, and the longitude term would be about 3e11 rad.
constexpr double kPolarCosine = 1e-12;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

}  // namespace

// Molodensky's formulas with seven parameters as GOST R 51794-2001 writes them (rotations in
// ″, m as a ratio, with the means a, e² of the two ellipsoids): the corrections ΔB, ΔL come
// out in ″ and ΔH in metres.
void ShiftGeodetic(const GeodeticPoint& from, const Ellipsoid& fromEllipsoid, GeodeticPoint& to,
                   const Ellipsoid& toEllipsoid, const DatumShift& shift) {
    const double degreesPerRadian = DegreesPerRadian();
    const double rho = degreesPerRadian * 3600;  // arc-seconds per radian

    const double B = from.B / degreesPerRadian;
    const double L = from.L / degreesPerRadian;
    const double H = from.H;

    const double e2From = EccentricitySquared(fromEllipsoid);
    const double e2To = EccentricitySquared(toEllipsoid);
    const double a = (fromEllipsoid.a + toEllipsoid.a) / 2;
    const double e2 = (e2From + e2To) / 2;
    const double da = toEllipsoid.a - fromEllipsoid.a;
    const double de2 = e2To - e2From;

    const double sinB = std::sin(B);
    const double cosB = std::cos(B);
    const double sinL = std::sin(L);
    const double cosL = std::cos(L);
    const double W2 = 1 - e2 * sinB * sinB;
    const double N = a / std::sqrt(W2);
    const double M = a * (1 - e2) / std::pow(W2, 1.5);

    const double dX = shift.dX, dY = shift.dY, dZ = shift.dZ;
    const double wX = shift.wX, wY = shift.wY, wZ = shift.wZ;
    const double m = shift.m;

    // Latitude correction, arc-seconds.
    const double Q = (N / a) * e2 * sinB * cosB * da +
                     (N * N / (a * a) + 1) * N * sinB * cosB * de2 / 2 -
                     (dX * cosL + dY * sinL) * sinB + dZ * cosB;
    const double cos2BTerm = 1 + e2 * std::cos(2 * B);
    const double dB = M + H == 0 ? kNaN
                                 : rho / (M + H) * Q - wX * sinL * cos2BTerm +
                                       wY * cosL * cos2BTerm - rho * m * e2 * sinB * cosB;

    // Longitude correction, arc-seconds.
    double dL = -wZ;
    if (N + H == 0) {
        dL = kNaN;
    } else if (std::fabs(cosB) >= kPolarCosine) {
        dL = rho / ((N + H) * cosB) * (-dX * sinL + dY * cosL) +
             std::tan(B) * (1 - e2) * (wX * cosL + wY * sinL) - wZ;
    }

    // Height correction, metres.
    const double dH = -(a / N) * da + N * sinB * sinB * de2 / 2 + (dX * cosL + dY * sinL) * cosB +
                      dZ * sinB - N * e2 * sinB * cosB * (wX * sinL / rho - wY * cosL / rho) +
                      (a * a / N + H) * m;

    to.B = NormalizeAngle(B + dB / rho) * degreesPerRadian;
    to.L = NormalizeAngle(L + dL / rho) * degreesPerRadian;
    to.H = H + dH;
}

}  // namespace engine
