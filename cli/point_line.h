// One line of coordconv-cli's input: a point of three numbers, or a line to pass through.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace cli {

enum class LineKind { Point, PassThrough, Error };

// Empty lines and lines whose first non-blank character is '#' pass through. A point is
// three fields separated by blanks, tabs, commas or semicolons, each one finite decimal
// number read strictly; with `dms` the first two are a latitude and a longitude in degrees,
// minutes and seconds (dms.h), read into decimal degrees. On an error, error says what is
// wrong with which field.
LineKind ReadPointLine(std::string_view line, std::array<double, 3>& values, std::string& error,
                       bool dms = false);

}  // namespace cli
