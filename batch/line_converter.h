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
    std::array<double, 3> values{};  // the results of a point
    int zone = 0;                    // the zone used, for plane results
    PointLayout layout;              // where the coordinates stood
    std::string error;               // what is wrong with a bad line
    const char* warning = nullptr;   // what is doubtful about a good point
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

    // True when the output's encoding is not the input's: every line written is recoded.
    bool Recodes() const { return options_.encoding != options_.outputEncoding; }
    // A line of the input's encoding (or a point's output line) appended to out in the
    // output's; false with error set at a byte or character that cannot be recoded.
    bool Recode(std::string_view text, std::string& out, std::string& error) const;
    // The line written for a bad line with --keep-going, in the output's encoding.
    std::string ErrorLine(std::uint64_t lineNumber, std::string_view error) const;

    static constexpr std::size_t MaxValueLength = controller::MaxFixedLength + 1;
    static constexpr std::size_t MaxPointGrowth = 4 * MaxValueLength + 40;

  private:
    // Result i with the point as its decimal separator.
    char* WriteNumber(char* to, const ConvertedLine& point, int i) const;

    const Options options_;
    const PointConverter converter_;
    const bool readsDms_;
    const bool writesDms_;
    const bool picked_;
    const LineRules rules_;
    const bool dropsMark_;  // an input's byte-order mark on line 1 is left out of the output
};

// Lets LineConverter see the mathematics library's reports (each thread its own), instead of
// the default line on standard error; for the rest of the process.
void CountMathErrors();

}  // namespace batch
