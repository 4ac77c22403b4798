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

// A field as a message quotes it (UTF-8 whatever the input): at most 40 bytes, control bytes
// as '?'.
std::string Shown(std::string_view field, Encoding encoding) {
    constexpr std::size_t kLongest = 40;
    std::string text = ShownAsUtf8(field, encoding, kLongest);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    }
    return text;
}

// "field 2 "55xx30" is not a number": the field numbered as it stands in the line, its text,
// what is wrong with it.
std::string FieldMessage(const LineRules& rules, int field, std::string_view text, MessageId what) {
    return Message(
        rules.language, MessageId::FieldText,
        {std::to_string(field), Shown(text, rules.encoding), MessageText(rules.language, what)});
}

// The quote that closes the field opened at `open`, "" inside standing for one quote
// (RFC 4180); npos when the line ends first.
std::size_t ClosingQuote(std::string_view line, std::size_t open) {
    for (std::size_t at = open + 1;;) {
        const std::size_t quote = line.find('"', at);
        if (quote == std::string_view::npos || quote + 1 == line.size() || line[quote + 1] != '"')
            return quote;
        at = quote + 2;
    }
}

// Whether c occurs in the line outside its quoted fields (a quote opens a field only at its
// start: the seconds' mark of 55°45'30.5" opens none).
bool HoldsOutsideQuotes(std::string_view line, char c) {
    const std::size_t first = line.find(c);
    if (first == std::string_view::npos) return false;
    if (line.substr(0, first).find('"') == std::string_view::npos) return true;
    bool fieldStart = true;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (fieldStart && line[at] == '"') {
            at = ClosingQuote(line, at);
            if (at == std::string_view::npos) return false;
            fieldStart = false;
            continue;
        }
        if (line[at] == c) return true;
        fieldStart = IsBlank(line[at]) || IsMark(line[at]);
    }
    return false;
}

// An angle's field as UTF-8, whose letters and marks (С, °, ″) ReadDms knows; false when its
// bytes are no text of the encoding.
bool AngleText(std::string_view field, Encoding encoding, std::string& utf8) {
    utf8.clear();
    return Recode(field, encoding, Encoding::Utf8, utf8).done();
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

MessageId SeparatorName(Separator separator) {
    switch (separator) {
        case Separator::Semicolon:
            return MessageId::SplitAtSemicolons;
        case Separator::Comma:
            return MessageId::SplitAtCommas;
        case Separator::Tab:
            return MessageId::SplitAtTabs;
        case Separator::Auto:
        case Separator::Blank:
            return MessageId::SplitAtBlanks;
    }
    return MessageId::SplitAtBlanks;
}

// "37,5": a decimal comma, which a field split at semicolons or tabs may hold.
bool HasDecimalComma(std::string_view field) {
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        if (field[i] == ',' && IsDigit(field[i - 1]) && IsDigit(field[i + 1])) return true;
    }
    return false;
}

// Whether the line's own characters choose its separator (--columns, or --decimal-comma,
// with no separator asked for): other fields may hold blanks, numbers decimal commas.
bool ChoosesSeparator(const LineRules& rules) {
    return rules.separator == Separator::Auto && (rules.columns[0] != 0 || rules.decimalComma);
}

// The separator a line is split at: where the line chooses, a semicolon outside its quoted
// fields splits it at semicolons alone, else a tab at tabs alone.
Separator SplittingSeparator(std::string_view line, const LineRules& rules) {
    if (!ChoosesSeparator(rules)) return rules.separator;
    if (HoldsOutsideQuotes(line, ';')) return Separator::Semicolon;
    if (HoldsOutsideQuotes(line, '\t')) return Separator::Tab;
    return rules.separator;
}

// Whether a line split at `separator` is written as it stands, its coordinates replaced:
// fields apart by semicolons or tabs, or a coordinate in quotes.
bool KeptAsItStands(Separator separator, bool quotedCoordinate) {
    return separator == Separator::Semicolon || separator == Separator::Tab || quotedCoordinate;
}

// A line cut into fields: those of the three coordinates, and what the cutting saw.
struct CutLine {
    std::string_view coordinates[3];  // inside their quotes, without the blanks there
    int count = 0;                    // fields cut; with columns, up to the last one asked for
    std::string error;                // a field empty (without columns) or badly quoted
    bool sawMark = false;             // a comma or semicolon between fields (Separator::Auto)
    bool blanksAlone = false;         // fields apart by blanks without a comma or semicolon
    bool commaAmidDigits = false;     // "554530,5" split at its comma
    bool quotedCoordinate = false;
};

// Cuts a line that is no comment from `at`, its first non-blank byte, at `separator` (Auto:
// runs of blanks and one comma or semicolon); spans get where the coordinates stand. With
// columns the cutting ends at the last field asked for unless `everyField`.
CutLine CutFields(std::string_view line, std::size_t at, Separator separator,
                  const LineRules& rules, std::array<FieldSpan, 3>* spans,
                  bool everyField = false) {
    constexpr int kFields = 3;
    const Columns& columns = rules.columns;
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
        ++cut.count;
        const std::size_t fieldStart = at;
        std::size_t start = at, end = at;  // the field's text, inside its quotes
        const bool quoted = at < line.size() && line[at] == '"';
        if (quoted) {
            end = ClosingQuote(line, at);
            if (end == std::string_view::npos) {
                cut.error = FieldMessage(rules, cut.count, line.substr(at + 1),
                                         MessageId::HasNoClosingQuote);
                return cut;
            }
            start = at + 1;
            at = end + 1;
        }
        std::size_t fieldEnd = at;
        bool last = false;
        bool strayText = false;  // text after a closing quote
        if (mark != 0) {
            const std::size_t next = quoted ? skipFiller(at) : line.find(mark, at);
            strayText = quoted && next < line.size() && line[next] != mark;
            last = next >= line.size();
            if (!quoted) {
                end = last ? line.size() : next;
                while (end > start && IsBlank(line[end - 1]))
                    --end;
                fieldEnd = end;
            }
            at = last ? line.size() : skipFiller(next + 1);
        } else {
            const bool marksSeparate = separator == Separator::Auto;
            const auto ends = [&](std::size_t i) {
                return i == line.size() || IsBlank(line[i]) || (marksSeparate && IsMark(line[i]));
            };
            strayText = quoted && !ends(at);
            while (!ends(at))
                ++at;
            if (!quoted) end = fieldEnd = at;
            at = SkipBlanks(line, at);
            last = at == line.size();
            if (!last && marksSeparate && IsMark(line[at])) {
                cut.sawMark = true;
                cut.commaAmidDigits |= line[at] == ',' && fieldEnd == at && fieldEnd > fieldStart &&
                                       IsDigit(line[at - 1]) && at + 1 < line.size() &&
                                       IsDigit(line[at + 1]);
                at = SkipBlanks(line, at + 1);
            } else if (!last) {
                cut.blanksAlone = true;
            }
        }
        if (strayText) {
            cut.error = FieldMessage(rules, cut.count, line.substr(start, end - start),
                                     MessageId::HasTextAfterQuote);
            return cut;
        }
        if (end == start && !picked) {  // nothing between two separators, or after the last one
            cut.error = Message(
                rules.language, MessageId::Field,
                {std::to_string(cut.count), MessageText(rules.language, MessageId::IsEmpty)});
            return cut;
        }
        for (int c = 0; c < kFields; ++c) {
            if ((picked ? columns[c] : c + 1) != cut.count) continue;
            std::size_t from = start, to = end;
            while (quoted && from < to && IsBlank(line[from]))  // blanks inside quotes are no
                ++from;                                         // digits either
            while (quoted && to > from && IsBlank(line[to - 1]))
                --to;
            cut.coordinates[c] = line.substr(from, to - from);
            cut.quotedCoordinate |= quoted;
            if (spans != nullptr) {
                const auto gap = cut.count == 1
                                     ? line.substr(fieldEnd, at - fieldEnd)
                                     : line.substr(previousEnd, fieldStart - previousEnd);
                (*spans)[c] = {from, to, fieldEnd, SeparatorFrom(gap)};
            }
        }
        previousEnd = fieldEnd;
        if (last || (picked && cut.count == needed && !everyField))
            return cut;  // the rest is copied
    }
}

}  // namespace

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

std::string_view WithDecimalPoint(std::string_view field, std::string& buffer) {
    if (field.find(',') == std::string_view::npos) return field;
    buffer.assign(field);
    for (std::size_t i = 1; i + 1 < buffer.size(); ++i) {
        if (buffer[i] == ',' && IsDigit(buffer[i - 1]) && IsDigit(buffer[i + 1])) buffer[i] = '.';
    }
    return buffer;
}

FieldLayout LayoutOf(std::string_view line, const LineRules& rules) {
    const std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] == '#') return {rules.separator, 0, false};
    const Separator separator = SplittingSeparator(line, rules);
    const CutLine cut = CutFields(line, at, separator, rules, nullptr, true);
    return {separator, cut.count, KeptAsItStands(separator, cut.quotedCoordinate)};
}

bool FindCoordinateFields(std::string_view line, const LineRules& rules, const FieldLayout& points,
                          PointLayout& layout) {
    const std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] == '#') return false;
    const bool picked = rules.columns[0] != 0;
    const CutLine cut = CutFields(line, at, points.separator, rules, &layout.spans, true);
    const int needed =
        picked ? std::max({rules.columns[0], rules.columns[1], rules.columns[2]}) : 3;
    if (!cut.error.empty() || cut.count != points.count ||
        (picked && cut.sawMark && cut.blanksAlone) ||
        (picked ? cut.count < needed : cut.count != needed)) {
        return false;
    }
    // Written as the points below it are: as it stands when they are, or its names quoted.
    layout.keep = points.keep || KeptAsItStands(points.separator, cut.quotedCoordinate);
    // A name starts with no digit or sign: a line skipped as a header that holds a point the
    // reader could not take (55°45'30" С) keeps its numbers, never gets names over them.
    const auto name = [](std::string_view field) {
        while (!field.empty() && (IsBlank(field.front()) || field.front() == '"'))
            field.remove_prefix(1);
        return !field.empty() && !IsDigit(field.front()) && field.front() != '-' &&
               field.front() != '+' && field.front() != '.';
    };
    return std::all_of(std::begin(cut.coordinates), std::end(cut.coordinates), name);
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
                       const LineRules& rules, PointLayout* layout) {
    const std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] == '#') return LineKind::PassThrough;
    // A spreadsheet's empty row (";;;;") is an empty line too. Points start with a digit, a
    // sign, a point or a quote, so the common line leaves this test at its first byte.
    if (IsMark(line[at]) && line.find_first_not_of(" \t;,", at) == std::string_view::npos) {
        return LineKind::PassThrough;
    }

    constexpr int kFields = 3;
    const Columns& columns = rules.columns;
    const bool picked = columns[0] != 0;
    const bool chosen = ChoosesSeparator(rules);
    const Separator separator = SplittingSeparator(line, rules);
    const char mark = SeparatorMark(separator);   // 0: fields apart by runs of blanks
    if (layout != nullptr) layout->keep = false;  // the layout may be the previous line's
    if (separator == Separator::Auto && !picked && !rules.dms && !rules.decimalComma &&
        ReadThreeNumbers(line, at, values)) {
        return LineKind::Point;
    }
    // Where commas do not separate fields, a field's comma may be its decimal separator.
    const bool commaInFields =
        rules.decimalComma && separator != Separator::Auto && separator != Separator::Comma;
    const int needed = picked ? std::max({columns[0], columns[1], columns[2]}) : kFields;
    const CutLine cut =
        CutFields(line, at, separator, rules, layout != nullptr ? &layout->spans : nullptr);
    if (!cut.error.empty()) {
        error = cut.error;
        return LineKind::Error;
    }
    const auto& fields = cut.coordinates;
    const int count = cut.count;
    if (layout != nullptr) layout->keep = KeptAsItStands(separator, cut.quotedCoordinate);
    // Which separator split the line, when its own characters chose it: for the messages.
    const Language language = rules.language;
    const auto splitAt = [&] {
        return chosen && mark != 0 ? Message(language, MessageId::SplitAt,
                                             {MessageText(language, SeparatorName(separator))})
                                   : std::string();
    };
    // Without --decimal-comma, what a comma between digits may have meant.
    const std::string_view commaHint =
        rules.decimalComma ? "" : MessageText(language, MessageId::DecimalPointHint);
    if (rules.decimalComma && cut.commaAmidDigits) {
        error = MessageText(language, MessageId::CommaAmidDigits);
        return LineKind::Error;
    }
    // "P1 554500 37,5 100" or "Point 7,55.75,37.6,100": which separates the fields?
    if (picked && cut.sawMark && cut.blanksAlone) {
        error = MessageText(language, MessageId::BlanksAndCommas) + std::string(commaHint);
        return LineKind::Error;
    }
    if (picked && count < needed) {
        error = Message(language, MessageId::FieldsBeforeColumn,
                        {std::to_string(count), std::to_string(needed)}) +
                splitAt();
        return LineKind::Error;
    }
    if (!picked && count != kFields) {
        error = Message(language, MessageId::FieldCount, {std::to_string(count)});
        if (count > kFields && (cut.sawMark || separator == Separator::Comma)) error += commaHint;
        return LineKind::Error;
    }
    std::string buffer;  // a field with its decimal comma as a point
    for (int i = 0; i < kFields; ++i) {
        // Named only on an error: building the text for every field would cost a tenth of the run.
        const int number = picked ? columns[i] : i + 1;
        const auto fail = [&](MessageId what, const std::string& hint = {}) {
            error = FieldMessage(rules, number, fields[i], what) + hint;
            return LineKind::Error;
        };
        if (fields[i].empty()) {
            error = Message(language, MessageId::Field,
                            {std::to_string(number), MessageText(language, MessageId::IsEmpty)}) +
                    splitAt();
            return LineKind::Error;
        }
        const std::string_view field =
            commaInFields ? WithDecimalPoint(fields[i], buffer) : fields[i];
        if (rules.dms && i < 2) {
            std::string utf8;
            if (!AngleText(field, rules.encoding, utf8)) {
                return fail(rules.encoding == Encoding::Utf8 ? MessageId::IsNotUtf8
                                                             : MessageId::IsNotAnAngle);
            }
            // A quoted field doubles its quotes (RFC 4180): Excel writes 55°45'30,5" as
            // "55°45'30,5""".
            for (std::size_t at = utf8.find("\"\""); at != std::string::npos;
                 at = utf8.find("\"\"", at + 1)) {
                utf8.erase(at, 1);
            }
            MessageId why{};
            if (ReadDms(utf8, i == 0, values[i], why)) continue;
            return fail(why, splitAt());
        }
        switch (controller::ReadStrictReal(field, values[i])) {
            case controller::StrictReal::Number:
                break;
            case controller::StrictReal::NotANumber:
                return fail(MessageId::IsNotANumber,
                            HasDecimalComma(fields[i]) && !rules.decimalComma
                                ? std::string(commaHint)
                                : splitAt());
            case controller::StrictReal::OutOfRange:
                return fail(MessageId::IsOutOfRange);
        }
    }
    return LineKind::Point;
}

}  // namespace batch
