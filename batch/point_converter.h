// The conversion of one point from FROM to TO, with the window's rules for small values
// (of the results, and of the values read for a pair the window offers): along the window's
// chains, or along the official route of GOST 32453-2017.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "batch/official_route.h"
#include "batch/options.h"

namespace batch {

class PointConverter {
  public:
    explicit PointConverter(const Options& options);

    // True when the results carry the zone used (TO holds plane coordinates).
    bool WritesZone() const { return to_ == controller::CoordinateForm::Plane; }
    // True when the first two results are packed angles (the window's display form).
    bool WritesPackedAngles() const {
        return options_.angles == controller::AngleForm::Display &&
               to_ == controller::CoordinateForm::Geodetic;
    }
    // What is wrong with the latitude and longitude of a geodetic FROM ("" when nothing):
    // minutes or seconds of a packed angle of 60 or more, a latitude beyond 90° (the window's
    // southern form, 270° to 360°, is a latitude too).
    std::string AngleProblem(const std::array<double, 3>& values) const;
    // Replaces the values by the results; zone becomes the zone used on a route to plane
    // coordinates. False when a result is not finite.
    bool Convert(std::array<double, 3>& values, int& zone) const;

  private:
    // The small-value rule of the window, for the values of a system of this form in the
    // user's form.
    void DropSmallValues(controller::CoordinateForm form, std::array<double, 3>& values) const;

    Options options_;
    controller::CoordinateForm from_, to_;                   // the forms of FROM and TO
    std::vector<controller::CoordinateSystem> windowRoute_;  // with the window's parameters
    std::optional<OfficialRoute> officialRoute_;             // with GOST 32453-2017's
};

}  // namespace batch
