// Every engine operation on arbitrary doubles (NaN, infinities and subnormals included):
// each returns, angles come out in one turn, and finite input inside an operation's
// domain gives finite output.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine_operations.h"
#include "properties.h"

using testing_support::Apply;
using testing_support::Check;
using testing_support::InTurn;
using testing_support::Values;

namespace {

bool Finite(const Values& out) {
    return std::isfinite(out[0]) && std::isfinite(out[1]) && std::isfinite(out[2]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double v[4] = {0, 0, 0, 0};
    std::memcpy(v, data, size < sizeof v ? size : sizeof v);
    const std::uint8_t choice = size > sizeof v ? data[sizeof v] : 0;
    const int zone = size > sizeof v + 1 ? static_cast<std::int8_t>(data[sizeof v + 1]) : 0;
    const char* const ellipsoids[] = {"wgs84", "pz90", "krass"};
    const char* const shifts[] = {"wgs84>pz90", "pz90>wgs84", "pz90>sk42", "sk42>pz90"};
    const std::string ellipsoid = ellipsoids[choice % 3], shift = shifts[(choice / 3) % 4];
    const char* const official[] = {"wgs84-defined", "pz9011", "gsk2011", "krass"};
    const char* const officialShifts[] = {"sk42>pz9011", "sk95>pz9011", "gsk2011>pz9011",
                                          "wgs84>pz9011", "pz90>pz9011"};
    const Values in = {v[0], v[1], v[2]};
    const auto within = [&in](double bound) {
        return std::fabs(in[0]) < bound && std::fabs(in[1]) < bound && std::fabs(in[2]) < bound;
    };
    engine::SetMathErrorHandler([](const char*, const char*) {});

    for (double x : v) {
        const double turn = Apply("normalize", "", {x})[0];
        Check(std::isnan(turn) || (turn >= 0 && turn <= 2 * engine::Pi()));
        if (!std::isfinite(x)) continue;
        Check(!std::isnan(turn) && std::isfinite(Apply("packed_to_degrees", "", {x})[0]) &&
              std::isfinite(Apply("degrees_to_packed", "", {x})[0]));
    }
    const double angle = Apply("vector_angle", "", in)[0];
    if (std::isfinite(v[0]) && std::isfinite(v[1])) Check(angle >= 0 && angle <= 2 * engine::Pi());

    // Geodetic to geocentric: finite for any angle and any height of a planet's size.
    Values out = Apply("to_geocentric", ellipsoid, in);
    if (std::fabs(v[0]) < 1e9 && std::fabs(v[1]) < 1e9 && std::fabs(v[2]) < 1e12)
        Check(Finite(out));
    // Geocentric to geodetic: finite for every finite point not absurdly far away.
    out = Apply("to_geodetic", ellipsoid, in);
    Check(InTurn(out[0]) && InTurn(out[1]) && (!within(1e150) || Finite(out)));
    Check(!within(1e300) || Finite(Apply("helmert", shift, in)));
    // Molodensky: finite away from vanishing radii, the poles included.
    out = Apply("molodensky", ellipsoid + " " + ellipsoids[(choice / 12) % 3] + " " + shift, in);
    Check(InTurn(out[0]) && InTurn(out[1]));
    if (std::fabs(v[0]) < 1e6 && std::fabs(v[1]) < 1e6 && v[2] > -6.3e6 && v[2] < 1e9) {
        Check(Finite(out));
    }

    // GOST 32453-2017's exact steps: latitudes and longitudes in range, finite for finite
    // points; the exact transverse Mercator finite within 80° of its meridian and back.
    out = Apply("to_geodetic_exact", official[choice % 4], in);
    Check(!(std::fabs(out[0]) > 90) && !(std::fabs(out[1]) > 180) &&
          (!within(1e150) || Finite(out)));
    Check(!within(1e300) || Finite(Apply("helmert_reverse", officialShifts[choice % 5], in)));
    out = Apply("tm", official[choice % 4], in);
    if (std::fabs(v[0]) <= 90 && std::fabs(v[1]) < 80) Check(std::isfinite(out[0] + out[1]));
    out = Apply("tm_reverse", official[choice % 4], in);
    Check(!(std::fabs(out[0]) > 90));
    if (std::fabs(v[0]) < 2e7 && std::fabs(v[1]) < 5e6) Check(std::isfinite(out[0] + out[1]));

    // Gauss–Krüger, both ways; any finite longitude has a zone, modulo 360°.
    out = Apply("to_plane", std::to_string(zone), in);
    Check(out[2] == v[2] || (std::isnan(out[2]) && std::isnan(v[2])));
    if (std::fabs(v[0]) < 1e4 && std::isfinite(v[1])) {
        Check(std::isfinite(out[0]) && std::isfinite(out[1]) && out[3] >= 1 && out[3] <= 61);
    }
    out = Apply("from_plane", std::to_string(zone), in);
    Check(InTurn(out[0]) && InTurn(out[1]));
    // Up to 81° of latitude and 1000 km from the axial meridian the series stay finite.
    if (std::fabs(v[0]) < 9e6 && zone != 0 && std::fabs(v[1] - (10.0 * zone + 5) * 100000) < 1e6) {
        Check(std::isfinite(out[0]) && std::isfinite(out[1]));
    }
    return 0;
}
