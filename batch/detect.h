// Guessing how to read a file of points from its first lines: the encoding, the separator,
// the header lines, the decimal comma, the fields of the coordinates and the angle form.
// Each guess carries the evidence for it as data, so that the command line and the batch
// window can each say it in their own words.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "batch/encoding.h"
#include "batch/point_line.h"
#include "systems/catalogue.h"

namespace batch {

// What is looked at: at most this much of the beginning of the input.
inline constexpr std::size_t DetectBytes = 64 * 1024;
inline constexpr int DetectLines = 200;

enum class AngleReading { Packed, Degrees, Dms };

// What a guess rests on.
enum class Clue {
    NoPointLines,        // nothing reads as a point: the defaults stand
    AsciiOnly,           // encoding: no byte beyond ASCII
    ValidUtf8,           // encoding: the bytes beyond ASCII are valid UTF-8
    NotUtf8,             // encoding: `line` holds bytes that are no UTF-8
    FieldsAlike,         // separator: `count` of `total` lines split into `fields` fields
    NoHeader,            // header: the first line that is not a comment is a point
    HeaderLines,         // header: up to `line`, the coordinate fields hold no numbers
    DecimalComma,        // `sample` at `line`, `field` is a number with a decimal comma
    DecimalPoint,        // no number has a decimal comma
    WholeLine,           // columns: the lines are the three coordinates alone, from `line`
    FirstNumbersInRow,   // columns: from `field` the first three numbers in a row
    EastingFirst,        // columns: at `field` the easting, then the northing (`count` lines)
    DmsMarks,            // angles: `sample` holds ':', '°' or a hemisphere letter
    NotDegrees,          // angles: `sample` is beyond the degrees of a latitude or longitude
    NotPacked,           // angles: `sample` as DDDMMSS has 60 minutes or seconds or more
    SmallFraction,       // angles: `sample` has a fraction and is below 10 000: degrees
    BothReadings,        // angles: every value reads either way; the window's form is taken
    NeitherReading,      // angles: `sample` reads neither way (and another value not the other)
    EastingZones,        // plane: the eastings carry zones `fields` to `count` in their millions
    EastingWithoutZone,  // plane: the easting `sample` at `line` carries no zone from 1 to `count`
};

struct Reason {
    Reason(Clue clue = Clue::NoPointLines, int line = 0, int field = 0)
        : clue(clue), line(line), field(field) {}
    Clue clue;
    int line = 0, field = 0;  // where the example stands, from 1 (0: nowhere in particular)
    int count = 0, total = 0, fields = 0;
    std::string sample;  // the example field as the file has it, in UTF-8
    bool guess = false;  // the evidence allows another reading too
};

template <typename Value>
struct Guessed {
    Value value{};
    Reason reason;
};

struct Detection {
    Guessed<Encoding> encoding;
    Guessed<Separator> separator;  // Auto when nothing reads as a point
    Guessed<int> skip;             // header lines, counted as --skip counts them
    Guessed<bool> decimalComma;
    Guessed<Columns> columns;                     // zeros: the whole line is the three numbers
    std::optional<Guessed<AngleReading>> angles;  // geodetic systems only
    std::optional<Reason> zones;                  // plane systems only: what the eastings say
    int firstPointLine = 0;  // the line (from 1) of the first point, 0 for none
    int linesLooked = 0;     // of the input, comments and header included
    // The input is UTF-16 (a byte-order mark, or NUL bytes): nothing else is guessed.
    bool utf16 = false;
};

// Looks at the beginning of an input (the first DetectBytes, the first DetectLines lines of
// it) holding points of the system `from`.
Detection DetectOptions(std::string_view head, const systems::System& from);

// The options as coordconv-cli takes them: "--separator semicolon --skip 1 --columns 2,3,4".
// Defaults are left out, except the separator and a geodetic system's angle form.
std::string DetectedOptionsText(const Detection& detection);

// One reason in a line of English: "4 of 4 lines split into 5 fields".
std::string ReasonText(const Reason& reason);

// A line for each guess: the option (or the default that stands) and its reason.
std::string ReasonsText(const Detection& detection);

}  // namespace batch
