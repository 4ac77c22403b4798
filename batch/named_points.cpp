#include "batch/named_points.h"

#include <unordered_map>
#include <unordered_set>

#include "batch/encoding.h"

namespace batch {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A field as RFC 4180 quotes it: inside its quotes, "" as one quote.
std::string Unquoted(std::string_view field) {
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') return std::string(field);
    std::string text;
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        text += field[i];
        if (field[i] == '"' && field[i + 1] == '"') ++i;
    }
    return text;
}

// The words of the lists' messages, in the rules' language.
struct ListWords {
    const char* standardInput;
    const char* line;
    const char* field;
    const char* nameEmpty;
    const char* point;
    const char* namedTwice;
    const char* and_;
};
constexpr ListWords kEnglish{"standard input", ": line ",
                             ": field ",       ", the point's name, is empty",
                             ": point \"",     "\" is named twice, on lines ",
                             " and "};
constexpr ListWords kRussian{"стандартный ввод",
                             ": строка ",
                             ": поле ",
                             ", имя точки, пусто",
                             ": точка «",
                             "» названа дважды, в строках ",
                             " и "};

}  // namespace

std::string FieldOf(std::string_view line, const LineRules& rules, int column) {
    // Split as the point's reader splits it: at the separator the line's characters choose.
    const Separator separator = LayoutOf(line, rules).separator;
    const char mark = SeparatorMark(separator);  // 0: runs of blanks (and , ;)
    const bool marksSeparate = separator == Separator::Auto;
    std::size_t at = 0;
    for (int field = 1; at <= line.size(); ++field) {
        if (mark == 0) {
            while (at < line.size() && IsBlank(line[at]))
                ++at;
        }
        std::size_t end = at;
        const bool quoted = end < line.size() && line[end] == '"';
        if (quoted) {
            for (end = at + 1; end < line.size(); ++end) {
                if (line[end] != '"') continue;
                if (end + 1 < line.size() && line[end + 1] == '"') {
                    ++end;
                } else {
                    ++end;
                    break;
                }
            }
        }
        const auto ends = [&](std::size_t i) {
            if (mark != 0) return line[i] == mark;
            return IsBlank(line[i]) || (marksSeparate && (line[i] == ',' || line[i] == ';'));
        };
        while (end < line.size() && !ends(end))
            ++end;
        if (field == column) return Unquoted(Trimmed(line.substr(at, end - at)));
        at = end;
        if (mark == 0) {
            while (at < line.size() && IsBlank(line[at]))
                ++at;
            if (at < line.size() && marksSeparate && (line[at] == ',' || line[at] == ';')) ++at;
        } else {
            ++at;
        }
        if (at > line.size() || (end == line.size())) break;
    }
    return "";
}

bool ReadNamedPoints(std::string_view text, const std::string& file, const ListRules& rules,
                     std::vector<NamedPoint>& points, std::string& error) {
    const ListWords& words = rules.line.language == Language::Russian ? kRussian : kEnglish;
    const std::string where =
        (file.empty() ? words.standardInput : PrintableName(file)) + words.line;
    std::unordered_map<std::string, int> lineOfName;
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a spreadsheet's UTF-8 mark
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (++number <= rules.skip) continue;
        NamedPoint point;
        std::string why;
        switch (ReadPointLine(line, point.values, why, rules.line)) {
            case LineKind::PassThrough:
            case LineKind::Header:
                continue;
            case LineKind::Error:
                error = where + std::to_string(number) + ": " + why;
                return false;
            case LineKind::Point:
                break;
        }
        point.name = FieldOf(line, rules.line, rules.nameColumn);
        point.line = number;
        if (point.name.empty()) {
            error = where + std::to_string(number) + words.field +
                    std::to_string(rules.nameColumn) + words.nameEmpty;
            return false;
        }
        const auto [earlier, added] = lineOfName.emplace(point.name, number);
        if (!added) {
            error = where + std::to_string(number) + words.point + PrintableName(point.name) +
                    words.namedTwice + std::to_string(earlier->second) + words.and_ +
                    std::to_string(number);
            return false;
        }
        points.push_back(std::move(point));
    }
    return true;
}

Matched MatchByName(const std::vector<NamedPoint>& source, const std::vector<NamedPoint>& target) {
    std::unordered_map<std::string_view, const NamedPoint*> targets;
    for (const NamedPoint& point : target)
        targets.emplace(point.name, &point);
    std::unordered_set<std::string_view> matched;
    Matched result;
    for (const NamedPoint& point : source) {
        const auto found = targets.find(point.name);
        if (found == targets.end()) {
            result.ignored.push_back(point.name);
            continue;
        }
        result.pairs.emplace_back(point, *found->second);
        matched.insert(point.name);
    }
    for (const NamedPoint& point : target) {
        if (!matched.contains(point.name)) result.ignored.push_back(point.name);
    }
    return result;
}

}  // namespace batch
