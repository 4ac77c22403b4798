// Six-degree zones of plane coordinates: zone n spans the longitudes 6(n − 1)° to 6n°
// around its axial meridian 6n − 3°, and its eastings carry n in their millions and a
// false easting of 500 000 m at the axial meridian.
#pragma once

#include <cstdint>
#include <optional>

namespace engine {

// The zone a projection uses for a longitude in degrees, taken modulo 360° (−15° is 345°,
// zone 58; 360° is zone 1): requested 0 gives the zone that contains it; a requested
// neighbouring zone, or zone 60 for a point of zone 1 (and 1 for a point of zone 60), is
// honoured; any other request is ignored. longitudeInZone is the longitude continued to
// that zone's side (357° in zone 1 is −3°). A longitude that is not finite has no zone: 0.
int ChooseZone(double longitude, int requested, double& longitudeInZone);

// The zone of an easting: a requested zone other than 0, or else the millions of the
// easting; none when those fit no int.
std::optional<std::int64_t> ZoneOfEasting(double easting, int requested);

// The axial meridian of zone n in degrees, and its easting in metres: (10n + 5)·100 000.
inline double AxialLongitude(std::int64_t zone) {
    return static_cast<double>(6 * zone - 3);
}
inline double AxialEasting(std::int64_t zone) {
    return static_cast<double>((10 * zone + 5) * 100000);
}

}  // namespace engine
