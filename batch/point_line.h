// One line of coordconv-cli's input: a point of three numbers, or a line to pass through.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace batch {

// A header (a line --skip copies) whose fields split as a point's has the names of the
// results in place of its coordinates' (LineConverter::WriteHeader).
enum class LineKind { Point, PassThrough, Header, Error };

// What separates the fields of a line: Auto follows each line (ReadPointLine); the others
// split every line at that character alone (Blank: at runs of blanks and tabs).
enum class Separator { Auto, Semicolon, Comma, Tab, Blank };

// The 1-based fields that hold the three coordinates; all zero: the line is the three of them.
using Columns = std::array<int, 3>;

// "I,J,K": three different fields from 1 (a line cannot hold more than half its bytes as
// fields); false, columns untouched, for anything else.
bool ReadColumns(std::string_view text, Columns& columns);

// Where a coordinate stood in its line, and the separator a new field after it takes: the one
// before it (or after it, for the first field), one blank when that is empty or over 32 bytes.
struct FieldSpan {
    std::size_t start = 0, end = 0;
    std::string_view separator = " ";
};

// Empty lines and lines whose first non-blank character is '#' pass through. A point is
// three fields separated by blanks, tabs, commas or semicolons, each one finite decimal
// number read strictly; with `dms` the first two are a latitude and a longitude in degrees,
// minutes and seconds (dms.h), read into decimal degrees. On an error, error says what is
// wrong with which field. With columns, a line has any number of fields, empty ones too, and
// spans gets where the three coordinates stand; since other fields may hold text with blanks,
// a line in which a semicolon occurs is split at its semicolons alone, else one with a tab
// at its tabs alone, else at blanks and commas. A separator other than Auto splits every
// line at it alone. Blanks around a field are not part of it.
LineKind ReadPointLine(std::string_view line, std::array<double, 3>& values, std::string& error,
                       bool dms = false, const Columns& columns = {},
                       std::array<FieldSpan, 3>* spans = nullptr,
                       Separator separator = Separator::Auto);

// How a line splits into fields: the separator it is split at (with columns and Auto, the one
// its own characters choose) and the number of fields; none for a comment or an empty line.
struct FieldLayout {
    Separator separator = Separator::Auto;
    int count = 0;
};
FieldLayout LayoutOf(std::string_view line, const Columns& columns, Separator separator);

// True when line splits as a point's line whose layout is `points`: at its separator, into as
// many fields, those of the coordinates (columns) there and not empty; spans get where they
// stand. For a header over the points, which gets their names.
bool FindCoordinateFields(std::string_view line, const Columns& columns, const FieldLayout& points,
                          std::array<FieldSpan, 3>& spans);

}  // namespace batch
