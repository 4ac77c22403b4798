// The conversion of one point from FROM to TO, with the window's rules for small values
// (of the results, and of the values read for a pair the window offers): along the window's
// chains, or along the official route of GOST 32453-2017.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "batch/conversion_options.h"
#include "batch/input_domain.h"

namespace batch {

class PointConverter {
  public:
    explicit PointConverter(const ConversionOptions& options);

    // True when the results carry the zone used (TO holds plane coordinates).
    bool WritesZone() const {
        return to_ == controller::CoordinateForm::Plane &&
               options_.to.zones != systems::Zones::None;
    }
    // The zone the results are asked to lie in (0: each point's own).
    int TargetZone() const { return route_ ? route_->targetZone() : 0; }
    // True when the first two results are packed angles (the window's display form).
    bool WritesPackedAngles() const {
        return anglesOut_ == controller::AngleForm::Display &&
               to_ == controller::CoordinateForm::Geodetic;
    }
    // What is wrong with a point of FROM ("" when nothing), and what is doubtful (input_domain.h).
    std::string Check(const std::array<double, 3>& values, const char*& warning) const {
        return domain_.Check(values, warning);
    }
    // Replaces the values by the results; zone becomes the zone used on a route to plane
    // coordinates. error: what is wrong with the results (not finite, or a latitude the
    // window's formulas put beyond the pole); empty when nothing. warning: what is doubtful
    // about good results (nullptr when nothing).
    void Convert(std::array<double, 3>& values, int& zone, std::string& error,
                 const char*& warning) const;

  private:
    // The small-value rule, for the values of a system of this form with its angles in
    // `angles`.
    void DropSmallValues(controller::CoordinateForm form, controller::AngleForm angles,
                         std::array<double, 3>& values) const;

    ConversionOptions options_;
    controller::AngleForm anglesOut_;  // the form of the angles written (D:M:S as degrees)
    InputDomain domain_;
    controller::CoordinateForm from_, to_;  // the forms of FROM and TO
    std::optional<systems::Route> route_;   // none when the parameters join no such pair
    systems::Words refusal_;                // and why
};

}  // namespace batch
