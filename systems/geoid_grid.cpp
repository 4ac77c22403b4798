// The geoid grid: its bilinear interpolation, which follows PROJ 9.1's read_vgrid_value
// (src/transformations/vgridshift.cpp over src/grids.cpp) except at holes, and the choice of
// a reader by the file's first bytes; the checks and the file access all readers share.
#include "systems/geoid_grid.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "systems/geoid_formats.h"

namespace systems {
namespace {

using namespace std::string_view_literals;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// PROJ's ExtentAndRes::fullWorldLongitude: east − west + step ≥ 2π − 1e-10 (radians), the
// hair here in degrees.
constexpr double kTurn = 360;
constexpr double kRoundHair = 1e-10 * 180 / 3.14159265358979323846;

}  // namespace

GeoidGrid::GeoidGrid(const Extent& extent, std::vector<float> values)
    : extent_(extent), values_(std::move(values)) {
    const Extent& e = extent_;
    if (!(e.rows >= 2 && e.columns >= 2 && std::isfinite(e.south) && std::isfinite(e.west) &&
          e.latitudeStep > 0 && e.longitudeStep > 0 && std::isfinite(e.latitudeStep) &&
          std::isfinite(e.longitudeStep) &&
          values_.size() == static_cast<std::size_t>(e.rows) * e.columns))
        throw std::invalid_argument("GeoidGrid: extent and values disagree");
    east_ = e.west + (e.columns - 1) * e.longitudeStep;
    north_ = e.south + (e.rows - 1) * e.latitudeStep;
    perLatitude_ = 1 / e.latitudeStep;
    perLongitude_ = 1 / e.longitudeStep;
    goesRound_ = e.columns * e.longitudeStep >= kTurn - kRoundHair;
}

float GeoidGrid::At(int row, int column) const {
    if (row < 0 || row >= extent_.rows || column < 0 || column >= extent_.columns)
        return std::numeric_limits<float>::quiet_NaN();
    return values_[static_cast<std::size_t>(row) * extent_.columns + column];
}

// Bilinear interpolation in the cell whose south-west node is (i, j), at the fractions
// (fy, fx) of a step north and east of it:
//   ζ = (1−fx)(1−fy)·ζ(i, j) + fx(1−fy)·ζ(i, j+1) + (1−fx)fy·ζ(i+1, j) + fx·fy·ζ(i+1, j+1),
// summed in this order as PROJ does. Column j+1 of the last column is column 0 on a grid that
// goes round, else the last column again; row i+1 of the last row is the last row. A node
// without a value under a weight above zero makes the result NaN (PROJ renormalises the
// remaining weights instead).
double GeoidGrid::Anomaly(double latitude, double longitude) const {
    const Extent& e = extent_;
    if (!(latitude >= e.south && latitude <= north_) || std::isnan(longitude)) return kNaN;
    double x;
    if (goesRound_) {
        // Into [west, west + 360°) first, then into columns: a grid whose last column repeats
        // its first (1441 columns of 15′) never needs the wrap, one without it (1440) wraps
        // from its last column to column 0. (PROJ wraps modulo the columns instead, which
        // shifts a repeating grid by a column for longitudes written a turn away.)
        double turned = std::fmod(longitude - e.west, kTurn);
        if (std::isnan(turned)) return kNaN;  // an infinite longitude
        if (turned < 0) turned += kTurn;
        if (turned == kTurn) turned = 0;  // −1e-17 + 360 rounds to 360
        x = turned * perLongitude_;
    } else {
        if (longitude < e.west)
            longitude += kTurn;
        else if (longitude > east_)
            longitude -= kTurn;
        if (!(longitude >= e.west && longitude <= east_)) return kNaN;
        x = (longitude - e.west) * perLongitude_;
    }
    const double y = (latitude - e.south) * perLatitude_;
    // Rounding can put a point on the east or north edge a hair past the last node.
    const int j = std::min(static_cast<int>(x), e.columns - 1);
    const int i = std::min(static_cast<int>(y), e.rows - 1);
    const double fx = x - j, fy = y - i;
    const int j2 = j + 1 < e.columns ? j + 1 : goesRound_ ? 0 : j;
    const int i2 = std::min(i + 1, e.rows - 1);

    const float* row = values_.data() + static_cast<std::size_t>(i) * e.columns;
    const float* row2 = values_.data() + static_cast<std::size_t>(i2) * e.columns;
    const double weights[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
    const float nodes[4] = {row[j], row[j2], row2[j], row2[j2]};
    double value = 0;
    for (int k = 0; k < 4; ++k)
        value += weights[k] > 0 ? nodes[k] * weights[k] : 0.0;
    return value;
}

namespace geoid {

void Refuse(std::string reason) {
    throw Refusal{GridFault::Malformed, std::move(reason)};
}

namespace {
[[noreturn]] void Unreadable(int error) {
    throw Refusal{GridFault::Unreadable, std::strerror(error)};
}
}  // namespace

File::File(const std::string& path) {
    // Only a regular file is opened: opening a FIFO would wait for a writer forever, and a
    // device (/dev/zero) has no size to check a header against.
    struct stat named {};
    if (stat(path.c_str(), &named) != 0) Unreadable(errno);
    if (S_ISDIR(named.st_mode)) Unreadable(EISDIR);
    if (!S_ISREG(named.st_mode)) throw Refusal{GridFault::Unreadable, "not a regular file"};
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) Unreadable(errno);
    struct stat status {};
    if (fstat(fileno(file_), &status) != 0) Unreadable(errno);
    if (S_ISDIR(status.st_mode)) Unreadable(EISDIR);
    if (!S_ISREG(status.st_mode)) Refuse("not a regular file");
    size_ = static_cast<std::uint64_t>(status.st_size);
}

File::~File() {
    if (file_) std::fclose(file_);
}

void File::Read(std::uint64_t offset, void* into, std::size_t count, std::string_view part) {
    if (offset > size_ || count > size_ - offset)
        Refuse(std::string(part) + ": the file ends " + std::to_string(offset + count - size_) +
               " bytes short");
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) Unreadable(errno);
    if (std::fread(into, 1, count, file_) != count) {
        if (std::ferror(file_)) Unreadable(errno ? errno : EIO);
        Refuse(std::string(part) + ": the file ends early");  // it shrank while read
    }
}

std::string File::ReadAll() {
    std::string text;
    try {
        text.resize(size_);
    } catch (const std::bad_alloc&) {
        Unreadable(ENOMEM);
    }
    Read(0, text.data(), text.size(), "data");
    return text;
}

std::string Number(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// A word of the file for a reason: its first 40 bytes, not cutting a UTF-8 character.
std::string Quoted(std::string_view text) {
    std::size_t length = std::min<std::size_t>(text.size(), 40);
    while (length < text.size() && length > 0 && (text[length] & 0xC0) == 0x80)
        --length;
    return "\"" + std::string(text.substr(0, length)) + (length < text.size() ? "…\"" : "\"");
}

bool ReadNumber(std::string_view text, double& value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::size_t CheckedNodes(std::int64_t rows, std::int64_t columns, std::string_view part) {
    const std::string where(part);
    if (rows < 2) Refuse(where + ": " + std::to_string(rows) + " rows, fewer than 2");
    if (columns < 2) Refuse(where + ": " + std::to_string(columns) + " columns, fewer than 2");
    if (rows > kMaxNodes || columns > kMaxNodes || rows * columns > kMaxNodes)
        Refuse(where + ": " + std::to_string(rows) + " × " + std::to_string(columns) +
               " nodes, more than 400 million");
    return static_cast<std::size_t>(rows * columns);
}

// The node grid must lie on the Earth: each pole at most half a step beyond, west within a
// turn of Greenwich, at most one turn and a step from the first column to the last.
void CheckExtent(const GeoidGrid::Extent& e, std::string_view part) {
    const std::string where = std::string(part) + ": ";
    const struct {
        const char* name;
        double value;
    } steps[] = {{"latitude step", e.latitudeStep}, {"longitude step", e.longitudeStep}};
    for (const auto& step : steps) {
        if (!std::isfinite(step.value)) Refuse(where + step.name + " not a finite number");
        if (step.value <= 0) Refuse(where + step.name + " " + Number(step.value));
        if (step.value < kMinStep * (1 - 1e-9))  // 1e-5 as a header's decimals give it
            Refuse(where + step.name + " " + Number(step.value) + "°, below 1e-05°");
    }
    if (!std::isfinite(e.south) || !std::isfinite(e.west))
        Refuse(where + "south-west corner not a finite number");
    CheckedNodes(e.rows, e.columns, part);
    const double north = e.south + (e.rows - 1) * e.latitudeStep;
    const double span = (e.columns - 1) * e.longitudeStep;
    if (e.south < -90 - e.latitudeStep / 2)
        Refuse(where + "south edge " + Number(e.south) + "° beyond the pole");
    if (north > 90 + e.latitudeStep / 2)
        Refuse(where + "north edge " + Number(north) + "° beyond the pole");
    if (std::fabs(e.west) > kTurn) Refuse(where + "west edge " + Number(e.west) + "° beyond ±360°");
    if (span > kTurn + e.longitudeStep)
        Refuse(where + "longitudes span " + Number(span) + "°, more than a turn and a step");
}

std::vector<float> Allocate(std::size_t nodes) {
    try {
        return std::vector<float>(nodes);
    } catch (const std::bad_alloc&) {
        throw Refusal{GridFault::Unreadable, std::strerror(ENOMEM)};
    }
}

}  // namespace geoid

// The formats by their first bytes: TIFF's byte order mark and version (classic 42 or BigTIFF
// 43), PGM's "P5", ISG's "begin_of_head" (after free comment lines in ISG 2.0, so anywhere
// in the first 64 KiB before a NUL byte, which every GTX header holds in its row count).
GridFile ReadGeoidGrid(const std::string& path) {
    GridFile result;
    try {
        geoid::File file(path);
        std::string head(std::min<std::uint64_t>(file.size(), 65536), '\0');
        file.Read(0, head.data(), head.size(), "header");
        const std::string_view first(head);
        const std::size_t length = first.size();
        const std::string_view order = first.substr(0, 2),
                               version = first.substr(std::min<std::size_t>(2, length), 2);
        const bool tiff = (order == "II" && (version == "*\0"sv || version == "+\0"sv)) ||
                          (order == "MM" && (version == "\0*"sv || version == "\0+"sv));
        const std::size_t isg = first.find("begin_of_head");
        geoid::Nodes nodes;
        if (tiff) {
            result.format = "GeoTIFF";
            nodes = geoid::ReadGeoTiff(path);
        } else if (first.substr(0, 2) == "P5") {
            result.format = "PGM";
            nodes = geoid::ReadPgm(file);
        } else if (isg != std::string_view::npos &&
                   first.substr(0, isg).find('\0') == std::string_view::npos) {
            result.format = "ISG";
            nodes = geoid::ReadIsg(file);
        } else {
            // No other format has a mark of its own: a file that is no GTX either is said to
            // be none of them, with what the GTX reader found.
            result.format = "GTX";
            try {
                nodes = geoid::ReadGtx(file);
            } catch (geoid::Refusal& refusal) {
                if (refusal.fault == GridFault::Malformed && refusal.reason.starts_with("header"))
                    refusal.reason += " (read as a GTX grid: no GeoTIFF, PGM or ISG either)";
                throw;
            }
        }
        // A value beyond ±1000 m is no height anomaly on this Earth but a mark of none (PROJ's
        // rule for GTX grids, whose marks vary), in every format.
        for (float& value : nodes.values) {
            if (std::fabs(value) > geoid::kLargestValue) value = kNaN;
        }
        result.grid = std::make_shared<const GeoidGrid>(nodes.extent, std::move(nodes.values));
    } catch (const geoid::Refusal& refusal) {
        result.grid.reset();
        result.fault = refusal.fault;
        result.reason = refusal.reason;
    } catch (const std::bad_alloc&) {
        result.grid.reset();
        result.fault = GridFault::Unreadable;
        result.reason = std::strerror(ENOMEM);
    } catch (const std::exception& error) {  // a reader's nodes the grid refuses: none known
        result.grid.reset();
        result.fault = GridFault::Malformed;
        result.reason = error.what();
    }
    return result;
}

}  // namespace systems
