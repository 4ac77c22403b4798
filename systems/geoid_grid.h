// A geoid model's grid: height anomalies ζ (or geoid undulations N) in metres at the nodes of
// a regular grid of latitude and longitude, ζ = h − H between an ellipsoidal height h and a
// normal height H. Read once from a file (GTX, GeoTIFF, GeographicLib's PGM, the ISG text
// format) and shared, read-only, by every thread that converts.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace systems {

class GeoidGrid {
  public:
    // The nodes, in degrees: row 0 is the southernmost, column 0 the westernmost; the node of
    // row i, column j lies at (south + i·latitudeStep, west + j·longitudeStep).
    struct Extent {
        double south = 0, west = 0;
        double latitudeStep = 0, longitudeStep = 0;
        int rows = 0, columns = 0;
    };

    // values: rows × columns, row by row from the south, each west to east; NaN where the
    // file holds no value. Throws std::invalid_argument unless there are rows × columns
    // values, at least 2 rows and 2 columns, and both steps are finite and positive.
    GeoidGrid(const Extent& extent, std::vector<float> values);

    // ζ in metres at a latitude and longitude in degrees, interpolated bilinearly between the
    // four nodes around the point as PROJ's vgridshift does; NaN outside the grid, or where a
    // node the point's value depends on (a weight above zero) holds no value. The east and
    // north edges are inside; a longitude outside [west, east] is taken 360° on either side,
    // and modulo 360° on a grid that goes round. Allocates nothing, throws nothing.
    double Anomaly(double latitude, double longitude) const;

    const Extent& extent() const { return extent_; }
    // True when the columns go once round the Earth (the last column's east neighbour is the
    // first): any longitude is inside.
    bool GoesRound() const { return goesRound_; }
    // The node's value, NaN where the file holds none.
    float At(int row, int column) const;  // NaN outside the rows and columns too

  private:
    Extent extent_;
    std::vector<float> values_;
    bool goesRound_ = false;
    double east_ = 0, north_ = 0;                // the last column's and the last row's nodes
    double perLatitude_ = 0, perLongitude_ = 0;  // 1 / step, nodes per degree
};

// Why a grid file could not be taken: it is not there or cannot be read (the caller's exit
// 66), or its contents are not a grid this reader takes or describe an absurd one (65).
enum class GridFault { None, Unreadable, Malformed };

struct GridFile {
    std::shared_ptr<const GeoidGrid> grid;  // null unless fault is None
    GridFault fault = GridFault::None;
    std::string reason;  // English, without the file's name: "header: 0 rows"
    std::string format;  // "GTX", "GeoTIFF", "PGM", "ISG"
};

// Reads a grid file, its format known from its first bytes (TIFF's byte order mark, PGM's
// "P5", ISG's "begin_of_head"), else taken as GTX.
GridFile ReadGeoidGrid(const std::string& path);

}  // namespace systems
