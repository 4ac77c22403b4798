// The first vertices of a GIS file, one row each, as a preview shows them before a run: every
// layer a run converts, every vertex in the order a run converts them, a table's point from
// its coordinate fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/conversion_options.h"

class OGRFeature;
class OGRFeatureDefn;

namespace formats {

// A table's coordinate fields in the file's order: x east (or X), y north (or Y), z; −1 none.
struct TableColumns {
    int x = -1, y = -1, z = -1;
    bool Found() const { return x >= 0 && y >= 0; }
    bool Holds(int field) const { return field == x || field == y || field == z; }
};

// The coordinate fields of a table: options.columns (FROM's order, from 1: latitude or northing
// first, or X, Y, Z), else the first fields whose names say x east and y north (x, lon,
// easting ...; y, lat, northing ...; z, h, height, ele ...), in any case.
TableColumns FindTableColumns(const OGRFeatureDefn& definition,
                              const batch::ConversionOptions& options);

// A coordinate of a table's field: a number, or a text that is one (blanks around it allowed);
// false with `fault` naming the field when it is empty or no number.
bool ReadTableColumn(const OGRFeature& feature, int field, double& value, std::string& fault);

// A GPX file's lines and the layers that repeat their vertices, one point a feature.
struct GpxLines {
    std::string_view lines, points;
};
inline constexpr GpxLines kGpxLines[] = {{"routes", "route_points"}, {"tracks", "track_points"}};

// True for a GPX file's layers of points that repeat its lines' vertices: the preview shows
// the lines (as a run writes them, but into GPX).
bool RepeatsVertices(std::string_view driver, std::string_view layer);

// One vertex of a feature (a table's point: vertex 1), as the file holds it: x east
// (longitude, easting, geocentric X), y north, z where the geometry or the table has it.
struct GisRow {
    std::string layer;
    std::int64_t fid = 0;
    std::uint64_t vertex = 0;  // from 1 within the feature, across its geometry fields
    double x = 0, y = 0, z = 0;
    bool hasZ = false;
    std::string fault;  // a table's point that cannot be read ("" when it can)
};

struct GisRows {
    std::string error;   // why GDAL cannot read the file ("" when it can), GDAL's reason
    std::string driver;  // GDAL's short name of the file's driver
    int layers = 0;      // the layers a run converts
    std::vector<GisRow> rows;
    bool complete = false;  // rows hold every vertex of the file
    // The features of those layers, where every driver knows its count without reading the
    // layer through.
    std::optional<std::uint64_t> features;
};

// The first `limit` vertices of the file: a bounded read, the rest of a large file untouched.
// A GPX point's <ele> is its z, as in a run.
GisRows ReadGisRows(const std::string& path, std::size_t limit);

}  // namespace formats
