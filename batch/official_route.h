// A conversion between any two systems of the catalogue with the parameters of
// GOST 32453-2017: through geocentric coordinates and PZ-90.11, each step exact (the
// arithmetic adds less than 0.1 mm): geodetic to geocentric in closed form, the published
// seven-parameter set to PZ-90.11 and the exact inverse of the target's set, Bowring's
// iteration to convergence back to geodetic, and the exact transverse Mercator in six-degree
// zones for plane coordinates. Between the two forms of one datum the step is direct.
#pragma once

#include <array>
#include <optional>

#include "batch/systems.h"
#include "engine/helmert.h"
#include "engine/transverse_mercator.h"

namespace batch {

class OfficialRoute {
  public:
    OfficialRoute(SystemId from, SystemId to);

    // Replaces the values by the target's; latitudes and longitudes in decimal degrees,
    // given in any range and returned in [0°, 360°) as the window writes them. zone: the
    // requested zone in (0 lets the projection choose, or reads the easting), the zone used
    // out for plane coordinates.
    void Convert(std::array<double, 3>& values, int& zone) const;

  private:
    SystemInfo from_, to_;
    engine::Ellipsoid fromEllipsoid_, toEllipsoid_;
    engine::AffineMap datumStep_;  // through PZ-90.11, for two different datums
    engine::TransverseMercator fromProjection_, toProjection_;
};

}  // namespace batch
