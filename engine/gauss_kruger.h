// The Gauss–Krüger projection of SK-42 (Krasovsky ellipsoid) in six-degree zones.
// Zone n spans the longitudes 6(n − 1)° to 6n° around the axial meridian 6n − 3°; the
// easting is n·1 000 000 + 500 000 + the distance east of the axial meridian.
#pragma once

#include "engine/records.h"

namespace engine {

// Forward projection. zone in: 0 lets the projection choose the zone that contains L;
// a neighbouring zone, or zone 60 for a point of zone 1 (and 1 for a point of zone 60)
// is honoured; any other request is ignored. zone out: the zone used. Latitudes above
// 180° are taken as southern (330° is −30°); a longitude outside [0°, 360°) is taken
// modulo 360 (−15° is 345°, zone 58). A longitude that is not finite gives x = y = NaN
// and zone 0. H passes through.
void GeodeticToPlane(const GeodeticPoint& geodetic, PlanePoint& plane, int& zone);

// Inverse projection. zone 0 takes the zone from the millions of the easting; any other
// zone is used as given, the whole easting then measured from its axial meridian.
// B and L come out in [0°, 360°]; H passes through.
void PlaneToGeodetic(const PlanePoint& plane, GeodeticPoint& geodetic, const int& zone);

}  // namespace engine
