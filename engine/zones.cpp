#include "engine/zones.h"

#include <climits>
#include <cmath>

namespace engine {

int ChooseZone(double longitude, int requested, double& longitudeInZone) {
    // A longitude outside [0°, 360°) counts modulo 360 before the zone is chosen, so a
    // western longitude finds its zone and 360° is zone 1, not 61.
    longitude = std::fmod(longitude, 360.0);
    if (longitude < 0) longitude += 360;
    if (longitude >= 360) longitude = 0;  // a tiny negative longitude rounds up to 360
    longitudeInZone = longitude;
    if (std::isnan(longitude)) return 0;

    // The zone that contains L: whole degrees, then whole sixths, plus one.
    const auto computed = static_cast<std::int64_t>(std::trunc(std::trunc(longitude) / 6) + 1);
    const std::int64_t wanted = requested;
    std::int64_t used = computed;
    if (wanted != 0) {
        if (wanted - computed == 1 || wanted - computed == -1) used = wanted;
        if (wanted == 60 && computed == 1) {  // zone 60 for a point of zone 1
            used = wanted;
            longitudeInZone += 360;
        }
        if (wanted == 1 && computed == 60) {  // zone 1 for a point of zone 60
            used = wanted;
            longitudeInZone -= 360;
        }
    }
    return static_cast<int>(used);
}

std::optional<std::int64_t> ZoneOfEasting(double easting, int requested) {
    if (requested != 0) return requested;
    const double prefix = std::trunc(easting * 1e-6);
    if (!(std::fabs(prefix) <= INT_MAX - 1)) return std::nullopt;
    return static_cast<std::int64_t>(prefix);
}

}  // namespace engine
