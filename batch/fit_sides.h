// The two sides of a fit to common points brought into the coordinates the fit takes: the
// plane models' one projected plane (the source converted into it, the target's own or
// converted likewise), or geocentric X, Y, Z on each side's datum for the seven parameters.
// Shared by coordconv-fit and the window's page of keys from common points.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/conversion_options.h"
#include "batch/named_points.h"
#include "systems/catalogue.h"

namespace batch {

// Why the sides cannot be prepared: the choices make no fit (Choice), or a point cannot be
// taken into the fit's coordinates (Points).
struct FitFault {
    enum class Kind { Choice, Points };
    Kind kind = Kind::Choice;
    std::string message;
};

// What a fit is asked to relate.
struct FitChoices {
    const systems::System* source = nullptr;
    const systems::System* target = nullptr;  // none: "plane", local coordinates
    bool planeModel = true;                   // similarity2d, affine2d (else helmert7)
    // The projected system a geodetic or geocentric source is fitted in (none: the target's).
    std::optional<std::string> plane;
    std::optional<std::string> zone;  // as written; none: the points'
};

// The coordinates the fit takes, and the routes into them.
struct FitPlan {
    FitChoices choices;
    const systems::System* projection = nullptr;  // the plane of the fit's system
    systems::System fitPlane;                     // its plane without keys (plane models)
    systems::System sourceInto, targetInto;
    bool targetProjected = false;  // the target's own coordinates are plane ones
    bool targetConverted = false;  // the target's points are converted (else taken as they are)
    int zone = 0;                  // the zone asked for, 0: the points'
};

// The plan, refused (with a Choice fault) when the routes cannot be made.
std::optional<FitFault> PlanFit(const systems::Catalogue& catalogue, const FitChoices& choices,
                                FitPlan& plan);

// The names a list goes by in messages ("standard input", or its file).
struct ListNames {
    std::string source, target;
};

using NamedPairs = std::vector<std::pair<NamedPoint, NamedPoint>>;

// Both sides of the pairs in the fit's coordinates, in the pairs' order. zone: the plane of
// the fit's zone they all lie in (0 where it has none). Warnings name the list and the line;
// they and the points' faults are in `language`.
struct PreparedSides {
    std::vector<std::array<double, 3>> source, target;
    int zone = 0;
    std::vector<std::string> warnings;
};
std::optional<FitFault> PrepareSides(const FitPlan& plan, const NamedPairs& pairs, AngleText angles,
                                     const Columns& columns, const ListNames& names,
                                     PreparedSides& sides, Language language = Language::English);

// The one zone of the target's own plane coordinates (a zoned target's), into `zone`;
// requested: the zone asked for, 0 for the points'.
std::optional<FitFault> TargetZone(const systems::System& target, const NamedPairs& pairs,
                                   const std::string& listName, int requested, int& zone);

}  // namespace batch
