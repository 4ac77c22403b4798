// A fitted transformation as the catalogue file keeps it: the plane models' keys in a
// [system.ID] table on the plane of the fit, helmert7's parameters in a [datum.ID] table and
// the target's system on that datum.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fit/fit.h"
#include "systems/catalogue.h"

namespace fit {

struct SavedSystem {
    std::string id, name;
    const systems::System* source = nullptr;
    const systems::System* target = nullptr;  // none: local plane coordinates
    // Plane models: the plane the keys were fitted in (without keys of its own), and its zone
    // (0 where it has none). Helmert7: the zone of a zoned target's points.
    const systems::System* fitPlane = nullptr;
    int zone = 0;
    std::string program = "coordconv-fit";  // that made the fit, as the comment names it
};

// The one-line account a saved system's comment (and its datum's source) gives.
std::string SavedAbout(const SavedSystem& saved, const Result& fitted);

// The tables to append, headed by that account. Helmert7 fits the points again the other way
// round (the datum's set leads from the new datum to the source's); none, with fault, when
// that fails. tolerance: as the fit was given it.
std::optional<std::string> SavedTables(const SavedSystem& saved, const Result& fitted,
                                       const std::vector<CommonPoint>& points, double tolerance,
                                       std::string& fault);

}  // namespace fit
