// The part of PROJ's string syntax that a GIS writes for the systems coordconv can serve:
// transverse Mercator (tmerc, etmerc, utm), geodetic (longlat) and geocentric (geocent),
// each on an ellipsoid, with or without a +towgs84 shift. The strings are read as PROJ
// reads them; any parameter outside this subset is refused by name, never ignored.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "controller/catalogue.h"
#include "engine/records.h"

namespace systems {

// GRS 1980 (Moritz, "Geodetic Reference System 1980", J. Geodesy 74 (2000)), as PROJ's
// +ellps=GRS80: a = 6378137 m, 1/f = 298.257222101.
inline constexpr engine::Ellipsoid EllipsoidGrs80{6378137.0, 298.257222101};

// What a PROJ string says. Its numbers are as written, not checked against any range:
// the catalogue file judges them as it judges its own tables.
struct ProjDefinition {
    controller::CoordinateForm form = controller::CoordinateForm::Geodetic;
    engine::TransverseMercatorParameters projection;  // of the plane form (tmerc, utm)
    engine::Ellipsoid ellipsoid;
    // +towgs84 in the coordinate-frame convention the engine applies (PROJ writes the
    // position vector: rotations' signs reversed), rotations in ″, the scale as a ratio.
    std::optional<engine::DatumShift> toWgs84;
    bool wgs84Datum = false;  // +datum=WGS84: the WGS-84 datum itself
};

// The definition a PROJ string gives, or none and `fault` says why ("+nadgrids is not
// supported").
std::optional<ProjDefinition> ReadProjString(std::string_view text, std::string& fault);

}  // namespace systems
