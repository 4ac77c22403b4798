#include "batch/line_converter.h"

#include <algorithm>

#include "batch/dms.h"
#include "batch/line_blocks.h"
#include "controller/number_text.h"
#include "engine/math_error.h"

namespace batch {

namespace {

// Reports of the mathematics library during one point, counted by the thread converting it.
thread_local int mathErrors = 0;
void CountMathError(const char*, const char*) {
    ++mathErrors;
}

}  // namespace

void CountMathErrors() {
    engine::SetMathErrorHandler(&CountMathError);
}

LineConverter::LineConverter(const Options& options)
    : options_(options),
      converter_(options),
      readsDms_(options.dms && Info(options.from).form == controller::CoordinateForm::Geodetic),
      writesDms_(options.dms && Info(options.to).form == controller::CoordinateForm::Geodetic),
      picked_(options.columns[0] != 0),
      rules_{readsDms_, options.columns, options.separator, options.decimalComma, options.encoding},
      // The output has a mark of its own, or is in Windows-1251, which has none.
      dropsMark_(options.encoding == Encoding::Utf8 &&
                 (options.bom || options.outputEncoding != Encoding::Utf8)) {}

void LineConverter::Convert(std::string_view line, std::uint64_t lineNumber,
                            ConvertedLine& result) const {
    if (line.size() > MaxLineLength) {
        Overlong(result);
        result.crlf = line.back() == '\r';
        return;
    }
    result.crlf = !line.empty() && line.back() == '\r';
    if (result.crlf) line.remove_suffix(1);
    result.text = line;  // a header or a comment keeps its byte-order mark
    result.warning = nullptr;
    result.error.clear();
    if (lineNumber == 1 && options_.encoding == Encoding::Utf8 &&
        line.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        line.remove_prefix(ByteOrderMark.size());
        if (dropsMark_) result.text = line;
    }
    if (lineNumber <= static_cast<std::uint64_t>(options_.skip)) {
        result.kind = LineKind::PassThrough;  // a header
        return;
    }
    result.kind = ReadPointLine(line, result.values, result.error, rules_, &result.layout);
    if (result.kind != LineKind::Point) return;
    result.text = line;  // the spans count from after the mark
    result.kind = LineKind::Error;
    const char* warning = nullptr;
    if (!(result.error = converter_.Check(result.values, warning)).empty()) return;
    mathErrors = 0;
    const char* routeWarning = nullptr;
    converter_.Convert(result.values, result.zone, result.error, routeWarning);
    if (!result.error.empty()) {
        return;
    } else if (options_.zone != 0 && converter_.WritesZone() && result.zone != options_.zone) {
        result.error = "zone " + std::to_string(options_.zone) +
                       " was asked for, the point is in zone " + std::to_string(result.zone);
    } else {
        result.kind = LineKind::Point;
        // The window's own words for its iteration near the centre, before ours.
        result.warning = mathErrors > 0 ? "asin: DOMAIN error (a point within about 21 km of "
                                          "the centre of the Earth)"
                         : routeWarning != nullptr ? routeWarning
                                                   : warning;
    }
}

void LineConverter::Overlong(ConvertedLine& result) {
    result = {};
    result.error = "longer than " + std::to_string(MaxLineLength) + " bytes";
}

char* LineConverter::WriteValue(char* to, const ConvertedLine& point, int i) const {
    if (!options_.decimalComma) return WriteNumber(to, point, i);
    char* const end = WriteNumber(to, point, i);
    std::replace(to, end, '.', ',');  // the number writers put a point
    return end;
}

char* LineConverter::WriteNumber(char* to, const ConvertedLine& point, int i) const {
    const bool fixed = options_.decimals >= 0;
    const int digits = fixed ? options_.decimals : options_.precision;
    const double value = point.values[i];
    if (i < 2 && writesDms_) return WriteDms(to, value);
    if (i < 2 && converter_.WritesPackedAngles()) {
        return controller::WritePackedAngle(to, value, digits, fixed);
    }
    return fixed ? controller::WriteFixed(to, value, digits)
                 : controller::WriteGeneral(to, value, digits);
}

char* LineConverter::WritePoint(char* to, const ConvertedLine& point) const {
    const auto writeZone = [&](char* at, std::string_view separator) {
        if (!converter_.WritesZone()) return at;
        at = std::copy(separator.begin(), separator.end(), at);
        return controller::WriteZone(at, point.zone);
    };
    if (!picked_ && !point.layout.keep) {
        for (int i = 0; i < 3; ++i) {
            if (i > 0) *to++ = ' ';
            to = WriteValue(to, point, i);
        }
        return writeZone(to, " ");
    }
    // The line as it stands, its three coordinates replaced (inside their quotes).
    const std::string_view line = point.text;
    const auto& spans = point.layout.spans;
    std::array<int, 3> order{0, 1, 2};
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return spans[a].start < spans[b].start; });
    std::size_t copied = 0;
    for (const int i : order) {
        to = std::copy(line.begin() + copied, line.begin() + spans[i].start, to);
        to = WriteValue(to, point, i);
        if (spans[i].fieldEnd != spans[i].end) {  // the closing quote
            to = std::copy(line.begin() + spans[i].end, line.begin() + spans[i].fieldEnd, to);
        }
        if (i == 2) to = writeZone(to, spans[2].separator);
        copied = spans[i].fieldEnd;
    }
    return std::copy(line.begin() + copied, line.end(), to);
}

bool LineConverter::Recode(std::string_view text, std::string& out, std::string& error) const {
    const Recoding recoding = batch::Recode(text, options_.encoding, options_.outputEncoding, out);
    if (!recoding.done()) error = Describe(recoding);
    return recoding.done();
}

std::string LineConverter::ErrorLine(std::uint64_t lineNumber, std::string_view error) const {
    return MessageIn(options_.outputEncoding,
                     "# error: line " + std::to_string(lineNumber) + ": " + std::string(error));
}

}  // namespace batch
