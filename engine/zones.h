// Zones of plane coordinates as data: a scheme says how many zones share the circle, how
// wide they are, where zone 1 lies and what its eastings and northings carry. The Russian
// six-degree zones: zone n spans the longitudes 6(n − 1)° to 6n° around its axial meridian
// 6n − 3°, and its eastings carry n in their millions and a false easting of 500 000 m at
// the axial meridian.
//
// UTM zones are written with their hemisphere ("37N", "37S"); here a southern zone is the
// negative of its number (−37 is 37S), and only schemes with a southern false northing
// have negative zones.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/records.h"

namespace engine {

struct ZoneScheme {
    int zones = 60;                    // zones around the circle: zones·width = 360°
    double width = 6;                  // degrees of longitude per zone
    double firstMeridian = 3;          // central meridian of zone 1, degrees
    double scale = 1;                  // k₀ on the central meridian
    double falseEasting = 500000;      // easting of the central meridian, metres
    bool zoneInEasting = true;         // the easting carries the zone number in its millions
    double southernFalseNorthing = 0;  // northing of the equator in a southern zone (UTM)
    bool utmExceptions = false;        // Norway's 32V and Svalbard's 31X–37X
};

// Gauss–Krüger six-degree zones: 60 zones, central meridians 6n − 3°, n·10⁶ + 500 000 m.
inline constexpr ZoneScheme GaussKruger6{60, 6, 3, 1, 500000, true, 0, false};
// Three-degree zones of Pulkovo 1942 and 1995 (EPSG "Pulkovo 1942 / 3-degree Gauss-Kruger
// zone n"): 120 zones, central meridians 3n°, n·10⁶ + 500 000 m.
inline constexpr ZoneScheme GaussKruger3Pulkovo{120, 3, 3, 1, 500000, true, 0, false};
// Three-degree zones of GSK-2011 (EPSG "GSK-2011 / GSK 3GK zone n"): as Pulkovo's, with
// n·10⁶ + 250 000 m.
inline constexpr ZoneScheme GaussKruger3Gsk2011{120, 3, 3, 1, 250000, true, 0, false};
// Universal transverse Mercator: 60 zones, central meridians 6n − 183°, scale 0.9996,
// 500 000 m without the zone, 10 000 000 m false northing in the south.
inline constexpr ZoneScheme Utm{60, 6, -177, 0.9996, 500000, false, 10000000, true};

// The zone a projection uses for a point (degrees; the longitude taken modulo 360°, −15°
// is 345°, zone 58 of six degrees; 360° is zone 1): requested 0 gives the zone that
// contains it; a requested neighbouring zone, wrapping at the ends (zone 60 for a point of
// zone 1 and 1 for a point of zone 60 in six degrees), is honoured; any other request is
// ignored, and the caller compares the zone used with the one it asked for. In a scheme
// with a southern false northing the hemisphere is the latitude's (0° is northern) and the
// number is compared without it; UTM's exceptions apply between 56° and 64° (32V) and 72°
// and 84° N (31X, 33X, 35X, 37X). longitudeInZone is the longitude continued to that
// zone's side (357° in zone 1 is −3°). A longitude that is not finite has no zone: 0.
int ChooseZone(const ZoneScheme& scheme, double latitude, double longitude, int requested,
               double& longitudeInZone);
// Six-degree zones, where the latitude plays no part.
int ChooseZone(double longitude, int requested, double& longitudeInZone);

// The zone of an easting: a requested zone other than 0, or else the millions of the
// easting where the scheme puts the zone there; none when those fit no int or the scheme
// does not (UTM needs its zone given).
std::optional<std::int64_t> ZoneOfEasting(const ZoneScheme& scheme, double easting, int requested);
std::optional<std::int64_t> ZoneOfEasting(double easting, int requested);

// The central meridian of a zone in degrees, not reduced (zone 120 of three degrees is
// 360°, zone 61 of six 363°; in a scheme without hemispheres zone −1 of six is −9°), the
// easting there and the northing of the equator in metres.
inline double CentralMeridian(const ZoneScheme& scheme, std::int64_t zone) {
    const std::int64_t n = zone < 0 && scheme.southernFalseNorthing != 0 ? -zone : zone;
    return scheme.firstMeridian + static_cast<double>(n - 1) * scheme.width;
}
inline double CentralEasting(const ZoneScheme& scheme, std::int64_t zone) {
    return scheme.zoneInEasting ? static_cast<double>(zone) * 1e6 + scheme.falseEasting
                                : scheme.falseEasting;
}
inline double ZoneFalseNorthing(const ZoneScheme& scheme, std::int64_t zone) {
    return zone < 0 ? scheme.southernFalseNorthing : 0;  // 0 where zones are never southern
}

// The axial meridian of six-degree zone n in degrees, and its easting in metres:
// (10n + 5)·100 000.
inline double AxialLongitude(std::int64_t zone) {
    return CentralMeridian(GaussKruger6, zone);
}
inline double AxialEasting(std::int64_t zone) {
    return CentralEasting(GaussKruger6, zone);
}

// A zone's projection as parameters of the transverse Mercator: central meridian reduced
// to (−180°, 180°], origin at the equator.
TransverseMercatorParameters ZoneParameters(const ZoneScheme& scheme, int zone);

}  // namespace engine
