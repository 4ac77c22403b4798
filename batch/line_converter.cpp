#include "batch/line_converter.h"

#include <algorithm>

#include "batch/dms.h"
#include "batch/line_blocks.h"
#include "batch/output_form.h"
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

LineConverter::LineConverter(const ConversionOptions& options)
    : options_(options),
      converter_(options),
      readsDms_(options.dms && options.from.form == controller::CoordinateForm::Geodetic),
      writesAngles_(options.to.form == controller::CoordinateForm::Geodetic),
      writesDms_(writesAngles_ && WrittenAngles(options) == AngleText::Dms),
      picked_(options.columns[0] != 0),
      rules_{readsDms_,        options.columns, options.separator, options.decimalComma,
             options.encoding, options.language},
      // The output has a mark of its own, or is in Windows-1251, which has none.
      dropsMark_(options.encoding == Encoding::Utf8 &&
                 (options.bom || options.outputEncoding != Encoding::Utf8)),
      separator_(OutputSeparator(options.separator)),
      names_(NamesOf(options.to.form)) {
    // A header is written in the input's encoding and recoded with the rest of the output.
    batch::Recode(names_.zone, Encoding::Utf8, options.encoding, zoneName_);
}

void LineConverter::Convert(std::string_view line, std::uint64_t lineNumber, ConvertedLine& result,
                            const FieldLayout* points) const {
    if (line.size() > MaxLineLength) {
        Overlong(result);
        result.crlf = line.back() == '\r';
        return;
    }
    result.crlf = !line.empty() && line.back() == '\r';
    if (result.crlf) line.remove_suffix(1);
    result.text = line;  // a header, a comment or a bad line keeps its byte-order mark
    result.warning = nullptr;
    result.marked = false;
    result.error.clear();
    const std::string_view unmarked = lineNumber == 1 && options_.encoding == Encoding::Utf8 &&
                                              line.substr(0, ByteOrderMark.size()) == ByteOrderMark
                                          ? line.substr(ByteOrderMark.size())
                                          : line;
    if (dropsMark_) result.text = unmarked;
    // UTF-16's byte-order mark, little- or big-endian: every other byte of it is a NUL.
    if (lineNumber == 1 && (line.starts_with("\xFF\xFE") || line.starts_with("\xFE\xFF"))) {
        result.kind = LineKind::Error;
        result.error = Message(options_.language, MessageId::Utf16, {});
        return;
    }
    if (lineNumber <= static_cast<std::uint64_t>(options_.skip)) {
        // A header whose fields split as the points' gets their names, and keeps its mark.
        result.kind =
            points != nullptr && FindCoordinateFields(unmarked, rules_, *points, result.layout)
                ? LineKind::Header
                : LineKind::PassThrough;
        // A point among the headers is the user's miscount; say so, since it stays as it is.
        std::array<double, 3> values;
        std::string error;
        if (ReadPointLine(unmarked, values, error, rules_) == LineKind::Point)
            result.warning = MessageText(options_.language, MessageId::SkippedPoint);
        // The zone's name is Cyrillic: it cannot join a header that is not UTF-8 unread.
        if (result.kind == LineKind::Header && WritesZone() &&
            options_.encoding == Encoding::Utf8 &&
            !batch::Recode(unmarked, Encoding::Utf8, Encoding::Utf8, error).done()) {
            result.kind = LineKind::Error;
            result.error = MessageText(options_.language, MessageId::NotUtf8);
            return;
        }
        const std::size_t mark = result.text.size() - unmarked.size();
        for (FieldSpan& span : result.layout.spans) {
            span.start += mark;
            span.end += mark;
            span.fieldEnd += mark;
        }
        return;
    }
    // A bad line keeps its text as it stood (--keep-going writes it so); a point's counts
    // from after the mark, as its spans do.
    // A spreadsheet's row keeps its mark, for Excel; three bare numbers are written anew.
    result.marked = picked_ && !dropsMark_ && unmarked.size() != line.size();
    line = unmarked;
    result.kind = ReadPointLine(line, result.values, result.error, rules_, &result.layout);
    if (result.kind != LineKind::Point) return;
    result.kind = LineKind::Error;
    const char* warning = nullptr;
    if (!(result.error = converter_.Check(result.values, warning)).empty()) return;
    mathErrors = 0;
    const char* routeWarning = nullptr;
    converter_.Convert(result.values, result.zone, result.error, routeWarning);
    if (!result.error.empty()) {
        return;
    } else if (const int asked = converter_.TargetZone();
               asked != 0 && converter_.WritesZone() && result.zone != asked) {
        result.error = Message(
            options_.language, MessageId::OtherZone,
            {systems::ZoneText(options_.to, asked), systems::ZoneText(options_.to, result.zone)});
    } else {
        result.kind = LineKind::Point;
        result.text = line;
        // The window's own words for its iteration near the centre, before ours.
        result.warning = mathErrors > 0
                             ? MessageText(options_.language, MessageId::WindowDomainError)
                         : routeWarning != nullptr ? routeWarning
                                                   : warning;
    }
}

std::optional<FieldLayout> LineConverter::FirstPointLayout(std::string_view text,
                                                           std::uint64_t firstLine) const {
    const auto skip = static_cast<std::uint64_t>(options_.skip);
    for (std::uint64_t number = firstLine;; ++number) {
        if (text.empty()) return std::nullopt;
        const std::size_t newline = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, newline);
        text.remove_prefix(std::min(newline + 1, text.size()));
        if (number <= skip) continue;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const FieldLayout layout = LayoutOf(line, rules_);
        if (layout.count > 0) return layout;
    }
}

void LineConverter::Overlong(ConvertedLine& result) const {
    result = {};
    result.error =
        Message(options_.language, MessageId::LongerThan, {std::to_string(MaxLineLength)});
}

char* LineConverter::WriteValue(char* to, const ConvertedLine& point, int i) const {
    if (!options_.decimalComma) return WriteNumber(to, point, i);
    char* const end = WriteNumber(to, point, i);
    std::replace(to, end, '.', ',');  // the number writers put a point
    return end;
}

char* LineConverter::WriteNumber(char* to, const ConvertedLine& point, int i) const {
    const double value = point.values[i];
    const bool angle = i < 2 && writesAngles_;
    const int decimals = angle ? options_.angleDecimals : options_.decimals;
    const bool fixed = decimals >= 0;
    if (angle && writesDms_) return WriteDms(to, value, fixed ? decimals : DmsDecimals);
    if (angle && converter_.WritesPackedAngles()) {
        return controller::WritePackedAngle(to, value, fixed ? decimals : options_.precision,
                                            fixed);
    }
    return fixed ? controller::WriteFixed(to, value, decimals)
                 : controller::WriteGeneral(to, value, options_.precision);
}

template <typename WriteCoordinate, typename WriteZone>
char* LineConverter::WriteLine(char* to, const ConvertedLine& line, WriteCoordinate coordinate,
                               WriteZone zone) const {
    if (!picked_ && !line.layout.keep) {
        for (int i = 0; i < 3; ++i) {
            if (i > 0) to = std::copy(separator_.begin(), separator_.end(), to);
            to = coordinate(to, i);
        }
        if (!converter_.WritesZone()) return to;
        return zone(std::copy(separator_.begin(), separator_.end(), to));
    }
    // The line as it stands, its three coordinates replaced (inside their quotes).
    const std::string_view text = line.text;
    const auto& spans = line.layout.spans;
    std::array<int, 3> order{0, 1, 2};
    std::sort(order.begin(), order.end(),
              [&](int a, int b) { return spans[a].start < spans[b].start; });
    std::size_t copied = 0;
    for (const int i : order) {
        to = std::copy(text.begin() + copied, text.begin() + spans[i].start, to);
        to = coordinate(to, i);
        // The closing quote, if any; a zone goes after it, in a field of its own.
        to = std::copy(text.begin() + spans[i].end, text.begin() + spans[i].fieldEnd, to);
        if (i == 2 && converter_.WritesZone()) {
            to = zone(std::copy(spans[2].separator.begin(), spans[2].separator.end(), to));
        }
        copied = spans[i].fieldEnd;
    }
    return std::copy(text.begin() + copied, text.end(), to);
}

char* LineConverter::WritePoint(char* to, const ConvertedLine& point) const {
    if (point.marked) to = std::copy(ByteOrderMark.begin(), ByteOrderMark.end(), to);
    return WriteLine(
        to, point, [&](char* at, int i) { return WriteValue(at, point, i); },
        [&](char* at) {
            // UTM's zones carry their hemisphere: "37N".
            if (options_.to.zones != systems::Zones::Utm)
                return controller::WriteZone(at, point.zone);
            const std::string zone = systems::ZoneText(options_.to, point.zone);
            return std::copy(zone.begin(), zone.end(), at);
        });
}

char* LineConverter::WriteHeader(char* to, const ConvertedLine& header) const {
    const auto name = [](char* at, std::string_view text) {
        return std::copy(text.begin(), text.end(), at);
    };
    // Written as the points are; a mark kept stays in front of names joined anew.
    const bool marked = options_.encoding == Encoding::Utf8 &&
                        header.text.substr(0, ByteOrderMark.size()) == ByteOrderMark;
    if (!picked_ && !header.layout.keep && marked) to = name(to, ByteOrderMark);
    return WriteLine(
        to, header, [&](char* at, int i) { return name(at, names_.coordinates[i]); },
        [&](char* at) { return name(at, zoneName_); });
}

bool LineConverter::Recode(std::string_view text, std::string& out, std::string& error) const {
    const Recoding recoding = batch::Recode(text, options_.encoding, options_.outputEncoding, out);
    if (!recoding.done()) error = Describe(recoding, options_.language);
    return recoding.done();
}

std::string LineConverter::BadLine(const ConvertedLine& line, std::uint64_t lineNumber) const {
    const Encoding to = options_.outputEncoding;
    if (line.text.empty()) {
        return MessageIn(to, Message(options_.language, MessageId::ErrorMarkOfLine,
                                     {std::to_string(lineNumber), line.error}));
    }
    std::string written;
    if (!Recodes()) {
        written = line.text;
    } else if (!batch::Recode(line.text, options_.encoding, to, written).done()) {
        // Bytes of no character, or characters the output lacks: shown, so that none is lost.
        written = MessageIn(to, ShownAsUtf8(line.text, options_.encoding, line.text.size()));
    }
    return written + MessageIn(to, Message(options_.language, MessageId::ErrorMark, {line.error}));
}

}  // namespace batch
