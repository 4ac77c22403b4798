// What a conversion of lines of points is asked to do: the systems, the parameter set, the
// forms of angles and numbers, which fields hold the coordinates.
#pragma once

#include <array>
#include <optional>

#include "batch/encoding.h"
#include "batch/messages.h"
#include "batch/point_line.h"
#include "controller/number_text.h"
#include "controller/routes.h"
#include "systems/route.h"

namespace batch {

using systems::Parameters;

// How angles are written: DDDMMSS.sss as the window, decimal degrees, or D:M:S.
enum class AngleText { Packed, Degrees, Dms };

struct ConversionOptions {
    systems::System from = systems::BuiltInSystems()[0];  // WGS-84 (XYZ)
    systems::System to = systems::BuiltInSystems()[1];    // WGS-84 (BLH)
    Parameters parameters = Parameters::Gost2017;
    controller::AngleForm angles = controller::AngleForm::Display;
    int zone = 0;
    int precision = controller::ResultDigits;
    bool keepGoing = false;
    bool dms = false;              // angles as D:M:S (travelling as decimal degrees inside)
    int skip = 0;                  // header lines copied unchanged at the top of each input
    std::array<int, 3> columns{};  // 1-based fields of the coordinates; zeros: the whole line
    Separator separator = Separator::Auto;  // what separates the fields of every line
    unsigned jobs = 0;                      // blocks converted at once; 0: one for each core
    std::optional<AngleText> anglesOut;     // how angles are written; none: as they are read
    // Digits after the point of metres, and of angles (of the seconds in packed and D:M:S
    // angles); −1: significant digits (D:M:S: five decimals of seconds).
    int decimals = -1;
    int angleDecimals = -1;
    // A comma between digits is the decimal separator of the input, and the output's
    // (point_line.h says in which lines): Russian Excel reads "6182646,451" as a number.
    bool decimalComma = false;
    Encoding encoding = Encoding::Utf8;        // of the input
    Encoding outputEncoding = Encoding::Utf8;  // of the output (text passing through recoded)
    // The output starts with a UTF-8 byte-order mark, which its writer puts there; an input's
    // own on line 1 is dropped, so that there are never two.
    bool bom = false;
    // Messages name a point's coordinates as a GIS file holds them, x east and y north
    // ("y (latitude) is no latitude"), not as fields of a line.
    bool gisAxes = false;
    // Of the messages about lines, the "# error: " marks written and the route described:
    // coordconv-cli's stay English, the batch window's are Russian.
    Language language = Language::English;
};

}  // namespace batch
