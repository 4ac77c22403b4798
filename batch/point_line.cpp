#include "batch/point_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "batch/dms.h"
#include "batch/line_blocks.h"
#include "controller/number_text.h"

namespace batch {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsMark(char c) {
    return c == ',' || c == ';';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view line, std::size_t at) {
    while (at < line.size() && IsBlank(line[at]))
        ++at;
    return at;
}

// A field as it may be quoted in a message: at most 40 bytes, control bytes as '?'.
std::string Quoted(std::string_view field) {
    constexpr std::size_t kLongest = 40;
    std::string text = "\"";
    for (char c : field.substr(0, kLongest)) {
        text += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
    if (field.size() > kLongest) text += "...";
    return text + "\"";
}

// The separator a new field takes: the gap beside its neighbour, unless empty or long.
std::string_view SeparatorFrom(std::string_view gap) {
    constexpr std::size_t kLongest = 32;
    return gap.empty() || gap.size() > kLongest ? std::string_view(" ") : gap;
}

// The common line, three numbers apart by blanks or one comma or semicolon each, read in one
// pass without cutting it into fields first. False for anything else (a field that is no
// number, one field too many or too few...), which the general reading names.
bool ReadThreeNumbers(std::string_view line, std::size_t at, std::array<double, 3>& values) {
    for (int i = 0; i < 3; ++i) {
        if (at == line.size() ||
            !(IsDigit(line[at]) || line[at] == '-' || line[at] == '+' || line[at] == '.'))
            return false;
        const controller::LeadingReal read = controller::ReadLeadingReal(line.substr(at));
        at += read.length;
        if (read.length == 0 || !std::isfinite(read.value)) return false;
        if (at < line.size() && !IsBlank(line[at]) && !IsMark(line[at])) return false;
        values[i] = read.value;
        at = SkipBlanks(line, at);
        if (i < 2 && at < line.size() && IsMark(line[at])) at = SkipBlanks(line, at + 1);
    }
    return at == line.size();
}

// The character that separates fields, 0 for runs of blanks (and commas, for Auto).
char SeparatorMark(Separator separator) {
    switch (separator) {
        case Separator::Semicolon:
            return ';';
        case Separator::Comma:
            return ',';
        case Separator::Tab:
            return '\t';
        case Separator::Auto:
        case Separator::Blank:
            return 0;
    }
    return 0;
}

const char* SeparatorName(Separator separator) {
    switch (separator) {
        case Separator::Semicolon:
            return "semicolons";
        case Separator::Comma:
            return "commas";
        case Separator::Tab:
            return "tabs";
        case Separator::Auto:
        case Separator::Blank:
            return "blanks";
    }
    return "blanks";
}

// "37,5": a decimal comma, which a field split at semicolons or tabs may hold.
bool HasDecimalComma(std::string_view field) {
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        if (field[i] == ',' && IsDigit(field[i - 1]) && IsDigit(field[i + 1])) return true;
    }
    return false;
}

// With --columns and no separator asked for, a line holding a semicolon splits at its
// semicolons alone, else one holding a tab at its tabs alone: other fields may hold blanks.
Separator SplittingSeparator(std::string_view line, const Columns& columns, Separator separator) {
    if (separator != Separator::Auto || columns[0] == 0) return separator;
    if (line.find(';') != std::string_view::npos) return Separator::Semicolon;
    if (line.find('\t') != std::string_view::npos) return Separator::Tab;
    return separator;
}

// A line cut into fields: those of the three coordinates, and what the cutting saw.
struct CutLine {
    std::string_view coordinates[3];
    int count = 0;             // fields cut; with columns, up to the last one asked for
    int firstEmpty = 0;        // without columns, the first empty field; 0 when none
    bool sawMark = false;      // a comma or semicolon between fields (Separator::Auto)
    bool blanksAlone = false;  // fields apart by blanks without a comma or semicolon
};

// Cuts a line that is no comment from `at`, its first non-blank byte, at `separator` (Auto:
// runs of blanks and one comma or semicolon); spans get where the coordinates stand. With
// columns the cutting ends at the last field asked for unless `everyField`.
CutLine CutFields(std::string_view line, std::size_t at, Separator separator,
                  const Columns& columns, std::array<FieldSpan, 3>* spans,
                  bool everyField = false) {
    constexpr int kFields = 3;
    const bool picked = columns[0] != 0;
    const char mark = SeparatorMark(separator);  // 0: fields apart by runs of blanks
    // The blanks around a field, but not the separator (two tabs in a row hold an empty field).
    const auto skipFiller = [&](std::size_t from) {
        while (from < line.size() && IsBlank(line[from]) && line[from] != mark)
            ++from;
        return from;
    };
    if (mark != 0) at = skipFiller(0);
    const int needed = picked ? std::max({columns[0], columns[1], columns[2]}) : kFields;
    CutLine cut;
    std::size_t previousEnd = 0;
    while (true) {
        const std::size_t start = at;
        std::size_t end = at;
        bool last = false;
        if (mark != 0) {
            const std::size_t next = line.find(mark, at);
            last = next == std::string_view::npos;
            end = last ? line.size() : next;
            while (end > start && IsBlank(line[end - 1]))
                --end;
            at = last ? line.size() : skipFiller(next + 1);
        } else {
            const bool marksSeparate = separator == Separator::Auto;
            while (at < line.size() && !IsBlank(line[at]) && !(marksSeparate && IsMark(line[at])))
                ++at;
            end = at;
            at = SkipBlanks(line, at);
            last = at == line.size();
            if (!last && marksSeparate && IsMark(line[at])) {
                cut.sawMark = true;
                at = SkipBlanks(line, at + 1);
            } else if (!last) {
                cut.blanksAlone = true;
            }
        }
        ++cut.count;
        if (end == start && !picked) {  // nothing between two separators, or after the last one
            cut.firstEmpty = cut.count;
            return cut;
        }
        for (int c = 0; c < kFields; ++c) {
            if ((picked ? columns[c] : c + 1) != cut.count) continue;
            cut.coordinates[c] = line.substr(start, end - start);
            if (spans != nullptr) {
                const auto gap = cut.count == 1 ? line.substr(end, at - end)
                                                : line.substr(previousEnd, start - previousEnd);
                (*spans)[c] = {start, end, SeparatorFrom(gap)};
            }
        }
        previousEnd = end;
        if (last || (picked && cut.count == needed && !everyField))
            return cut;  // the rest is copied
    }
}

}  // namespace

FieldLayout LayoutOf(std::string_view line, const Columns& columns, Separator separator) {
    const std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] == '#') return {separator, 0};
    separator = SplittingSeparator(line, columns, separator);
    return {separator, CutFields(line, at, separator, columns, nullptr, true).count};
}

bool FindCoordinateFields(std::string_view line, const Columns& columns, const FieldLayout& points,
                          std::array<FieldSpan, 3>& spans) {
    const std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] == '#') return false;
    const bool picked = columns[0] != 0;
    const CutLine cut = CutFields(line, at, points.separator, columns, &spans, true);
    const int needed = picked ? std::max({columns[0], columns[1], columns[2]}) : 3;
    if (cut.count != points.count || cut.firstEmpty != 0 ||
        (picked && cut.sawMark && cut.blanksAlone) ||
        (picked ? cut.count < needed : cut.count != needed)) {
        return false;
    }
    return std::none_of(std::begin(cut.coordinates), std::end(cut.coordinates),
                        [](std::string_view field) { return field.empty(); });
}

bool ReadColumns(std::string_view text, Columns& columns) {
    constexpr int kLastField = static_cast<int>(MaxLineLength / 2);
    Columns read{};
    for (int c = 0; c < 3; ++c) {
        const auto comma = c < 2 ? text.find(',') : text.size();
        if (comma == std::string_view::npos) return false;
        const std::string_view number = text.substr(0, comma);
        const auto [end, error] =
            std::from_chars(number.data(), number.data() + number.size(), read[c]);
        if (error != std::errc() || end != number.data() + number.size() || read[c] < 1 ||
            read[c] > kLastField)
            return false;
        text.remove_prefix(std::min(comma + 1, text.size()));
    }
    if (read[0] == read[1] || read[0] == read[2] || read[1] == read[2]) return false;
    columns = read;
    return true;
}

LineKind ReadPointLine(std::string_view line, std::array<double, 3>& values, std::string& error,
                       bool dms, const Columns& columns, std::array<FieldSpan, 3>* spans,
                       Separator separator) {
    const std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] == '#') return LineKind::PassThrough;

    constexpr int kFields = 3;
    const bool picked = columns[0] != 0;
    const bool chosen = separator == Separator::Auto && picked;  // by what the line holds
    separator = SplittingSeparator(line, columns, separator);
    const char mark = SeparatorMark(separator);  // 0: fields apart by runs of blanks
    if (separator == Separator::Auto && !picked && !dms && ReadThreeNumbers(line, at, values)) {
        return LineKind::Point;
    }
    const int needed = picked ? std::max({columns[0], columns[1], columns[2]}) : kFields;
    const CutLine cut = CutFields(line, at, separator, columns, spans);
    const auto& fields = cut.coordinates;
    const int count = cut.count;
    if (cut.firstEmpty != 0) {
        error = "field " + std::to_string(cut.firstEmpty) + " is empty";
        return LineKind::Error;
    }
    // Which separator split the line, when its own characters chose it: for the messages.
    const auto splitAt = [&] {
        return chosen && mark != 0 ? std::string(" (split at its ") + SeparatorName(separator) +
                                         "; --separator chooses another)"
                                   : std::string();
    };
    // "P1 554500 37,5 100" or "Point 7,55.75,37.6,100": which separates the fields?
    if (picked && cut.sawMark && cut.blanksAlone) {
        error =
            "fields apart by blanks and by commas: --separator says which one separates them "
            "(the decimal separator is the point)";
        return LineKind::Error;
    }
    if (picked && count < needed) {
        error = std::to_string(count) + (count == 1 ? " field" : " fields") +
                ", the coordinates are asked for in field " + std::to_string(needed) + splitAt();
        return LineKind::Error;
    }
    if (!picked && count != kFields) {
        error = std::to_string(count) + (count == 1 ? " field" : " fields") + ", expected 3";
        if (count > kFields && (cut.sawMark || separator == Separator::Comma)) {
            error += " (the decimal separator is the point)";
        }
        return LineKind::Error;
    }
    for (int i = 0; i < kFields; ++i) {
        // Named only on an error: building the text for every field would cost a tenth of the run.
        const auto fail = [&](const std::string& why) {
            error = "field " + std::to_string(picked ? columns[i] : i + 1) + " " + why;
            return LineKind::Error;
        };
        if (fields[i].empty()) return fail("is empty" + splitAt());
        if (dms && i < 2) {
            std::string why;
            if (ReadDms(fields[i], i == 0, values[i], why)) continue;
            return fail(Quoted(fields[i]) + " " + why + splitAt());
        }
        switch (controller::ReadStrictReal(fields[i], values[i])) {
            case controller::StrictReal::Number:
                break;
            case controller::StrictReal::NotANumber:
                return fail(Quoted(fields[i]) + " is not a number" +
                            (HasDecimalComma(fields[i]) ? " (the decimal separator is the point)"
                                                        : splitAt()));
            case controller::StrictReal::OutOfRange:
                return fail(Quoted(fields[i]) + " is out of range");
        }
    }
    return LineKind::Point;
}

}  // namespace batch
