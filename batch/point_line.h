// One line of coordconv-cli's input: a point of three numbers, or a line to pass through.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "batch/encoding.h"
#include "batch/messages.h"

namespace batch {

// A header (a line --skip copies) whose fields split as a point's has the names of the
// results in place of its coordinates' (LineConverter::WriteHeader).
enum class LineKind { Point, PassThrough, Header, Error };

// What separates the fields of a line: Auto follows each line (ReadPointLine); the others
// split every line at that character alone (Blank: at runs of blanks and tabs).
enum class Separator { Auto, Semicolon, Comma, Tab, Blank };

// The character that separates fields, 0 for runs of blanks (and commas, for Auto).
char SeparatorMark(Separator separator);

// A field whose decimal separator is a comma, as the number readers take it: "554530,5" as
// "554530.5", in buffer when anything is turned. Only a comma between digits is turned; any
// other stays and makes no number.
std::string_view WithDecimalPoint(std::string_view field, std::string& buffer);

// The 1-based fields that hold the three coordinates; all zero: the line is the three of them.
using Columns = std::array<int, 3>;

// "I,J,K": three different fields from 1 (a line cannot hold more than half its bytes as
// fields); false, columns untouched, for anything else.
bool ReadColumns(std::string_view text, Columns& columns);

// Where a coordinate stood in its line, and the separator a new field after it takes: the one
// before it (or after it, for the first field), one blank when that is empty or over 32 bytes.
// A quoted coordinate stands inside its quotes; its field ends after the closing one.
struct FieldSpan {
    std::size_t start = 0, end = 0;
    std::size_t fieldEnd = 0;
    std::string_view separator = " ";
};

// How the fields of a point were found: where its coordinates stand, and whether the line
// is to be written as it stands (split at semicolons or tabs, or a coordinate quoted).
struct PointLayout {
    std::array<FieldSpan, 3> spans{};
    bool keep = false;
};

// How the lines are read.
struct LineRules {
    bool dms = false;  // the first two coordinates in degrees, minutes and seconds
    Columns columns{};
    Separator separator = Separator::Auto;
    // A comma between digits is the decimal separator, in fields apart by semicolons, tabs
    // or blanks alone; a line is then split by the rule --columns follows.
    bool decimalComma = false;
    Encoding encoding = Encoding::Utf8;     // of the line: D:M:S letters, fields in messages
    Language language = Language::English;  // of the messages
};

// Empty lines and lines whose first non-blank character is '#' pass through. A point is
// three fields separated by blanks, tabs, commas or semicolons, each one finite decimal
// number read strictly; with rules.dms the first two are a latitude and a longitude in
// degrees, minutes and seconds (dms.h), read into decimal degrees. On an error, error says
// what is wrong with which field. With columns, a line has any number of fields, empty ones
// too, and layout gets where the three coordinates stand; since other fields may hold text
// with blanks, a line in which a semicolon occurs is split at its semicolons alone, else one
// with a tab at its tabs alone, else at blanks and commas (the same with decimalComma). A
// separator other than Auto splits every line at it alone. Blanks around a field are not
// part of it. A field that starts with a double quote ends at its closing quote (RFC 4180):
// separators and blanks inside are its own, "" is one quote.
LineKind ReadPointLine(std::string_view line, std::array<double, 3>& values, std::string& error,
                       const LineRules& rules = {}, PointLayout* layout = nullptr);

// How a line splits into fields: the separator it is split at (with Auto, the one its own
// characters choose where the rules let them) and the number of fields, and whether it is
// written as it stands (PointLayout::keep); no fields for a comment or an empty line.
struct FieldLayout {
    Separator separator = Separator::Auto;
    int count = 0;
    bool keep = false;
};
FieldLayout LayoutOf(std::string_view line, const LineRules& rules);

// True when line splits as a point's line whose layout is `points`: at its separator, into as
// many fields, those of the coordinates (rules.columns) there, well quoted and not empty;
// layout gets where they stand, and is kept as it stands when the points' lines are or a name
// is quoted. For a header over the points, which gets their names.
bool FindCoordinateFields(std::string_view line, const LineRules& rules, const FieldLayout& points,
                          PointLayout& layout);

}  // namespace batch
