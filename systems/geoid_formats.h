// What the geoid grid readers share: the refusal they throw, the open file they read from,
// the extent checks every format passes, and big-endian numbers. Internal to
// coordconv_systems (not installed); ReadGeoidGrid in geoid_grid.cpp is its one user.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "systems/geoid_grid.h"

namespace systems::geoid {

// A file refused, thrown by the readers and caught by ReadGeoidGrid alone.
struct Refusal {
    GridFault fault;
    std::string reason;
};
[[noreturn]] void Refuse(std::string reason);  // GridFault::Malformed

// A grid as a reader found it, before it becomes a GeoidGrid.
struct Nodes {
    GeoidGrid::Extent extent;
    std::vector<float> values;  // rows × columns from the south row, each west to east
};

// The file being read: its size known before anything is allocated.
class File {
  public:
    explicit File(const std::string& path);  // throws Refusal (Unreadable)
    ~File();
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::uint64_t size() const { return size_; }
    // Exactly count bytes from offset; a short read of a file that is there is Malformed
    // with the reason "PART: …", an I/O error Unreadable.
    void Read(std::uint64_t offset, void* into, std::size_t count, std::string_view part);
    std::string ReadAll();

  private:
    std::FILE* file_ = nullptr;
    std::uint64_t size_ = 0;
};

// The limits every grid keeps, whatever its format.
inline constexpr double kMinStep = 1e-5;                // degrees
inline constexpr std::int64_t kMaxNodes = 400'000'000;  // 1.6 GB of float values
inline constexpr double kLargestValue = 1000;           // m; beyond it a value marks none

// Refuses an absurd extent, the reason starting with part ("header", "GeoTIFF").
void CheckExtent(const GeoidGrid::Extent& extent, std::string_view part);
// rows × columns, refused ("PART: R × C nodes, more than 400 million") beyond kMaxNodes or
// when either is below 2, before anything is allocated by it.
std::size_t CheckedNodes(std::int64_t rows, std::int64_t columns, std::string_view part);
std::vector<float> Allocate(std::size_t nodes);  // out of memory: Unreadable

// A number in C's form with nothing else around it (std::from_chars: no locale), or false.
bool ReadNumber(std::string_view text, double& value);
std::string Number(double value);           // shortest round-trip text, for reasons
std::string Quoted(std::string_view text);  // "text", cut to 40 bytes, for reasons

// A value as a float, NaN beyond a float's range (where the conversion is undefined).
inline float ToFloat(double value) {
    return std::fabs(value) <= std::numeric_limits<float>::max()
               ? static_cast<float>(value)
               : std::numeric_limits<float>::quiet_NaN();
}

// Big-endian unsigned integers of 2, 4 and 8 bytes.
inline std::uint64_t BigEndian(const unsigned char* bytes, int size) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i)
        value = value << 8 | bytes[i];
    return value;
}

// The readers, one a format, each on a file whose first bytes named it.
Nodes ReadGtx(File& file);
Nodes ReadPgm(File& file);
Nodes ReadIsg(File& file);
Nodes ReadGeoTiff(const std::string& path);

}  // namespace systems::geoid
