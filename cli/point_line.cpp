#include "cli/point_line.h"

#include "cli/dms.h"
#include "controller/number_text.h"

namespace cli {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsMark(char c) {
    return c == ',' || c == ';';
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

}  // namespace

LineKind ReadPointLine(std::string_view line, std::array<double, 3>& values, std::string& error,
                       bool dms) {
    std::size_t at = SkipBlanks(line, 0);
    if (at == line.size() || line[at] == '#') return LineKind::PassThrough;

    constexpr int kFields = 3;
    std::string_view fields[kFields];
    int count = 0;
    bool sawMark = false;
    while (true) {
        const std::size_t start = at;
        while (at < line.size() && !IsBlank(line[at]) && !IsMark(line[at]))
            ++at;
        if (at == start) {  // nothing between two separators, or after the last one
            error = "field " + std::to_string(count + 1) + " is empty";
            return LineKind::Error;
        }
        if (count < kFields) fields[count] = line.substr(start, at - start);
        ++count;
        at = SkipBlanks(line, at);
        if (at == line.size()) break;
        if (IsMark(line[at])) {
            sawMark = true;
            at = SkipBlanks(line, at + 1);
        }
    }
    if (count != kFields) {
        error = std::to_string(count) + (count == 1 ? " field" : " fields") + ", expected 3";
        if (count > kFields && sawMark) error += " (the decimal separator is the point)";
        return LineKind::Error;
    }
    for (int i = 0; i < kFields; ++i) {
        std::string why;
        if (dms && i < 2) {
            if (ReadDms(fields[i], i == 0, values[i], why)) continue;
            error = "field " + std::to_string(i + 1) + " " + Quoted(fields[i]) + " " + why;
            return LineKind::Error;
        }
        switch (controller::ReadStrictReal(fields[i], values[i])) {
            case controller::StrictReal::Number:
                break;
            case controller::StrictReal::NotANumber:
                error =
                    "field " + std::to_string(i + 1) + " " + Quoted(fields[i]) + " is not a number";
                return LineKind::Error;
            case controller::StrictReal::OutOfRange:
                error =
                    "field " + std::to_string(i + 1) + " " + Quoted(fields[i]) + " is out of range";
                return LineKind::Error;
        }
    }
    return LineKind::Point;
}

}  // namespace cli
