#include "batch/detect.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

#include "batch/dms.h"
#include "controller/number_text.h"
#include "engine/zones.h"

namespace batch {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A line that is no point and no header: empty, blank, or a '#' comment.
bool IsComment(std::string_view line) {
    const auto first = line.find_first_not_of(" \t");
    return first == std::string_view::npos || line[first] == '#';
}

struct Field {
    std::string_view text;   // as written, blanks around it left out
    std::string_view value;  // inside its quotes, if quoted
    bool broken = false;     // a quote without its closing one, or text after that
};

// The fields of a line split at the separator alone (Blank: at runs of blanks and tabs). A
// field that starts with a double quote runs to the matching one, separators inside it
// included, "" standing for one quote (RFC 4180, section 2).
std::vector<Field> SplitFields(std::string_view line, Separator separator) {
    const char mark = SeparatorMark(separator);
    const auto isFiller = [&](char c) { return IsBlank(c) && c != mark; };
    std::vector<Field> fields;
    std::size_t at = 0;
    while (true) {
        while (at < line.size() && isFiller(line[at]))
            ++at;
        const std::size_t start = at;
        std::size_t valueStart = at, valueEnd = at;
        if (at < line.size() && line[at] == '"') {
            std::size_t close = at + 1;
            while (close < line.size() &&
                   !(line[close] == '"' && (close + 1 == line.size() || line[close + 1] != '"')))
                close += line[close] == '"' ? 2 : 1;
            valueStart = at + 1;
            valueEnd = std::min(close, line.size());
            at = std::min(close + 1, line.size());
        }
        const bool quoted = valueStart != start;
        const std::size_t afterQuote = at;
        while (at < line.size() && !(mark == 0 ? IsBlank(line[at]) : line[at] == mark))
            ++at;
        std::size_t end = at;
        while (end > start && isFiller(line[end - 1]))
            --end;
        const std::string_view text = line.substr(start, end - start);
        const bool broken = quoted && (valueEnd == line.size() || end > afterQuote);
        fields.push_back(
            {text, quoted ? line.substr(valueStart, valueEnd - valueStart) : text, broken});
        if (mark == 0) {
            while (at < line.size() && IsBlank(line[at]))
                ++at;
            if (at == line.size()) break;
        } else {
            if (at == line.size()) break;
            ++at;  // past the separator: a separator at the end leaves an empty field
        }
    }
    return fields;
}

// A field that is a whole finite number, with a decimal comma ("554530,5") when allowed.
std::optional<double> ReadNumber(std::string_view text, bool decimalComma) {
    double value = 0;
    if (controller::ReadStrictReal(text, value) == controller::StrictReal::Number) return value;
    if (!decimalComma || text.find(',') == std::string_view::npos) return std::nullopt;
    std::string buffer;
    if (controller::ReadStrictReal(WithDecimalPoint(text, buffer), value) ==
        controller::StrictReal::Number)
        return value;
    return std::nullopt;
}

// What a line of the input holds, split at the chosen separator.
struct Line {
    int number = 0;  // from 1, as --skip counts lines
    std::vector<Field> fields;
};

// A coordinate of a point of the system's form: a number or, for latitudes and longitudes,
// degrees, minutes and seconds.
struct CoordinateReader {
    controller::CoordinateForm form;
    bool decimalComma = false;
    // Plane coordinates whose eastings carry their zone in the millions: the scheme (none
    // for UTM's and a single projection's, which carry no zone).
    const engine::ZoneScheme* zones = nullptr;

    struct Value {
        double value = 0;
        bool number = true;  // false: degrees, minutes and seconds
    };

    // A coordinate; the first two of a geodetic point, a latitude and a longitude, may be in
    // degrees, minutes and seconds.
    std::optional<Value> Read(const Field& field, int coordinate) const {
        if (auto number = ReadNumber(field.value, decimalComma)) return Value{*number};
        if (form != controller::CoordinateForm::Geodetic || coordinate == 2) return std::nullopt;
        // 55°45'30,5" with a decimal comma
        std::string buffer;
        const std::string_view text =
            decimalComma ? WithDecimalPoint(field.value, buffer) : field.value;
        double degrees = 0;
        MessageId why{};
        if (ReadDms(text, coordinate == 0, degrees, why)) return Value{degrees, false};
        return std::nullopt;
    }

    // The three fields from `first` (from 0) read as a point, the latitude and longitude in
    // the same form; nothing when they cannot be read so.
    std::optional<std::array<double, 3>> ReadRun(const std::vector<Field>& fields,
                                                 std::size_t first) const {
        if (first + 3 > fields.size()) return std::nullopt;
        std::array<Value, 3> read;
        for (std::size_t k = 0; k < 3; ++k) {
            if (fields[first + k].broken) return std::nullopt;
            const auto value = Read(fields[first + k], static_cast<int>(k));
            if (!value) return std::nullopt;
            read[k] = *value;
        }
        if (read[0].number != read[1].number) return std::nullopt;
        return std::array<double, 3>{read[0].value, read[1].value, read[2].value};
    }

    // Three values that may be a point: a height within 100 km of the ellipsoid, an easting
    // with a zone (1–60) in its millions and a northing within the pole's 10 002 km, a
    // geocentric point within 200 km of the surface. A point number before the coordinates
    // ("1 6182646.45 7413154.15 100") would make the northing a height.
    bool Plausible(const std::array<double, 3>& v) const {
        constexpr double kHighest = 100e3, kNearest = 6.15e6, kFarthest = 6.6e6, kPole = 10.003e6;
        switch (form) {
            case controller::CoordinateForm::Geocentric: {
                const double radius = std::hypot(v[0], v[1], v[2]);
                return radius > kNearest && radius < kFarthest;
            }
            case controller::CoordinateForm::Geodetic:
                return std::fabs(v[2]) < kHighest;
            case controller::CoordinateForm::Plane: {
                // Without zones in the eastings any plane point within 100 000 km will do.
                constexpr double kFarthestPlane = 1e8;
                if (zones == nullptr) {
                    return std::fabs(v[2]) < kHighest && std::fabs(v[0]) < kFarthestPlane &&
                           std::fabs(v[1]) < kFarthestPlane;
                }
                const double zone = std::floor(std::fabs(v[1]) / 1e6);
                return std::fabs(v[2]) < kHighest && std::fabs(v[0]) < kPole && zone >= 1 &&
                       zone <= zones->zones;
            }
        }
        return false;
    }

    // The first field (from 1) of three in a row that read as coordinates and can be a
    // point, else of the first three that read at all; 0 when none do. A whole number below
    // 10 000 first, before three that can be a point, is its number ("7 55.75 37.6 150").
    int FirstRun(const std::vector<Field>& fields) const {
        int first = 0;
        for (std::size_t i = 0; i < fields.size() && !fields[i].broken; ++i) {
            const auto run = ReadRun(fields, i);
            if (!run) continue;
            const auto next = ReadRun(fields, i + 1);
            const bool pointNumber = first == 0 && std::fabs((*run)[0]) < 10000 &&
                                     (*run)[0] == std::trunc((*run)[0]) && next && Plausible(*next);
            if (Plausible(*run) && !pointNumber) return static_cast<int>(i) + 1;
            if (first == 0) first = static_cast<int>(i) + 1;
        }
        return first;
    }
};

template <typename Key>
Key MostCommon(const std::map<Key, int>& counts) {
    return std::max_element(counts.begin(), counts.end(),
                            [](const auto& a, const auto& b) { return a.second < b.second; })
        ->first;
}

// The separator that splits most lines into the same number of fields, three at least, and
// some line into three that can be coordinates (reading decimal commas unless it is the
// comma); on a tie the first of semicolon, tab, comma, blank (so "P 1;554530,5;373700;100"
// is four fields apart by semicolons, and "55.75, 37.6, 100" three apart by commas).
Guessed<Separator> ChooseSeparator(const std::vector<std::string_view>& lines,
                                   const CoordinateReader& prototype) {
    Guessed<Separator> best{Separator::Auto, {Clue::NoPointLines}};
    for (const Separator separator :
         {Separator::Semicolon, Separator::Tab, Separator::Comma, Separator::Blank}) {
        CoordinateReader reader = prototype;
        reader.decimalComma = separator != Separator::Comma;
        std::map<int, int> linesOfCount;
        bool points = false;
        for (const std::string_view line : lines) {
            const std::vector<Field> fields = SplitFields(line, separator);
            if (fields.size() < 3) continue;
            ++linesOfCount[static_cast<int>(fields.size())];
            points = points || reader.FirstRun(fields) != 0;
        }
        if (!points) continue;
        const int fields = MostCommon(linesOfCount);
        const int count = linesOfCount[fields];
        if (count > best.reason.count) {
            best = {separator, {Clue::FieldsAlike}};
            best.reason.count = count;
            best.reason.total = static_cast<int>(lines.size());
            best.reason.fields = fields;
        }
    }
    return best;
}

// The values of latitudes and longitudes as packed DDDMMSS.sss and as degrees.
struct AngleEvidence {
    const Line* line = nullptr;
    int field = 0;
    const Field* text = nullptr;
    double value = 0;
};

bool IsPackedAngle(double value, bool latitude) {
    const double magnitude = std::fabs(value);
    const double degrees = std::floor(magnitude / 10000);
    const double minutes = std::floor(magnitude / 100) - degrees * 100;
    const double seconds = magnitude - degrees * 10000 - minutes * 100;
    if (minutes >= 60 || seconds >= 60) return false;
    const double angle = degrees + minutes / 60 + seconds / 3600;
    // The window writes southern latitudes as 270°–360°.
    return latitude ? angle <= 90 || (angle >= 270 && angle < 360) : angle <= 360;
}

bool IsDegrees(double value, bool latitude) {
    return std::fabs(value) <= (latitude ? 90 : 360);
}

Reason Example(Clue clue, const AngleEvidence& at, bool guess = false) {
    Reason reason{clue, at.line->number, at.field};
    reason.sample = std::string(at.text->value);
    reason.guess = guess;
    return reason;
}

Guessed<AngleReading> ChooseAngles(const std::vector<const Line*>& points, const Columns& columns,
                                   const CoordinateReader& reader) {
    const AngleEvidence* notDegrees = nullptr;
    const AngleEvidence* notPacked = nullptr;
    const AngleEvidence* smallFraction = nullptr;
    std::vector<AngleEvidence> angles;
    for (const Line* line : points) {
        for (int k = 0; k < 2; ++k) {
            const Field& field = line->fields[columns[k] - 1];
            const auto number = ReadNumber(field.value, reader.decimalComma);
            AngleEvidence here{line, columns[k], &field, number.value_or(0)};
            if (!number) return {AngleReading::Dms, Example(Clue::DmsMarks, here)};
            angles.push_back(here);
        }
    }
    for (std::size_t i = 0; i < angles.size(); ++i) {
        const AngleEvidence& at = angles[i];
        const bool latitude = i % 2 == 0;
        if (!notDegrees && !IsDegrees(at.value, latitude)) notDegrees = &at;
        if (!notPacked && !IsPackedAngle(at.value, latitude)) notPacked = &at;
        // A packed latitude has five digits before the point unless within 1° of the equator.
        if (!smallFraction && std::fabs(at.value) < 10000 && at.value != std::trunc(at.value))
            smallFraction = &at;
    }
    if (notDegrees && notPacked)
        return {AngleReading::Packed, Example(Clue::NeitherReading, *notPacked, true)};
    if (notDegrees) return {AngleReading::Packed, Example(Clue::NotDegrees, *notDegrees)};
    if (notPacked) return {AngleReading::Degrees, Example(Clue::NotPacked, *notPacked)};
    if (smallFraction) return {AngleReading::Degrees, Example(Clue::SmallFraction, *smallFraction)};
    Reason both{Clue::BothReadings};
    both.guess = true;
    return {AngleReading::Packed, both};
}

// Plane coordinates: the easting carries its zone in its millions.
// A northing x and an easting y in metres that lie within y's zone or 1° beyond its edges
// (4° from the axial meridian of a six-degree zone: 4 · 111.3 km · cos B, B from x along the
// meridian roughly).
bool WithinZone(const engine::ZoneScheme& scheme, double x, double y) {
    constexpr double kQuadrant = 10.002e6, kMetresPerDegree = 111.3e3;
    const double reach = scheme.width / 2 + 1;
    const double zone = std::floor(y / 1e6);
    if (!(zone >= 1 && zone <= scheme.zones) || !(std::fabs(x) < kQuadrant)) return false;
    const double latitude = std::fabs(x) / kQuadrant * M_PI / 2;
    const double central = engine::CentralEasting(scheme, static_cast<std::int64_t>(zone));
    return std::fabs(y - central) <= reach * kMetresPerDegree * std::cos(latitude);
}

Reason CheckZones(const std::vector<const Line*>& points, const Columns& columns,
                  const CoordinateReader& reader) {
    const int largest = reader.zones->zones;
    int lowest = largest, highest = 1;
    for (const Line* line : points) {
        const Field& field = line->fields[columns[1] - 1];
        const double easting = ReadNumber(field.value, reader.decimalComma).value_or(0);
        const double zone = std::floor(std::fabs(easting) / 1e6);
        if (zone < 1 || zone > largest) {
            Reason reason{Clue::EastingWithoutZone, line->number, columns[1]};
            reason.sample = std::string(field.value);
            reason.count = largest;
            return reason;
        }
        lowest = std::min(lowest, static_cast<int>(zone));
        highest = std::max(highest, static_cast<int>(zone));
    }
    Reason reason{Clue::EastingZones};
    reason.fields = lowest;
    reason.count = highest;
    return reason;
}

}  // namespace

Detection DetectOptions(std::string_view head, const systems::System& from) {
    Detection detection;
    // Whole lines of the first DetectBytes, unless the input ends within them.
    if (head.size() > DetectBytes) {
        const auto lastEnd = head.substr(0, DetectBytes).rfind('\n');
        head = head.substr(0, lastEnd == std::string_view::npos ? DetectBytes : lastEnd + 1);
    }
    if (head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);  // the UTF-8 byte-order mark
    // Excel's "Unicode Text" is UTF-16: a byte-order mark, or without one a NUL beside every
    // ASCII character. No text of points holds a NUL.
    if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF") ||
        head.find('\0') != std::string_view::npos) {
        detection.utf16 = true;
        return detection;
    }
    std::string converted;
    if (const Recoding utf8 = Recode(head, Encoding::Utf8, Encoding::Utf8, converted);
        !utf8.done()) {
        Reason reason{Clue::NotUtf8};
        reason.line = 1 + static_cast<int>(std::count(head.begin(), head.begin() + utf8.at, '\n'));
        detection.encoding = {Encoding::Windows1251, reason};
        converted = ShownAsUtf8(head, Encoding::Windows1251, head.size());
        head = converted;
    } else {
        const bool ascii = std::all_of(head.begin(), head.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        detection.encoding = {Encoding::Utf8, {ascii ? Clue::AsciiOnly : Clue::ValidUtf8}};
    }

    std::vector<std::string_view> texts;  // the lines that are no comments
    std::vector<int> numbers;
    for (int number = 1; !head.empty() && number <= DetectLines; ++number) {
        const auto end = std::min(head.find('\n'), head.size());
        std::string_view line = head.substr(0, end);
        head.remove_prefix(std::min(end + 1, head.size()));
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        detection.linesLooked = number;
        if (IsComment(line)) continue;
        texts.push_back(line);
        numbers.push_back(number);
    }
    Reason nothing{Clue::NoPointLines};
    nothing.total = detection.linesLooked;
    detection.skip = {0, nothing};
    detection.decimalComma = {false, nothing};
    detection.columns = {{}, nothing};
    // The eastings of zones that carry them in their millions.
    const engine::ZoneScheme* zones = from.form == controller::CoordinateForm::Plane &&
                                              from.zones != systems::Zones::None &&
                                              from.scheme.zoneInEasting
                                          ? &from.scheme
                                          : nullptr;
    detection.separator = ChooseSeparator(texts, {from.form, false, zones});
    if (detection.separator.value == Separator::Auto) {
        detection.separator.reason = nothing;
        return detection;
    }

    std::vector<Line> lines;
    for (std::size_t i = 0; i < texts.size(); ++i)
        lines.push_back({numbers[i], SplitFields(texts[i], detection.separator.value)});

    // Russian spreadsheets write "554530,5" in fields apart by semicolons, tabs or blanks.
    // So do they in seconds: 55°45'30,5".
    detection.decimalComma = {false, {Clue::DecimalPoint}};
    const CoordinateReader withComma{from.form, true, zones}, withPoint{from.form, false, zones};
    const auto readsWithComma = [&](const Field& f) {
        for (int coordinate = 0; coordinate < 2; ++coordinate) {
            if (withComma.Read(f, coordinate) && !withPoint.Read(f, coordinate)) return true;
        }
        return false;
    };
    for (const Line& line : lines) {
        if (detection.separator.value == Separator::Comma) break;
        const auto comma = std::find_if(line.fields.begin(), line.fields.end(), readsWithComma);
        if (comma == line.fields.end()) continue;
        Reason reason{Clue::DecimalComma, line.number,
                      static_cast<int>(comma - line.fields.begin()) + 1};
        reason.sample = std::string(comma->value);
        detection.decimalComma = {true, reason};
        break;
    }

    const CoordinateReader reader{from.form, detection.decimalComma.value, zones};
    std::map<int, int> linesOfStart;  // the first field of the coordinates: lines that say so
    std::map<int, int> linesOfCount;
    for (const Line& line : lines) {
        if (const int start = reader.FirstRun(line.fields)) {
            ++linesOfStart[start];
            ++linesOfCount[static_cast<int>(line.fields.size())];
        }
    }
    if (linesOfStart.empty()) {
        detection.separator = {Separator::Auto, nothing};
        return detection;
    }
    const int start = MostCommon(linesOfStart);
    Columns columns{start, start + 1, start + 2};
    const bool wholeLine = start == 1 && MostCommon(linesOfCount) == 3;
    // A line is read up to its last coordinate: no quote before that may be broken.
    const auto isPoint = [&](const Line& line) {
        const auto first = static_cast<std::size_t>(start - 1);
        return (!wholeLine || line.fields.size() == 3) && reader.ReadRun(line.fields, first) &&
               std::none_of(line.fields.begin(), line.fields.begin() + first,
                            [](const Field& f) { return f.broken; });
    };
    // The header ends at the first line that holds coordinates anywhere, even one that will
    // not read with these options: that is a bad line to be named, not a header to be copied.
    const auto headerEnd = std::find_if(
        lines.begin(), lines.end(), [&](const Line& line) { return reader.FirstRun(line.fields); });
    const auto firstPoint = std::find_if(headerEnd, lines.end(), isPoint);
    detection.firstPointLine = firstPoint->number;
    std::vector<const Line*> points;
    for (auto line = firstPoint; line != lines.end(); ++line) {
        if (isPoint(*line)) points.push_back(&*line);
    }
    if (wholeLine) {
        detection.columns = {{}, {Clue::WholeLine, firstPoint->number}};
    } else {
        Reason reason{Clue::FirstNumbersInRow, firstPoint->number, start};
        reason.count = static_cast<int>(points.size());
        detection.columns = {columns, reason};
    }
    // GNSS and GIS exports write the easting first ("Easting,Northing"): when values that
    // both carry zones read as lying within them more often swapped, they are.
    if (reader.zones != nullptr) {
        int straight = 0, swapped = 0;
        bool zoned = true;  // an easting without its zone's millions is another matter
        for (const Line* line : points) {
            const auto v = reader.ReadRun(line->fields, static_cast<std::size_t>(start - 1));
            straight += WithinZone(*reader.zones, (*v)[0], (*v)[1]);
            swapped += WithinZone(*reader.zones, (*v)[1], (*v)[0]);
            zoned = zoned && std::fabs((*v)[1]) >= 1e6;
        }
        if (zoned && swapped > straight) {
            columns = {start + 1, start, start + 2};
            Reason reason{Clue::EastingFirst, firstPoint->number, start};
            reason.count = swapped;
            detection.columns = {columns, reason};
        }
    }
    if (headerEnd == lines.begin()) {
        detection.skip = {0, {Clue::NoHeader, headerEnd->number}};
    } else {
        const Line& last = *(headerEnd - 1);
        Reason reason{Clue::HeaderLines, last.number, start};
        if (static_cast<int>(last.fields.size()) >= start) {
            reason.sample = std::string(last.fields[start - 1].value);
        }
        detection.skip = {last.number, reason};
    }

    switch (reader.form) {
        case controller::CoordinateForm::Geodetic:
            detection.angles = ChooseAngles(points, columns, reader);
            break;
        case controller::CoordinateForm::Plane:
            if (reader.zones != nullptr) detection.zones = CheckZones(points, columns, reader);
            break;
        case controller::CoordinateForm::Geocentric:
            break;
    }
    return detection;
}

namespace {

// Each guess as the option that sets it ("--skip 1"), or a few words where the default stands.
std::vector<std::pair<std::string, const Reason*>> OptionsAndReasons(const Detection& d) {
    // In the order of Separator, Encoding and AngleReading.
    constexpr std::array<const char*, 5> kSeparators = {"auto", "semicolon", "comma", "tab",
                                                        "blank"};
    constexpr std::array<const char*, 2> kEncodings = {"utf-8", "windows-1251"};
    constexpr std::array<const char*, 3> kAngles = {"packed", "degrees", "dms"};
    const auto name = [](const auto& names, auto value) {
        return std::string(names[static_cast<std::size_t>(value)]);
    };
    std::vector<std::pair<std::string, const Reason*>> lines;
    lines.emplace_back("--encoding " + name(kEncodings, d.encoding.value), &d.encoding.reason);
    lines.emplace_back("--separator " + name(kSeparators, d.separator.value), &d.separator.reason);
    if (d.separator.value == Separator::Auto) return lines;
    lines.emplace_back(d.decimalComma.value ? "--decimal-comma" : "decimal point",
                       &d.decimalComma.reason);
    lines.emplace_back(
        d.skip.value == 0 ? std::string("no --skip") : "--skip " + std::to_string(d.skip.value),
        &d.skip.reason);
    const Columns& c = d.columns.value;
    lines.emplace_back(c[0] == 0 ? std::string("no --columns")
                                 : "--columns " + std::to_string(c[0]) + "," +
                                       std::to_string(c[1]) + "," + std::to_string(c[2]),
                       &d.columns.reason);
    if (d.angles)
        lines.emplace_back("--angles " + name(kAngles, d.angles->value), &d.angles->reason);
    if (d.zones)
        lines.emplace_back(d.zones->clue == Clue::EastingZones ? "zones" : "warning", &*d.zones);
    return lines;
}

// The options a run needs beyond the defaults; the separator and the angle form always.
bool Needed(const std::string& option) {
    constexpr std::string_view kDefaults[] = {"--encoding utf-8", "--separator auto",
                                              "decimal point",    "no --skip",
                                              "no --columns",     "zones",
                                              "warning"};
    return std::find(std::begin(kDefaults), std::end(kDefaults), option) == std::end(kDefaults);
}

}  // namespace

std::string DetectedOptionsText(const Detection& detection) {
    std::string text;
    for (const auto& [option, reason] : OptionsAndReasons(detection)) {
        if (Needed(option)) text += (text.empty() ? "" : " ") + option;
    }
    return text;
}

std::string ReasonsText(const Detection& detection) {
    std::string text;
    for (const auto& [option, reason] : OptionsAndReasons(detection))
        text += option + ": " + ReasonText(*reason) + "\n";
    return text;
}

namespace {

std::string Lines(int count) {
    return std::to_string(count) + (count == 1 ? " line" : " lines");
}

}  // namespace

std::string ReasonText(const Reason& r) {
    const std::string at = "line " + std::to_string(r.line) + ", field " + std::to_string(r.field) +
                           " \"" + r.sample + "\"";
    std::string text;
    switch (r.clue) {
        case Clue::NoPointLines:
            text = r.total == 0 ? "the input is empty: the defaults stand"
                                : "no line of the first " + std::to_string(r.total) +
                                      " reads as a point: the defaults stand";
            break;
        case Clue::AsciiOnly:
            text = "every byte is ASCII";
            break;
        case Clue::ValidUtf8:
            text = "the bytes beyond ASCII are valid UTF-8";
            break;
        case Clue::NotUtf8:
            text = "line " + std::to_string(r.line) + " holds bytes that are no UTF-8";
            break;
        case Clue::FieldsAlike:
            text = std::to_string(r.count) + " of " + Lines(r.total) + " split into " +
                   std::to_string(r.fields) + " fields";
            break;
        case Clue::NoHeader:
            text = "line " + std::to_string(r.line) + ", the first that is no comment, is a point";
            break;
        case Clue::HeaderLines:
            text =
                "up to line " + std::to_string(r.line) + " the coordinates' fields hold no numbers";
            if (!r.sample.empty())
                text += " (field " + std::to_string(r.field) + " \"" + r.sample + "\")";
            break;
        case Clue::DecimalComma:
            text = at + " is a number with a decimal comma";
            break;
        case Clue::DecimalPoint:
            text = "no number has a decimal comma";
            break;
        case Clue::WholeLine:
            text = "the lines are three numbers alone";
            break;
        case Clue::EastingFirst:
            text = "field " + std::to_string(r.field) + " is the easting and " +
                   std::to_string(r.field + 1) + " the northing: so " + Lines(r.count) +
                   " lie within their zones, from line " + std::to_string(r.line);
            break;
        case Clue::FirstNumbersInRow:
            text = "fields " + std::to_string(r.field) + " to " + std::to_string(r.field + 2) +
                   " are the first three numbers in a row that can be a point, in " +
                   Lines(r.count) + " from line " + std::to_string(r.line);
            break;
        case Clue::DmsMarks:
            text = at + " is in degrees, minutes and seconds";
            break;
        case Clue::NotDegrees:
            text = at + " is beyond the degrees of a latitude or longitude, and reads as DDDMMSS";
            break;
        case Clue::NotPacked:
            text = at + " as DDDMMSS has 60 minutes or seconds or more, and reads as degrees";
            break;
        case Clue::SmallFraction:
            text = at +
                   " has a fraction and is below 10000: as DDDMMSS it would lie within 1 degree "
                   "of the equator or of Greenwich";
            break;
        case Clue::BothReadings:
            text = "every value reads as DDDMMSS and as degrees: the window's DDDMMSS is taken";
            break;
        case Clue::NeitherReading:
            text = at + " reads neither as DDDMMSS nor as degrees";
            break;
        case Clue::EastingZones:
            text = "the eastings carry zone " + std::to_string(r.fields) +
                   (r.count != r.fields ? " to " + std::to_string(r.count) : "") +
                   " in their millions";
            break;
        case Clue::EastingWithoutZone:
            text = at + " is no Gauss-Krüger easting: its millions give no zone from 1 to " +
                   std::to_string(r.count);
            break;
    }
    return r.guess ? text + " (a guess: check the results)" : text;
}

}  // namespace batch
