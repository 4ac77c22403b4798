#include "batch/official_route.h"

#include <cmath>

#include "engine/geocentric.h"

namespace batch {

namespace {

using enum controller::CoordinateForm;

// An angle in degrees into [0°, 360°), the window's convention (30° S is 330°).
double InTurn(double degrees) {
    const double turned = std::fmod(degrees, 360.0);
    return turned < 0 ? (turned + 360 < 360 ? turned + 360 : 0) : turned;
}

}  // namespace

OfficialRoute::OfficialRoute(SystemId from, SystemId to)
    : from_(Info(from)),
      to_(Info(to)),
      fromEllipsoid_(EllipsoidOf(from_.datum)),
      toEllipsoid_(EllipsoidOf(to_.datum)),
      datumStep_(engine::ComposeShifts(ShiftToPz9011(from_.datum).value_or(engine::DatumShift{}),
                                       ShiftToPz9011(to_.datum).value_or(engine::DatumShift{}))),
      fromProjection_(fromEllipsoid_),
      toProjection_(toEllipsoid_) {}

void OfficialRoute::Convert(std::array<double, 3>& values, int& zone) const {
    engine::GeodeticPoint geodetic{values[0], values[1], values[2]};
    engine::GeocentricPoint geocentric{values[0], values[1], values[2]};
    if (from_.form == Plane) {  // to plane coordinates again, the easting names its zone
        engine::ZonePlaneToGeodetic({values[0], values[1], values[2]}, geodetic,
                                    to_.form == Plane ? 0 : zone, fromProjection_);
    }
    if (from_.datum != to_.datum || from_.form == Geocentric || to_.form == Geocentric) {
        if (from_.form != Geocentric) {
            engine::GeodeticToGeocentric(geodetic, geocentric, fromEllipsoid_);
        }
        if (from_.datum != to_.datum) {
            const engine::GeocentricPoint source = geocentric;
            engine::ApplyAffine(source, geocentric, datumStep_);
        }
        if (to_.form == Geocentric) {
            values = {geocentric.X, geocentric.Y, geocentric.Z};
            return;
        }
        if (to_.form == Plane) {
            engine::PlanePoint plane;
            engine::GeocentricToZonePlane(geocentric, plane, zone, toEllipsoid_, toProjection_);
            values = {plane.x, plane.y, plane.H};
            return;
        }
        engine::GeocentricToGeodeticExact(geocentric, geodetic, toEllipsoid_);
    }
    if (to_.form == Plane) {
        engine::PlanePoint plane;
        engine::GeodeticToZonePlane(geodetic, plane, zone, toProjection_);
        values = {plane.x, plane.y, plane.H};
        return;
    }
    values = {InTurn(geodetic.B), InTurn(geodetic.L), geodetic.H};
}

}  // namespace batch
