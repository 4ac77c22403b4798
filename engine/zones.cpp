#include "engine/zones.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace engine {

namespace {

// UTM's exceptions to its zones, as GeographicLib's UTMUPS::StandardZone gives them, on
// whole degrees: in band V (56°–64° N) zone 31 east of 3° is 32; in band X (72°–84° N)
// between 0° and 42° E the zones are 31, 33, 35 and 37, each 9° or 12° wide. For a
// latitude in [56°, 84°) and a longitude in [0°, 42°), where whole degrees are truncations.
std::int64_t UtmException(std::int64_t zone, double latitude, double longitude) {
    const auto wholeLatitude = static_cast<int>(latitude);
    const auto wholeLongitude = static_cast<int>(longitude);
    if (wholeLatitude < 64) return zone == 31 && wholeLongitude >= 3 ? 32 : zone;
    if (wholeLatitude >= 72) return 2 * ((wholeLongitude + 183) / 12) + 1;
    return zone;
}

}  // namespace

int ChooseZone(const ZoneScheme& scheme, double latitude, double longitude, int requested,
               double& longitudeInZone) {
    // A longitude outside [0°, 360°) counts modulo 360 before the zone is chosen, so a
    // western longitude finds its zone and 360° is zone 1, not 61.
    if (!(longitude >= 0 && longitude < 360)) {
        longitude = std::fmod(longitude, 360.0);
        if (longitude < 0) longitude += 360;
        if (longitude >= 360) longitude = 0;  // a tiny negative longitude rounds up to 360
    }
    longitudeInZone = longitude;
    if (std::isnan(longitude)) return 0;

    // The zone that contains L: whole widths from the western edge of zone 1 (a quotient
    // not below 0, so the conversion is its floor), plus one; a longitude a hair west of
    // that edge rounds up to 360° from it: the last zone.
    double fromEdge = longitude - (scheme.firstMeridian - scheme.width / 2);
    if (fromEdge < 0)
        fromEdge += 360;
    else if (fromEdge >= 360)
        fromEdge -= 360;
    const auto widths = static_cast<std::int64_t>(fromEdge / scheme.width);
    std::int64_t computed = std::min<std::int64_t>(widths + 1, scheme.zones);
    if (latitude > 180) latitude -= 360;  // 330° is −30°
    if (scheme.utmExceptions && longitude < 42 && latitude >= 56 && latitude < 84)
        computed = UtmException(computed, latitude, longitude);

    // A neighbouring zone, or the last for a point of the first and the first for a point
    // of the last; in a scheme with hemispheres, by number.
    const bool hemispheres = scheme.southernFalseNorthing != 0;
    const std::int64_t wanted = hemispheres && requested < 0 ? -std::int64_t{requested} : requested;
    std::int64_t used = computed;
    if (wanted != 0 &&
        (wanted - computed == 1 || wanted - computed == -1 ||
         (wanted == scheme.zones && computed == 1) || (wanted == 1 && computed == scheme.zones))) {
        used = wanted;
    }
    // The longitude on the central meridian's side of the circle.
    const double fromMeridian = longitudeInZone - CentralMeridian(scheme, used);
    if (fromMeridian > 180) longitudeInZone -= 360;
    if (fromMeridian < -180) longitudeInZone += 360;
    if (hemispheres && latitude < 0) used = -used;
    return static_cast<int>(used);
}

int ChooseZone(double longitude, int requested, double& longitudeInZone) {
    return ChooseZone(GaussKruger6, 0, longitude, requested, longitudeInZone);
}

std::optional<std::int64_t> ZoneOfEasting(const ZoneScheme& scheme, double easting, int requested) {
    if (requested != 0) return requested;
    if (!scheme.zoneInEasting) return std::nullopt;
    const double prefix = std::trunc(easting * 1e-6);
    if (!(std::fabs(prefix) <= INT_MAX - 1)) return std::nullopt;
    return static_cast<std::int64_t>(prefix);
}

std::optional<std::int64_t> ZoneOfEasting(double easting, int requested) {
    return ZoneOfEasting(GaussKruger6, easting, requested);
}

TransverseMercatorParameters ZoneParameters(const ZoneScheme& scheme, int zone) {
    TransverseMercatorParameters parameters;
    parameters.centralMeridian = std::remainder(CentralMeridian(scheme, zone), 360.0);
    if (parameters.centralMeridian == -180) parameters.centralMeridian = 180;
    parameters.scale = scheme.scale;
    parameters.falseEasting = CentralEasting(scheme, zone);
    parameters.falseNorthing = ZoneFalseNorthing(scheme, zone);
    return parameters;
}

}  // namespace engine
