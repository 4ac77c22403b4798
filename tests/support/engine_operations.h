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

// Ellipsoids: wgs84 (the window's, 1/f = 298.257), wgs84-defined, pz90, pz9011, gsk2011,
// krass. Sets: wgs84>pz90, pz90>wgs84, pz90>sk42, sk42>pz90, the official ones to PZ-90.11
// (sk42>pz9011, sk95>, gsk2011>, wgs84>, pz90>), none, or dX dY dZ wX wY wZ m.
inline engine::Ellipsoid EllipsoidNamed(const std::string& name) {
    const std::map<std::string, engine::Ellipsoid> named = {
        {"wgs84", engine::EllipsoidWgs84},     {"wgs84-defined", engine::EllipsoidWgs84Defined},
        {"pz90", engine::EllipsoidPz90},       {"pz9011", engine::EllipsoidPz9011},
        {"gsk2011", engine::EllipsoidGsk2011}, {"krass", engine::EllipsoidKrasovsky}};
    if (const auto slash = name.find('/'); slash != std::string::npos)  // "a/rf", any other
        return {std::stod(name.substr(0, slash)), std::stod(name.substr(slash + 1))};
    return named.at(name);
}
inline engine::DatumShift ShiftNamed(const std::string& name) {
    const std::map<std::string, engine::DatumShift> named = {
        {"wgs84>pz90", engine::ShiftWgs84ToPz90},
        {"pz90>wgs84", engine::ShiftPz90ToWgs84},
        {"pz90>sk42", engine::ShiftPz90ToSk42},
        {"sk42>pz90", engine::ShiftSk42ToPz90},
        {"sk42>pz9011", engine::ShiftSk42ToPz9011},
        {"sk95>pz9011", engine::ShiftSk95ToPz9011},
        {"gsk2011>pz9011", engine::ShiftGsk2011ToPz9011},
        {"wgs84>pz9011", engine::ShiftWgs84ToPz9011},
        {"pz90>pz9011", engine::ShiftPz90ToPz9011},
        {"none", engine::DatumShift{}}};
    if (named.count(name)) return named.at(name);
    const auto v = Numbers(name);
    return {v.at(0), v.at(1), v.at(2), v.at(3), v.at(4), v.at(5), v.at(6)};
}

// Zone schemes: gk6, gk3 (Pulkovo), gk3gsk (GSK-2011), utm.
inline const engine::ZoneScheme& SchemeNamed(const std::string& name) {
    static const std::map<std::string, engine::ZoneScheme> named = {
        {"", engine::GaussKruger6},
        {"gk6", engine::GaussKruger6},
        {"gk3", engine::GaussKruger3Pulkovo},
        {"gk3gsk", engine::GaussKruger3Gsk2011},
        {"utm", engine::Utm}};
    return named.at(name);
}

// A transverse Mercator map from "ellipsoid φ₀ λ₀ k₀ FE FN".
inline engine::TransverseMercatorMap MapNamed(const std::string& parameters) {
    std::istringstream words(parameters);
    std::string ellipsoid;
    engine::TransverseMercatorParameters p;
    words >> ellipsoid >> p.originLatitude >> p.centralMeridian >> p.scale >> p.falseEasting >>
        p.falseNorthing;
    return {EllipsoidNamed(ellipsoid), p};
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
    if (op == "helmert" || op == "helmert_reverse") {
        (op == "helmert" ? ShiftGeocentric : UnshiftGeocentric)({in.at(0), in.at(1), in.at(2)}, c,
                                                                ShiftNamed(parameters));
        return {c.X, c.Y, c.Z};
    }
    if (op == "tm" || op == "tm_reverse") {  // the exact projection about meridian 0
        const TransverseMercator projection(EllipsoidNamed(p[0]));
        Values out = {0, 0, in.at(2)};
        if (op == "tm") projection.Forward(in.at(0), in.at(1), out[0], out[1]);
        if (op != "tm") projection.Reverse(in.at(0), in.at(1), out[0], out[1]);
        return out;
    }
    if (op == "tm_there_and_back") {
        const TransverseMercator projection(EllipsoidNamed(p[0]));
        double x = 0, y = 0;
        Values out = {0, 0, in.at(2)};
        projection.Forward(in.at(0), in.at(1), x, y);
        projection.Reverse(x, y, out[0], out[1]);
        return out;
    }
    if (op == "zone_map") {  // ellipsoid scheme zone: the zone's parameters
        const TransverseMercatorMap map(EllipsoidNamed(p[0]),
                                        ZoneParameters(SchemeNamed(p[1]), std::atoi(p[2].c_str())));
        map.Forward({in.at(0), in.at(1), in.at(2)}, plane);
        return {plane.x, plane.y, plane.H};
    }
    if (op == "tm_map" || op == "tm_map_geocentric" || op == "tm_map_reverse") {
        const TransverseMercatorMap map = MapNamed(parameters);
        if (op == "tm_map") map.Forward({in.at(0), in.at(1), in.at(2)}, plane);
        if (op == "tm_map_geocentric") map.ForwardGeocentric({in.at(0), in.at(1), in.at(2)}, plane);
        if (op != "tm_map_reverse") return {plane.x, plane.y, plane.H};
        map.Reverse({in.at(0), in.at(1), in.at(2)}, g);
        return {g.B, g.L, g.H};
    }
    if (op == "choose_zone") {  // scheme requested | B L | zone used, longitude on its side
        double longitude = 0;
        zone =
            ChooseZone(SchemeNamed(p[0]), in.at(0), in.at(1), std::atoi(p[1].c_str()), longitude);
        return {double(zone), longitude};
    }
    if (op == "to_zone_plane" || op == "geocentric_to_zone_plane") {  // ellipsoid zone [scheme]
        zone = std::atoi(p[1].c_str());
        const Ellipsoid ellipsoid = EllipsoidNamed(p[0]);
        if (op == "to_zone_plane")
            GeodeticToZonePlane({in.at(0), in.at(1), in.at(2)}, plane, zone,
                                TransverseMercator(ellipsoid), SchemeNamed(p[2]));
        else
            GeocentricToZonePlane({in.at(0), in.at(1), in.at(2)}, plane, zone, ellipsoid,
                                  TransverseMercator(ellipsoid), SchemeNamed(p[2]));
        return {plane.x, plane.y, plane.H, double(zone)};
    }
    if (op == "to_plane") {
        GeodeticToPlane({in.at(0), in.at(1), in.at(2)}, plane, zone);
        return {plane.x, plane.y, plane.H, double(zone)};
    }
    if (op == "to_geodetic") {
        GeocentricToGeodetic({in.at(0), in.at(1), in.at(2)}, g, EllipsoidNamed(p[0]),
                             LatitudeTolerance);
    } else if (op == "to_geodetic_exact") {
        GeocentricToGeodeticExact({in.at(0), in.at(1), in.at(2)}, g, EllipsoidNamed(p[0]));
    } else if (op == "from_zone_plane") {
        ZonePlaneToGeodetic({in.at(0), in.at(1), in.at(2)}, g, std::atoi(p[1].c_str()),
                            TransverseMercator(EllipsoidNamed(p[0])), SchemeNamed(p[2]));
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
