// The binary and text geoid formats: NOAA's and PROJ's GTX, GeographicLib's PGM and the
// International Service for the Geoid's ISG (1.01 and 2.0). GeoTIFF is in geoid_tiff.cpp.
#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "systems/geoid_formats.h"

namespace systems::geoid {
namespace {

constexpr float kNoValue = std::numeric_limits<float>::quiet_NaN();

bool ReadInteger(std::string_view text, std::int64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The next blank-separated word from position at, which moves past it; empty at the end.
std::string_view NextWord(std::string_view text, std::size_t& at) {
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    const std::size_t start = at;
    while (at < text.size() && !IsBlank(text[at]))
        ++at;
    return text.substr(start, at - start);
}

}  // namespace

// GTX (NOAA VDatum, PROJ's vertical grids): a 40-byte big-endian header, the south-west
// node's latitude and longitude, the latitude and longitude steps (IEEE doubles, degrees),
// the rows and columns (int32); then rows × columns big-endian IEEE floats from the south
// row, each west to east. As PROJ (src/grids.cpp, GTXVerticalShiftGrid): a west of 180° or
// more is taken 360° west; −88.8888 and anything beyond ±1000 m hold no value.
Nodes ReadGtx(File& file) {
    constexpr std::uint64_t kHeader = 40;
    if (file.size() < kHeader)
        Refuse("header: " + std::to_string(file.size()) + " bytes, a GTX header holds 40");
    unsigned char header[kHeader];
    file.Read(0, header, kHeader, "header");
    const auto real = [&](int at) { return std::bit_cast<double>(BigEndian(header + at, 8)); };
    const auto integer = [&](int at) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(BigEndian(header + at, 4)));
    };
    Nodes nodes;
    GeoidGrid::Extent& e = nodes.extent;
    e = {.south = real(0),
         .west = real(8),
         .latitudeStep = real(16),
         .longitudeStep = real(24),
         .rows = integer(32),
         .columns = integer(36)};
    if (e.west >= 180) e.west -= 360;
    CheckExtent(e, "header");

    const std::size_t count = static_cast<std::size_t>(e.rows) * e.columns;
    if (file.size() - kHeader != 4 * static_cast<std::uint64_t>(count))
        Refuse("data: " + std::to_string(e.rows) + " × " + std::to_string(e.columns) +
               " nodes take " + std::to_string(kHeader + 4 * count) + " bytes, the file has " +
               std::to_string(file.size()));
    nodes.values = Allocate(count);
    file.Read(kHeader, nodes.values.data(), 4 * count, "data");
    for (float& value : nodes.values) {
        const float v = std::bit_cast<float>(static_cast<std::uint32_t>(
            BigEndian(reinterpret_cast<const unsigned char*>(&value), 4)));
        value = v == -88.8888f || v > 1000 || v < -1000 ? kNoValue : v;
    }
    return nodes;
}

// GeographicLib's PGM geoid (GeographicLib's documentation, "Geoid height"; Geoid.cpp):
// "P5", comment lines among them "# Offset O" and "# Scale S", the width and the height,
// maxval 65535, then height rows of width big-endian uint16 from 90° N down to 90° S, each
// from 0° E eastward once round; a node's height is O + S·raw metres.
Nodes ReadPgm(File& file) {
    std::string head(std::min<std::uint64_t>(file.size(), 65536), '\0');
    file.Read(0, head.data(), head.size(), "header");
    if (head.size() < 3 || !IsBlank(head[2])) Refuse("header: no blank after P5");
    double offset = kNoValue, scale = kNoValue;
    std::int64_t numbers[3];  // width, height, maxval
    const char* names[3] = {"width", "height", "maxval"};
    std::size_t at = 2;
    for (int n = 0; n < 3;) {
        while (at < head.size() && IsBlank(head[at]))
            ++at;
        if (at < head.size() && head[at] == '#') {  // a comment, to its line's end
            const std::size_t end = std::min(head.find('\n', at), head.size());
            const std::string_view comment = std::string_view(head).substr(at + 1, end - at - 1);
            std::size_t inside = 0;
            const std::string_view key = NextWord(comment, inside);
            const std::string_view written = Trimmed(comment.substr(inside));
            double* value = key == "Offset" ? &offset : key == "Scale" ? &scale : nullptr;
            if (value && !(ReadNumber(written, *value) && std::isfinite(*value)))
                Refuse("header: unreadable " + std::string(key) + " " + Quoted(written));
            at = end;
            continue;
        }
        const std::string_view word = NextWord(head, at);
        if (word.empty()) Refuse(std::string("header: no ") + names[n]);
        if (!ReadInteger(word, numbers[n]))
            Refuse(std::string("header: unreadable ") + names[n] + " " + Quoted(word));
        ++n;
    }
    if (std::isnan(offset)) Refuse("header: no \"# Offset\" line");
    if (std::isnan(scale)) Refuse("header: no \"# Scale\" line");
    if (!(scale > 0)) Refuse("header: scale " + Number(scale) + ", not positive");
    if (!(std::fabs(offset) + scale * 65535 <= std::numeric_limits<float>::max()))
        Refuse("header: offset " + Number(offset) + " and scale " + Number(scale) +
               " reach beyond a float");
    if (numbers[2] != 65535) Refuse("header: maxval " + std::to_string(numbers[2]) + ", not 65535");
    if (at >= head.size()) Refuse("header: no data after maxval");
    const std::uint64_t start = at + 1;  // one blank ends the header

    const std::int64_t width = numbers[0], height = numbers[1];
    const std::size_t count = CheckedNodes(height, width, "header");
    Nodes nodes;
    GeoidGrid::Extent& e = nodes.extent;
    e = {.south = -90,
         .west = 0,
         .latitudeStep = 180.0 / (height - 1),
         .longitudeStep = 360.0 / width,
         .rows = static_cast<int>(height),
         .columns = static_cast<int>(width)};
    CheckExtent(e, "header");
    if (file.size() - start != 2 * static_cast<std::uint64_t>(count))
        Refuse("data: " + std::to_string(height) + " × " + std::to_string(width) + " values take " +
               std::to_string(2 * count) + " bytes after the header, the file has " +
               std::to_string(file.size() - start));
    nodes.values = Allocate(count);
    std::vector<unsigned char> row(2 * width);
    for (std::int64_t r = 0; r < height; ++r) {  // row r of the file lies 90° − r·step
        file.Read(start + r * row.size(), row.data(), row.size(), "data");
        float* into = nodes.values.data() + (height - 1 - r) * width;
        for (std::int64_t c = 0; c < width; ++c)
            into[c] = static_cast<float>(offset + scale * BigEndian(&row[2 * c], 2));
    }
    return nodes;
}

namespace {

// An ISG angle: decimal degrees, or with "coord units = dms" [−]D°M'S" (the degree sign in
// UTF-8 or Latin-1).
bool ReadAngle(std::string_view text, bool dms, double& degrees) {
    if (!dms) return ReadNumber(text, degrees);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    std::int64_t d = 0, m = 0;
    double s = 0;
    std::size_t degreeAt = text.find("\xC2\xB0"), sign = 2;
    if (degreeAt == std::string_view::npos) degreeAt = text.find('\xB0'), sign = 1;
    const std::size_t minuteAt = text.find('\'');
    if (degreeAt == std::string_view::npos || minuteAt == std::string_view::npos ||
        minuteAt < degreeAt || text.back() != '"')
        return false;
    if (!ReadInteger(text.substr(0, degreeAt), d) ||
        !ReadInteger(text.substr(degreeAt + sign, minuteAt - degreeAt - sign), m) ||
        !ReadNumber(text.substr(minuteAt + 1, text.size() - minuteAt - 2), s) || m >= 60 ||
        !(s >= 0 && s < 60) || d > 360)
        return false;
    degrees = (negative ? -1 : 1) * (d + m / 60.0 + s / 3600);
    return true;
}

// One axis of an ISG grid from the header's min, max, delta and count: the first node and the
// step. Nodes lie on min and max, (n − 1) steps apart, in the format's own reading; when
// max − min is n steps the values are those of cells, at their centres half a step inside, as
// GDAL's ISG driver reads them (frmts/aaigrid/aaigriddataset.cpp, ISGDataset::ParseHeader).
// Headers round the step ("0.016667" for 1′): the step is taken from the span, within 5 % of
// a step of the one written.
struct Axis {
    double first = 0, step = 0;
    bool centres = false;
};

Axis ReadAxis(double min, double max, double delta, std::int64_t n, const std::string& name,
              const std::string& count) {
    constexpr double kTolerance = 0.05;  // of a step
    const double steps = (max - min) / delta;
    if (std::fabs(steps - (n - 1)) <= kTolerance) return {min, (max - min) / (n - 1), false};
    if (std::fabs(steps - n) <= kTolerance) {
        const double step = (max - min) / n;
        return {min + step / 2, step, true};
    }
    Refuse("header: " + name + " max − " + name + " min is " + Number(steps) + " steps, neither " +
           count + " − 1 nor " + count);
}

}  // namespace

// ISG (International Service for the Geoid, format 1.01 and 2.0; GDAL's ISG driver): free
// text, then a header between "begin_of_head" and "end_of_head" of "key = value" or
// "key : value" lines, then the values row by row from the north, each west to east,
// separated by blanks; "nodata" marks the nodes without one. Only geodetic grids are read.
Nodes ReadIsg(File& file) {
    // The header from the first MiB; the rest only once the header has said how many values
    // follow (2 × 2 values followed by gigabytes are refused unread).
    constexpr std::uint64_t kHeadBytes = 1 << 20;
    std::string text(std::min(file.size(), kHeadBytes), '\0');
    file.Read(0, text.data(), text.size(), "header");
    const std::size_t begin = text.find("begin_of_head");
    const std::size_t end = text.find("end_of_head", begin);
    if (end == std::string::npos) Refuse("header: no end_of_head");
    const std::size_t headStart = std::min(text.find('\n', begin), end);
    std::size_t dataStart = text.find('\n', end);
    dataStart = dataStart == std::string::npos ? text.size() : dataStart + 1;

    std::map<std::string, std::string, std::less<>> keys;
    const std::string_view head = std::string_view(text).substr(headStart, end - headStart);
    for (std::size_t at = 0; at < head.size();) {
        std::size_t lineEnd = head.find('\n', at);
        if (lineEnd == std::string_view::npos) lineEnd = head.size();
        const std::string_view line = head.substr(at, lineEnd - at);
        at = lineEnd + 1;
        const std::size_t separator = line.find_first_of("=:");
        if (separator == std::string_view::npos) continue;
        std::string key;  // lower case, blanks run together
        for (const char c : Trimmed(line.substr(0, separator))) {
            if (!IsBlank(c))
                key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            else if (key.back() != ' ')
                key += ' ';
        }
        keys.emplace(key, Trimmed(line.substr(separator + 1)));
    }
    const auto value = [&](std::string_view key, std::string_view otherwise) -> std::string_view {
        const auto found = keys.find(key);
        if (found != keys.end()) return found->second;
        if (otherwise.empty()) Refuse("header: no \"" + std::string(key) + "\"");
        return otherwise;
    };
    const auto lower = [](std::string_view text) {
        std::string out(text);
        for (char& c : out)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::string units = lower(value("coord units", "deg"));
    if (units != "deg" && units != "dms")
        Refuse("header: coord units " + Quoted(units) + ", not deg or dms");
    if (const std::string format = lower(value("data format", "grid")); format != "grid")
        Refuse("header: data format " + Quoted(format) + ": only grids are read");
    if (const std::string type = lower(value("coord type", "geodetic")); type != "geodetic")
        Refuse("header: coord type " + Quoted(type) + ": only geodetic grids are read");
    if (const std::string order = lower(value("data ordering", "n-to-s, w-to-e"));
        order.find("n-to-s") == std::string::npos || order.find("w-to-e") == std::string::npos)
        Refuse("header: data ordering " + Quoted(order) + ", not N-to-S, W-to-E");
    for (const char* key : {"data units", "units"}) {  // 2.0's key and 1.01's
        if (const std::string unit = lower(value(key, "meters"));
            unit != "meters" && unit != "metres" && unit != "m")
            Refuse("header: " + std::string(key) + " " + Quoted(unit) + ", not metres");
    }

    double angles[6];
    const char* angleKeys[6] = {"lat min", "lat max",   "lon min",
                                "lon max", "delta lat", "delta lon"};
    for (int k = 0; k < 6; ++k) {
        const std::string_view written = value(angleKeys[k], "");
        if (!ReadAngle(written, units == "dms", angles[k]) || !std::isfinite(angles[k]))
            Refuse(std::string("header: unreadable ") + angleKeys[k] + " " + Quoted(written));
    }
    for (int k = 4; k < 6; ++k) {
        if (!(angles[k] > 0))
            Refuse(std::string("header: ") + angleKeys[k] + " " + Number(angles[k]));
    }
    std::int64_t counts[2];
    const char* countKeys[2] = {"nrows", "ncols"};
    for (int k = 0; k < 2; ++k) {
        const std::string_view written = value(countKeys[k], "");
        if (!ReadInteger(written, counts[k]))
            Refuse(std::string("header: unreadable ") + countKeys[k] + " " + Quoted(written));
    }
    double nodata = kNoValue;
    if (const std::string_view written = value("nodata", "-");
        written != "-" && !ReadNumber(written, nodata))
        Refuse("header: unreadable nodata " + Quoted(written));

    const std::int64_t rows = counts[0], columns = counts[1];
    const std::size_t count = CheckedNodes(rows, columns, "header");
    const Axis lat = ReadAxis(angles[0], angles[1], angles[4], rows, "lat", "nrows");
    const Axis lon = ReadAxis(angles[2], angles[3], angles[5], columns, "lon", "ncols");
    if (lat.centres != lon.centres)
        Refuse("header: latitudes and longitudes registered differently (nodes and cells)");
    Nodes nodes;
    nodes.extent = {.south = lat.first,
                    .west = lon.first,
                    .latitudeStep = lat.step,
                    .longitudeStep = lon.step,
                    .rows = static_cast<int>(rows),
                    .columns = static_cast<int>(columns)};
    CheckExtent(nodes.extent, "header");

    // Each value takes a character and a blank at least, and no sane file spends more than
    // 64 characters on one: the text must hold them all before room is made for them.
    constexpr std::uint64_t kMostBytesPerValue = 64;
    if (file.size() - dataStart > kMostBytesPerValue * count + kHeadBytes)
        Refuse("data: " + std::to_string(file.size() - dataStart) + " bytes, more than " +
               std::to_string(rows) + " × " + std::to_string(columns) + " values take");
    if (file.size() > text.size()) text = file.ReadAll();
    const std::string_view data = std::string_view(text).substr(dataStart);
    if (data.size() + 1 < 2 * static_cast<std::uint64_t>(count))
        Refuse("data: " + std::to_string(data.size()) + " bytes cannot hold " +
               std::to_string(rows) + " × " + std::to_string(columns) + " values");
    nodes.values = Allocate(count);
    std::size_t at = 0;
    for (std::int64_t r = 0; r < rows; ++r) {  // row r of the file lies r steps south of lat max
        float* into = nodes.values.data() + (rows - 1 - r) * columns;
        for (std::int64_t c = 0; c < columns; ++c) {
            const std::string_view word = NextWord(data, at);
            if (word.empty())
                Refuse("data: " + std::to_string((rows - r) * columns - c) +
                       " values missing at row " + std::to_string(r + 1));
            double v;
            if (!ReadNumber(word, v) || std::fabs(v) > std::numeric_limits<float>::max())
                Refuse("data: unreadable number " + Quoted(word) + " at row " +
                       std::to_string(r + 1) + ", column " + std::to_string(c + 1));
            into[c] = v == nodata || std::isnan(v) ? kNoValue : static_cast<float>(v);
        }
    }
    if (!NextWord(data, at).empty())
        Refuse("data: more values than " + std::to_string(rows) + " × " + std::to_string(columns));
    return nodes;
}

}  // namespace systems::geoid
