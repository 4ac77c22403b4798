// The conversion of one point along the route from FROM to TO, with the window's rules
// for small values at both ends.
#pragma once

#include <array>
#include <vector>

#include "cli/options.h"

namespace cli {

class PointConverter {
  public:
    explicit PointConverter(const Options& options);

    // True when the results carry the zone used (TO is sk42-xyh).
    bool WritesZone() const { return options_.to == controller::CoordinateSystem::Sk42Xyh; }
    // True when the first two results are packed angles (the window's display form).
    bool WritesPackedAngles() const {
        return options_.angles == controller::AngleForm::Display &&
               controller::FormOf(options_.to) == controller::CoordinateForm::Geodetic;
    }
    const std::vector<controller::CoordinateSystem>& Route() const { return route_; }

    // Replaces the values by the results; zone becomes the zone used on a route to plane
    // coordinates. False when a result is not finite.
    bool Convert(std::array<double, 3>& values, int& zone) const;

  private:
    // The small-value rule of the window, for the values of a system in the user's form.
    void DropSmallValues(controller::CoordinateSystem system, std::array<double, 3>& values) const;

    Options options_;
    std::vector<controller::CoordinateSystem> route_;
};

}  // namespace cli
