// Lists of named points (a surveyor's "name x y H" lines, as coordconv-fit and the window
// read them), and their matching by name.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "batch/point_line.h"

namespace batch {

struct NamedPoint {
    std::string name;
    std::array<double, 3> values{};  // as read: angles in the form the rules read them
    int line = 0;
};

// How a list's lines are read.
struct ListRules {
    LineRules line;  // columns: the coordinates'
    int nameColumn = 1;
    int skip = 0;
};

// Reads the points of a list's text (named `file` in messages, "" for standard input). False
// with `error` ("FILE: line N: …") for a line that is no point, or a name given twice.
bool ReadNamedPoints(std::string_view text, const std::string& file, const ListRules& rules,
                     std::vector<NamedPoint>& points, std::string& error);

// The field `column` (from 1) of a line that reads as a point: unquoted, without the blanks
// around it; empty when the line has fewer fields.
std::string FieldOf(std::string_view line, const LineRules& rules, int column);

// The points of both lists by name: the pairs in the source's order, and the names of either
// list that the other lacks (the source's first).
struct Matched {
    std::vector<std::pair<NamedPoint, NamedPoint>> pairs;
    std::vector<std::string> ignored;
};
Matched MatchByName(const std::vector<NamedPoint>& source, const std::vector<NamedPoint>& target);

}  // namespace batch
