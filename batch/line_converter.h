// One line of points converted: read, checked, carried along the route and written as
// coordconv-cli writes it. The same for every line of a stream, and for a preview of a few.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "batch/conversion_options.h"
#include "batch/output_form.h"
#include "batch/point_converter.h"
#include "batch/point_line.h"

namespace batch {

// What became of one line.
struct ConvertedLine {
    // The line without its end, as it stood; a point's without a byte-order mark. Empty for a
    // line longer than MaxLineLength, which is not kept.
    std::string_view text;
    bool crlf = false;  // it ended in "\r\n"
    LineKind kind = LineKind::Error;
    std::array<double, 3> values{};  // the results of a point
    int zone = 0;                    // the zone used, for plane results
    PointLayout layout;              // where the coordinates stood
    std::string error;               // what is wrong with a bad line
    const char* warning = nullptr;   // what is doubtful about a good point
    bool marked = false;             // a point on line 1 whose byte-order mark the output keeps
};

class LineConverter {
  public:
    explicit LineConverter(const ConversionOptions& options);

    // Converts one line given without its '\n'; lineNumber counts from 1 (headers, the
    // byte-order mark). The result is reused from line to line. A header (options.skip) that
    // splits as `points`, the layout of the first point line, becomes a LineKind::Header; with
    // no layout every header passes through.
    void Convert(std::string_view line, std::uint64_t lineNumber, ConvertedLine& result,
                 const FieldLayout* points = nullptr) const;

    // The layout of the first line past the headers that is neither empty nor a comment, among
    // the lines of text (the first numbered firstLine); none when text holds no such line.
    std::optional<FieldLayout> FirstPointLayout(std::string_view text,
                                                std::uint64_t firstLine) const;

    // The result for a line longer than MaxLineLength.
    void Overlong(ConvertedLine& result) const;

    // Result i (0 to 2) of a point as the output writes it; room for MaxValueLength bytes.
    char* WriteValue(char* to, const ConvertedLine& point, int i) const;
    // The output line of a point, without its end: room for point.text.size() + MaxPointGrowth.
    char* WritePoint(char* to, const ConvertedLine& point) const;
    // The output line of a header (LineKind::Header): the names of TO's coordinates and zone in
    // place of the fields that would hold them, as WritePoint places the results; room for
    // header.text.size() + MaxPointGrowth.
    char* WriteHeader(char* to, const ConvertedLine& header) const;
    // True when the results carry the zone used (TO holds plane coordinates).
    bool WritesZone() const { return converter_.WritesZone(); }

    // True when the output's encoding is not the input's: every line written is recoded.
    // True when lines pass through Recode: into another encoding, or into an output whose
    // byte-order mark declares it UTF-8, which the text passing through must then be.
    bool Recodes() const {
        return options_.encoding != options_.outputEncoding ||
               (options_.bom && options_.encoding == Encoding::Utf8);
    }
    // A line of the input's encoding (or a point's output line) appended to out in the
    // output's; false with error set at a byte or character that cannot be recoded.
    bool Recode(std::string_view text, std::string& out, std::string& error) const;
    // The line written for a bad line with --keep-going, in the output's encoding: the line as
    // it stood and " # error: " with what is wrong, or for a line not kept (too long)
    // "# error: line N: " with it (Russian: " # ошибка: ", "# ошибка: строка N: ").
    std::string BadLine(const ConvertedLine& line, std::uint64_t lineNumber) const;

    static constexpr std::size_t MaxValueLength = controller::MaxFixedLength + 1;
    static constexpr std::size_t MaxPointGrowth = 4 * MaxValueLength + 40;

  private:
    // Result i with the point as its decimal separator.
    char* WriteNumber(char* to, const ConvertedLine& point, int i) const;

    // A line of results: the coordinates (each written by coordinate(to, i)) and the zone
    // (zone(to)) joined by the output separator, or put in place of the fields they came from.
    template <typename WriteCoordinate, typename WriteZone>
    char* WriteLine(char* to, const ConvertedLine& line, WriteCoordinate coordinate,
                    WriteZone zone) const;

    const ConversionOptions options_;
    const PointConverter converter_;
    const bool readsDms_;
    const bool writesAngles_;  // TO holds latitudes and longitudes
    const bool writesDms_;
    const bool picked_;
    const LineRules rules_;
    const bool dropsMark_;  // an input's byte-order mark on line 1 is left out of the output
    const std::string_view separator_;  // between the values of a line without --columns
    const ResultNames& names_;          // of TO's coordinates and zone, for headers
    std::string zoneName_;              // names_.zone in the input's encoding
};

// Lets LineConverter see the mathematics library's reports (each thread its own), instead of
// the default line on standard error; for the rest of the process.
void CountMathErrors();

}  // namespace batch
