// Datums as data: each an ellipsoid and the published seven-parameter sets that carry it to
// PZ-90.11, the hub of GOST 32453-2017 through which every official route runs.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/records.h"
#include "systems/text.h"

namespace systems {

// How the rotations of a seven-parameter set turn: the coordinate frame (GOST 32453-2017,
// EPSG method 1032) or the position vector (EPSG method 1033, PROJ's +towgs84). The same
// set in the other convention has its rotations' signs reversed (EPSG Guidance Note 7-2,
// 4.4.3).
enum class Convention { CoordinateFrame, PositionVector };

// A set as published, turned into the coordinate-frame convention the engine applies.
engine::DatumShift InCoordinateFrame(const engine::DatumShift& published, Convention convention);

// One published set, from a datum to the next on its way to PZ-90.11.
struct DatumLink {
    std::string to;            // the id of the datum it leads to
    Words toName;              // and its name
    engine::DatumShift shift;  // coordinate-frame rotations in ″, the scale as a ratio
    Words source;              // where it is published, its EPSG codes and stated accuracy
};

struct Datum {
    std::string id;  // "sk42"
    Words name;      // "SK-42", "СК-42"
    engine::Ellipsoid ellipsoid;
    // The sets from this datum to PZ-90.11, in the order they apply; none for PZ-90.11.
    std::vector<DatumLink> toPz9011;
    std::string definedIn;  // empty for a built-in datum, else "FILE:LINE"
};

// The datums of GOST 32453-2017, PZ-90.11 first.
std::span<const Datum> BuiltInDatums();

}  // namespace systems
