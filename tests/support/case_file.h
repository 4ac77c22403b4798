// Case tables: plain-text files under tests/data, one case a line, its fields separated
// by "|" and trimmed of blanks; lines starting with "#" and empty lines are comments.
// Inside a field, "\n", "\r", "\t", "\\" and "\xHH" stand for their characters and
// "{N*text}" for text repeated N times, so long or binary inputs stay one readable line.
#pragma once

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

struct Case {
    int line = 0;  // in the case file, for failure messages
    std::vector<std::string> fields;
    std::string Where(const std::string& file) const { return file + ":" + std::to_string(line); }
};

inline std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t star = text.find('*', i), end = text.find('}', i);
        if (text[i] == '{' && star < end && end != std::string::npos) {
            const std::string piece = Unescape(text.substr(star + 1, end - star - 1));
            for (long n = std::atol(text.c_str() + i + 1); n > 0; --n)
                out += piece;
            i = end;
        } else if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'x') {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The parts of a text between separators, each trimmed of blanks.
inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text + separator);
    for (std::string part; std::getline(in, part, separator);) {
        const auto begin = part.find_first_not_of(' '), end = part.find_last_not_of(' ');
        parts.push_back(begin == std::string::npos ? "" : part.substr(begin, end - begin + 1));
    }
    return parts;
}

inline std::vector<Case> ReadCases(const std::string& path) {
    std::ifstream file(path);
    std::vector<Case> cases;
    std::string text;
    for (int line = 1; std::getline(file, text); ++line) {
        const auto first = text.find_first_not_of(" \t");
        if (first == std::string::npos || text[first] == '#') continue;
        cases.push_back({line, Split(text, '|')});
        for (auto& field : cases.back().fields)
            field = Unescape(field);
    }
    if (cases.empty()) std::abort();  // a missing or empty table must not pass
    return cases;
}

// "*" in an expected field: any value will do. Held as a NaN with its own payload.
inline double Any() {
    return std::nan("7");
}

// The blank-separated numbers of a field; "nan", "inf" and "*" included.
inline std::vector<double> Numbers(const std::string& field) {
    std::istringstream in(field);
    std::vector<double> numbers;
    for (std::string word; in >> word;)
        numbers.push_back(word == "*" ? Any() : std::strtod(word.c_str(), nullptr));
    return numbers;
}

// Whether a computed value meets an expected one: within the tolerance, NaN for "nan".
inline bool Meets(double value, double expected, double tolerance) {
    const double any = Any();
    if (std::memcmp(&expected, &any, sizeof any) == 0) return true;
    if (std::isnan(expected)) return std::isnan(value);
    return value == expected || std::fabs(value - expected) <= tolerance;
}

}  // namespace testing_support
