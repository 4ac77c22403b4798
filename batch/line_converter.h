// One line of points converted: read, checked, carried along the route and written as
// coordconv-cli writes it. The same for every line of a stream, and for a preview of a few.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "batch/options.h"
#include "batch/point_converter.h"
#include "batch/point_line.h"

namespace batch {

// What became of one line.
struct ConvertedLine {
    std::string_view text;  // the line without its end; a point's without a byte-order mark
    bool crlf = false;      // it ended in "\r\n"
    LineKind kind = LineKind::Error;
    std::array<double, 3> values{};    // the results of a point
    int zone = 0;                      // the zone used, for plane results
    std::array<FieldSpan, 3> spans{};  // where the coordinates stood (options.columns)
    std::string error;                 // what is wrong with a bad line
    const char* warning = nullptr;     // what is doubtful about a good point
};

class LineConverter {
  public:
    explicit LineConverter(const Options& options);

    // Converts one line given without its '\n'; lineNumber counts from 1 (headers, the
    // byte-order mark). The result is reused from line to line.
    void Convert(std::string_view line, std::uint64_t lineNumber, ConvertedLine& result) const;

    // The result for a line longer than MaxLineLength.
    static void Overlong(ConvertedLine& result);

    // Result i (0 to 2) of a point as the output writes it; room for MaxValueLength bytes.
    char* WriteValue(char* to, const ConvertedLine& point, int i) const;
    // The output line of a point, without its end: room for point.text.size() + MaxPointGrowth.
    char* WritePoint(char* to, const ConvertedLine& point) const;
    // True when the results carry the zone used (TO holds plane coordinates).
    bool WritesZone() const { return converter_.WritesZone(); }

    static constexpr std::size_t MaxValueLength = controller::MaxFixedLength + 1;
    static constexpr std::size_t MaxPointGrowth = 4 * MaxValueLength + 40;

  private:
    const Options options_;
    const PointConverter converter_;
    const bool readsDms_;
    const bool writesDms_;
    const bool picked_;
};

// Lets LineConverter see the mathematics library's reports (each thread its own), instead of
// the default line on standard error; for the rest of the process.
void CountMathErrors();

}  // namespace batch
