// PROJ's words for the catalogue's numbers, ellipsoids and projections: the pipelines of routes
// and the PROJ strings of systems that have no EPSG code say them alike.
#pragma once

#include <charconv>
#include <string>

#include "engine/records.h"

namespace systems {

// The shortest text that reads back to the same double.
inline std::string ProjNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

inline std::string ProjEllipsoid(const engine::Ellipsoid& ellipsoid) {
    return "+a=" + ProjNumber(ellipsoid.a) + " +rf=" + ProjNumber(ellipsoid.invF);
}

inline std::string ProjTmerc(const engine::TransverseMercatorParameters& p,
                             const engine::Ellipsoid& ellipsoid) {
    return "+proj=tmerc +lat_0=" + ProjNumber(p.originLatitude) +
           " +lon_0=" + ProjNumber(p.centralMeridian) + " +k=" + ProjNumber(p.scale) +
           " +x_0=" + ProjNumber(p.falseEasting) + " +y_0=" + ProjNumber(p.falseNorthing) + " " +
           ProjEllipsoid(ellipsoid);
}

}  // namespace systems
