#include "systems/spatial_reference.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "engine/angles.h"
#include "engine/helmert.h"
#include "systems/proj_text.h"

namespace systems {

namespace {

// Consecutive zones of a family whose CRSs have consecutive codes in EPSG's dataset, as PROJ
// 9.1.1 lists them (`projinfo --list-crs`, deprecated codes left out): zone n of a row is
// firstCode + n − firstZone. Zones in no row have no code; a PROJ string stands for them.
struct ZoneCodes {
    std::string_view datum;
    Zones zones;
    bool south;  // UTM's southern zones
    int firstZone, lastZone, firstCode;
};

constexpr ZoneCodes kZoneCodes[] = {
    // "Pulkovo 1942 / Gauss-Kruger zone n" (zones 2 and 3 deprecated: 28402, 28403).
    {"sk42", Zones::GaussKruger6, false, 4, 32, 28404},
    // "Pulkovo 1995 / Gauss-Kruger zone n", "GSK-2011 / Gauss-Kruger zone n".
    {"sk95", Zones::GaussKruger6, false, 4, 32, 20004},
    {"gsk2011", Zones::GaussKruger6, false, 4, 32, 20904},
    // "Pulkovo 1942 / 3-degree Gauss-Kruger zone n"; 2550 is another CRS, 2577 deprecated.
    {"sk42", Zones::GaussKruger3, false, 7, 33, 2523},
    {"sk42", Zones::GaussKruger3, false, 34, 59, 2551},
    {"sk42", Zones::GaussKruger3, false, 60, 60, 3389},
    {"sk42", Zones::GaussKruger3, false, 61, 64, 2578},
    // "Pulkovo 1995 / 3-degree Gauss-Kruger zone n"; 2694 deprecated.
    {"sk95", Zones::GaussKruger3, false, 7, 59, 2641},
    {"sk95", Zones::GaussKruger3, false, 60, 60, 3390},
    {"sk95", Zones::GaussKruger3, false, 61, 64, 2695},
    // "GSK-2011 / GSK 3GK zone n".
    {"gsk2011", Zones::GaussKruger3, false, 7, 64, 21207},
    // "WGS 84 / UTM zone nN", "WGS 84 / UTM zone nS".
    {"wgs84", Zones::Utm, false, 1, 60, 32601},
    {"wgs84", Zones::Utm, true, 1, 60, 32701},
};

int ZoneCode(const System& system, int zone) {
    const bool south = zone < 0;
    const int n = south ? -zone : zone;
    for (const ZoneCodes& row : kZoneCodes) {
        if (row.datum == system.datum.id && row.zones == system.zones && row.south == south &&
            n >= row.firstZone && n <= row.lastZone) {
            return row.firstCode + n - row.firstZone;
        }
    }
    return 0;
}

// The datum's +towgs84: its sets to PZ-90.11, then WGS-84's undone, composed into one affine
// map (engine::ComposeShifts) and read back as a Helmert transformation in PROJ's
// position-vector convention. The map's rotation part is (1 + m)(I + W), W skew-symmetric
// with the coordinate-frame angles of helmert.h; its off-diagonal halves give the angles to
// within their squares (below 10⁻¹¹, 0.1 mm at the Earth's surface). Metadata: GIS programs
// that read it as their transformation come within that of GOST 32453-2017's route.
std::string ToWgs84(const Datum& datum) {
    const Datum* wgs84 = nullptr;
    for (const Datum& each : BuiltInDatums())
        if (each.id == "wgs84") wgs84 = &each;
    std::vector<engine::DatumShift> into, outOf;
    for (const DatumLink& link : datum.toPz9011)
        into.push_back(link.shift);
    for (const DatumLink& link : wgs84->toPz9011)
        outOf.push_back(link.shift);
    const engine::AffineMap map = engine::ComposeShifts(into, outOf);
    const double scale = (map.a[0][0] + map.a[1][1] + map.a[2][2]) / 3;
    // Arc-seconds per radian: 648000/π.
    const double seconds = 648000 / engine::Pi() / scale;
    const double wX = (map.a[1][2] - map.a[2][1]) / 2 * seconds;
    const double wY = (map.a[2][0] - map.a[0][2]) / 2 * seconds;
    const double wZ = (map.a[0][1] - map.a[1][0]) / 2 * seconds;
    // To 0.1 mm, 10⁻⁶″ and 10⁻⁶ ppm: the string stays readable and loses nothing the sets'
    // own digits hold.
    const auto fixed = [](double value, int decimals) {
        char text[48];
        std::snprintf(text, sizeof text, "%.*f", decimals, value);
        std::string digits = text;
        digits.erase(digits.find_last_not_of('0') + 1);
        if (digits.back() == '.') digits.pop_back();
        return digits == "-0" ? std::string("0") : digits;
    };
    return "+towgs84=" + fixed(map.t[0], 4) + "," + fixed(map.t[1], 4) + "," + fixed(map.t[2], 4) +
           "," + fixed(-wX, 6) + "," + fixed(-wY, 6) + "," + fixed(-wZ, 6) + "," +
           fixed((scale - 1) * 1e6, 6);
}

}  // namespace

std::string CrsDefinition::Text() const {
    std::string text = epsg != 0            ? "EPSG:" + std::to_string(epsg)
                       : !localName.empty() ? "local CRS " + localName
                                            : proj;
    if (verticalEpsg != 0) return text + "+" + std::to_string(verticalEpsg);
    if (!verticalName.empty()) text += " + heights of " + verticalName;
    return text;
}

CrsDefinition SpatialReference(const System& system, int zone) {
    CrsDefinition crs;
    if (system.heights) {
        crs.verticalEpsg = system.heights->model.verticalEpsg;
        if (crs.verticalEpsg == 0) crs.verticalName = system.heights->model.name.english;
    }
    const bool zoned =
        system.form == controller::CoordinateForm::Plane && system.zones != Zones::None;
    crs.epsg = zoned ? ZoneCode(system, zone) : system.epsg;
    if (crs.epsg != 0) return crs;
    const std::string datum =
        ProjEllipsoid(system.datum.ellipsoid) + " " + ToWgs84(system.datum) + " +no_defs";
    switch (system.form) {
        case controller::CoordinateForm::Geocentric:
            crs.proj = "+proj=geocent " + datum + " +units=m";
            break;
        case controller::CoordinateForm::Geodetic:
            crs.proj = "+proj=longlat " + datum;
            break;
        case controller::CoordinateForm::Plane:
            if (system.keys) {
                crs.localName = system.names.english;
                break;
            }
            crs.proj =
                ProjTmerc(zoned ? engine::ZoneParameters(system.scheme, zone) : system.projection,
                          system.datum.ellipsoid) +
                " " + ToWgs84(system.datum) + " +units=m +no_defs";
            break;
    }
    return crs;
}

}  // namespace systems
