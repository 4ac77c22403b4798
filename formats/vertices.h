// The vertices of GIS geometries through coordconv's route. GIS files hold x east and y north
// (longitude, latitude; easting, northing) and geocentric X, Y, Z; routes take latitude and
// northing first: the axes are swapped here, at the boundary, and nowhere inside the route.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "batch/conversion_options.h"
#include "batch/point_converter.h"

class OGRGeometry;

namespace formats {

class VertexConverter {
  public:
    // The run's systems, parameters and zone; angles are decimal degrees, as GIS files hold
    // them, and messages name the file's axes in the options' language.
    explicit VertexConverter(const batch::ConversionOptions& options);

    // Converts a point as the file holds it; "" or what is wrong with it. A zoned target's zone
    // is the one asked for, else the first point's: a point the route puts in another is an
    // error. warning: what is doubtful about a good point (nullptr when nothing).
    std::string Convert(double& x, double& y, double& z, const char*& warning);

    // The target's zone: fixed by --zone or by the first point converted; 0 while unknown or
    // where the target has no zones.
    int Zone() const { return zone_; }
    bool TargetZoned() const { return targetZoned_; }
    // True when written geometries carry heights even where the file's have none: a geocentric
    // end needs all three coordinates.
    bool NeedsZ() const { return needsZ_; }

  private:
    batch::ConversionOptions options_;
    std::optional<batch::PointConverter> converter_;
    bool geocentricFrom_, geocentricTo_;
    bool targetZoned_;
    bool routeTakesZone_;  // the route projects into the zone asked for (not each point's own)
    bool zoneAsked_;       // --zone named the target's
    bool needsZ_;
    int zone_ = 0;
};

// Every vertex of a geometry through the converter, in the order GDAL holds them (points,
// lines, rings, curves, parts of collections), counted from `vertex` on. Z is converted where
// the geometry has it, else height 0 is and the geometry stays 2D (unless NeedsZ); M is kept.
// Stops at the first faulty vertex: its number and the fault.
struct VertexFault {
    std::uint64_t vertex = 0;
    std::string text;
};
struct VertexWarning {
    std::uint64_t vertex = 0;
    const char* text = nullptr;
};
std::optional<VertexFault> ConvertGeometry(OGRGeometry& geometry, VertexConverter& converter,
                                           std::uint64_t& vertex,
                                           std::optional<VertexWarning>& warning);

}  // namespace formats
