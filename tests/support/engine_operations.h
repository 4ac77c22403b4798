// The engine's operations by name, as the case tables and the PROJ oracle call them:
// Apply("to_plane", "7", {55.75, 37.6, 100}) runs GeodeticToPlane with zone 7 requested.
#pragma once

#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "case_file.h"
#include "engine/engine.h"

namespace testing_support {

using Values = std::vector<double>;

// Ellipsoids: wgs84 (1/f = 298.257), pz90, krass. Sets: wgs84>pz90, pz90>wgs84, pz90>sk42,
// sk42>pz90, none, or the seven numbers dX dY dZ wX wY wZ m.
inline engine::Ellipsoid EllipsoidNamed(const std::string& name) {
    return name == "wgs84"  ? engine::EllipsoidWgs84
           : name == "pz90" ? engine::EllipsoidPz90
                            : engine::EllipsoidKrasovsky;
}
inline engine::DatumShift ShiftNamed(const std::string& name) {
    const std::map<std::string, engine::DatumShift> named = {
        {"wgs84>pz90", engine::ShiftWgs84ToPz90},
        {"pz90>wgs84", engine::ShiftPz90ToWgs84},
        {"pz90>sk42", engine::ShiftPz90ToSk42},
        {"sk42>pz90", engine::ShiftSk42ToPz90},
        {"none", engine::DatumShift{}}};
    if (named.count(name)) return named.at(name);
    const auto v = Numbers(name);
    return {v.at(0), v.at(1), v.at(2), v.at(3), v.at(4), v.at(5), v.at(6)};
}

// The operation's outputs for its parameters (blank-separated words) and inputs; an
// unknown operation gives no outputs.
inline Values Apply(const std::string& op, const std::string& parameters, const Values& in) {
    using namespace engine;
    std::istringstream words(parameters);
    std::string p[3];
    words >> p[0] >> p[1] >> p[2];
    GeodeticPoint g;
    GeocentricPoint c;
    PlanePoint plane;
    int zone = std::atoi(p[0].c_str());
    if (op == "packed_to_degrees") return {PackedToDegrees(in.at(0))};
    if (op == "degrees_to_packed") return {DegreesToPacked(in.at(0))};
    if (op == "display_round_trip")  // typed in display form, read and written back
        return {DegreesToPacked(PackedToDegrees(in.at(0) * 0.0001)) * 10000};
    if (op == "normalize") return {NormalizeAngle(in.at(0))};
    if (op == "vector_angle") return {VectorAngle(in.at(0), in.at(1))};
    if (op == "to_geocentric") {
        GeodeticToGeocentric({in.at(0), in.at(1), in.at(2)}, c, EllipsoidNamed(p[0]));
        return {c.X, c.Y, c.Z};
    }
    if (op == "helmert") {
        ShiftGeocentric({in.at(0), in.at(1), in.at(2)}, c, ShiftNamed(parameters));
        return {c.X, c.Y, c.Z};
    }
    if (op == "to_plane") {
        GeodeticToPlane({in.at(0), in.at(1), in.at(2)}, plane, zone);
        return {plane.x, plane.y, plane.H, double(zone)};
    }
    if (op == "to_geodetic") {
        GeocentricToGeodetic({in.at(0), in.at(1), in.at(2)}, g, EllipsoidNamed(p[0]),
                             LatitudeTolerance);
    } else if (op == "molodensky") {
        ShiftGeodetic({in.at(0), in.at(1), in.at(2)}, EllipsoidNamed(p[0]), g, EllipsoidNamed(p[1]),
                      ShiftNamed(p[2]));
    } else if (op == "from_plane") {
        PlaneToGeodetic({in.at(0), in.at(1), in.at(2)}, g, zone);
    } else {
        return {};
    }
    return {g.B, g.L, g.H};
}

}  // namespace testing_support
