// Geoid grid files: any bytes are read or refused, never a crash, a hang or an allocation the
// file cannot back. A refusal says why, naming the part of the file; a grid read keeps the
// bounds every reader checks, gives at its south-west node that node's own value, and
// elsewhere a weighted mean of its nodes (or NaN).
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "properties.h"
#include "systems/geoid_grid.h"

using testing_support::Check;

namespace {

// One scratch file for the whole run, rewritten for every input, removed at exit.
std::string scratch;

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (scratch.empty()) {
        char name[] = "/tmp/fuzz_geoid_grid.XXXXXX";
        const int descriptor = mkstemp(name);
        Check(descriptor >= 0 && close(descriptor) == 0);
        scratch = name;
        std::atexit([] { std::remove(scratch.c_str()); });
    }
    std::FILE* file = std::fopen(scratch.c_str(), "wb");
    Check(file && std::fwrite(data, 1, size, file) == size && std::fclose(file) == 0);
    const systems::GridFile read = systems::ReadGeoidGrid(scratch);
    Check(read.format.empty() || read.format == "GTX" || read.format == "GeoTIFF" ||
          read.format == "PGM" || read.format == "ISG");
    if (!read.grid) {
        Check(read.fault == systems::GridFault::Malformed ||
              read.fault == systems::GridFault::Unreadable);
        Check(read.fault == systems::GridFault::Unreadable || StartsWith(read.reason, "header: ") ||
              StartsWith(read.reason, "data: ") || StartsWith(read.reason, "GeoTIFF: ") ||
              read.reason == "not a regular file");
        return 0;
    }
    Check(read.fault == systems::GridFault::None && read.reason.empty());
    const systems::GeoidGrid& grid = *read.grid;
    const auto& e = grid.extent();
    Check(e.rows >= 2 && e.columns >= 2 &&
          static_cast<std::int64_t>(e.rows) * e.columns <= 400'000'000);
    Check(e.latitudeStep >= 1e-5 && e.longitudeStep >= 1e-5 && std::isfinite(e.latitudeStep) &&
          std::isfinite(e.longitudeStep));
    const double north = e.south + (e.rows - 1) * e.latitudeStep;
    Check(e.south >= -90 - e.latitudeStep / 2 && north <= 90 + e.latitudeStep / 2);
    Check(std::fabs(e.west) <= 360 && (e.columns - 1) * e.longitudeStep <= 360 + e.longitudeStep);

    const float corner = grid.At(0, 0);
    const double atCorner = grid.Anomaly(e.south, e.west);
    Check(std::isnan(corner) ? std::isnan(atCorner) : atCorner == corner);
    float low = INFINITY, high = -INFINITY;
    for (int i = 0; i < e.rows; ++i) {
        for (int j = 0; j < e.columns; ++j) {
            const float node = grid.At(i, j);
            if (!std::isnan(node)) low = std::min(low, node), high = std::max(high, node);
        }
    }
    const double points[][2] = {{(e.south + north) / 2, e.west + e.longitudeStep * 0.37},
                                {north, e.west + (e.columns - 1) * e.longitudeStep},
                                {e.south + e.latitudeStep / 3, e.west - 180},
                                {90, 0},
                                {-90, 720},
                                {NAN, 0},
                                {0, INFINITY}};
    for (const auto& point : points) {
        const double value = grid.Anomaly(point[0], point[1]);
        const double slack = 1e-9 * std::max(std::fabs(low), std::fabs(high));
        Check(std::isnan(value) || (value >= low - slack && value <= high + slack));
    }
    return 0;
}
