// Every engine operation on arbitrary doubles (NaN, infinities and subnormals included):
// each returns, and finite input inside an operation's domain gives finite output.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "properties.h"

using namespace engine;
using testing_support::Check;
using testing_support::InTurn;

namespace {

bool Finite(double a, double b, double c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

const Ellipsoid kEllipsoids[] = {EllipsoidWgs84, EllipsoidPz90, EllipsoidKrasovsky};
const DatumShift kShifts[] = {ShiftWgs84ToPz90, ShiftPz90ToWgs84, ShiftPz90ToSk42, ShiftSk42ToPz90};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double v[4] = {0, 0, 0, 0};
    std::memcpy(v, data, size < sizeof v ? size : sizeof v);
    const std::uint8_t choice = size > sizeof v ? data[sizeof v] : 0;
    const Ellipsoid& ellipsoid = kEllipsoids[choice % 3];
    const DatumShift& shift = kShifts[(choice / 3) % 4];
    const int zone = size > sizeof v + 1 ? static_cast<std::int8_t>(data[sizeof v + 1]) : 0;
    MathErrorHandler quiet = [](const char*, const char*) {};
    SetMathErrorHandler(quiet);

    for (double x : v) {
        const double degrees = PackedToDegrees(x);
        const double packed = DegreesToPacked(x);
        const double turn = NormalizeAngle(x);
        if (std::isfinite(x)) Check(std::isfinite(degrees) && std::isfinite(packed));
        Check(std::isnan(turn) || (turn >= 0 && turn <= 2 * Pi()));
        if (std::isfinite(x)) Check(!std::isnan(turn));
    }
    const double angle = VectorAngle(v[0], v[1]);
    if (std::isfinite(v[0]) && std::isfinite(v[1])) Check(angle >= 0 && angle <= 2 * Pi());

    // Geodetic to geocentric: finite for any angle and any height of a planet's size.
    GeocentricPoint c;
    GeodeticToGeocentric({v[0], v[1], v[2]}, c, ellipsoid);
    if (std::fabs(v[0]) < 1e9 && std::fabs(v[1]) < 1e9 && std::fabs(v[2]) < 1e12) {
        Check(Finite(c.X, c.Y, c.Z));
    }

    // Geocentric to geodetic: finite for every finite point not absurdly far away.
    GeodeticPoint g;
    GeocentricToGeodetic({v[0], v[1], v[2]}, g, ellipsoid, LatitudeTolerance);
    Check(InTurn(g.B) && InTurn(g.L));
    if (std::fabs(v[0]) < 1e150 && std::fabs(v[1]) < 1e150 && std::fabs(v[2]) < 1e150) {
        Check(Finite(g.B, g.L, g.H));
    }

    GeocentricPoint shifted;
    ShiftGeocentric({v[0], v[1], v[2]}, shifted, shift);
    if (std::fabs(v[0]) < 1e300 && std::fabs(v[1]) < 1e300 && std::fabs(v[2]) < 1e300) {
        Check(Finite(shifted.X, shifted.Y, shifted.Z));
    }

    // Molodensky: finite away from vanishing radii, the poles included.
    GeodeticPoint moved;
    ShiftGeodetic({v[0], v[1], v[2]}, ellipsoid, moved, kEllipsoids[(choice / 12) % 3], shift);
    Check(InTurn(moved.B) && InTurn(moved.L));
    if (std::fabs(v[0]) < 1e6 && std::fabs(v[1]) < 1e6 && v[2] > -6.3e6 && v[2] < 1e9) {
        Check(Finite(moved.B, moved.L, moved.H));
    }

    // Gauss–Krüger, both ways.
    PlanePoint p;
    int used = zone;
    GeodeticToPlane({v[0], v[1], v[2]}, p, used);
    Check(p.H == v[2] || (std::isnan(p.H) && std::isnan(v[2])));
    if (std::fabs(v[0]) < 1e4 && std::fabs(v[1]) < 1e6) {
        Check(std::isfinite(p.x) && std::isfinite(p.y));
        Check(used >= 1 && used <= 61);  // any longitude has a zone, modulo 360°
    }
    GeodeticPoint back;
    PlaneToGeodetic({v[0], v[1], v[2]}, back, zone);
    Check(InTurn(back.B) && InTurn(back.L));
    // Up to 81° of latitude and 1000 km from the axial meridian the series stay finite.
    if (std::fabs(v[0]) < 9e6 && zone != 0 && std::fabs(v[1] - (10.0 * zone + 5) * 100000) < 1e6) {
        Check(std::isfinite(back.B) && std::isfinite(back.L));
    }
    return 0;
}
