#include "batch/input_domain.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/angles.h"
#include "engine/transverse_mercator.h"
#include "engine/zones.h"

namespace batch {

namespace {

using controller::AngleForm;
using controller::CoordinateForm;

std::string Field(int i, const std::string& what) {
    return "field " + std::to_string(i + 1) + " " + what;
}

// Within this distance beyond its zone's edge (3° from the axial meridian) a point is
// projected as well as the zone's own; further out the scale grows as 1 + Δλ²cos²B/2.
constexpr double kZoneMarginDegrees = 3 + 1;

}  // namespace

InputDomain::InputDomain(const Options& options)
    : form_(Info(options.from).form),
      angles_(options.angles),
      // Plane to plane coordinates reads the easting in the zone it names; to another form
      // in the zone asked for.
      readingZone_(Info(options.to).form == CoordinateForm::Plane ? 0 : options.zone),
      toGeocentric_(Info(options.to).form == CoordinateForm::Geocentric),
      ellipsoid_(EllipsoidOf(Info(options.from).datum)) {
    const double b = ellipsoid_.a * (1 - 1 / ellipsoid_.invF);
    lowestHeight_ = -(b - 1000);
    radius_ = engine::TransverseMercator(ellipsoid_).RectifyingRadius();
    quadrant_ = radius_ * engine::Pi() / 2;
}

std::string InputDomain::Check(const std::array<double, 3>& values, const char*& warning) const {
    warning = nullptr;
    switch (form_) {
        case CoordinateForm::Geodetic: {
            std::string error = CheckGeodetic(values);
            if (error.empty()) warning = GeodeticWarning(values);
            return error;
        }
        case CoordinateForm::Plane:
            return CheckPlane(values, warning);
        case CoordinateForm::Geocentric:
            warning = CheckGeocentric(values);
            return "";
    }
    return "";
}

std::string InputDomain::CheckHeight(double height) const {
    if (height > lowestHeight_) return "";
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.1f", lowestHeight_);
    return Field(2, std::string("is no height: at or below ") + limit +
                        " m the point lies within 1 km of the centre of the Earth or beyond it");
}

std::string InputDomain::CheckGeodetic(const std::array<double, 3>& values) const {
    for (int i = 0; i < 2; ++i) {
        if (angles_ == AngleForm::Display) {
            const double magnitude = std::fabs(values[i]);
            if (std::fmod(magnitude, 100) >= 60) return Field(i, "has 60 seconds or more");
            if (std::fmod(std::floor(magnitude / 100), 100) >= 60) {
                return Field(i, "has 60 minutes or more");
            }
        }
    }
    const double latitude = controller::AngleToDegrees(values[0], angles_);
    if (!(std::fabs(latitude) <= 90 || (latitude >= 270 && latitude <= 360))) {
        return Field(0, "is no latitude: beyond 90 degrees");
    }
    // A longitude further than a turn is a typing error, not a place (1e300 degrees is any).
    if (!(std::fabs(controller::AngleToDegrees(values[1], angles_)) <= 360)) {
        return Field(1, "is no longitude: beyond 360 degrees");
    }
    return CheckHeight(values[2]);
}

const char* InputDomain::GeodeticWarning(const std::array<double, 3>& values) const {
    // Only a height deeper than b − 100 km comes within 100 km of the centre, and only then
    // is the point's place worth computing.
    const double a = ellipsoid_.a, b = a * (1 - 1 / ellipsoid_.invF);
    if (values[2] > -(b - 100e3)) return nullptr;
    const double latitude =
        controller::AngleToDegrees(values[0], angles_) / engine::DegreesPerRadian();
    const double sinB = std::sin(latitude), cosB = std::cos(latitude);
    const double e2 = 1 - (b / a) * (b / a);
    const double N = a / std::sqrt(1 - e2 * sinB * sinB);  // the prime vertical's radius
    return CheckGeocentric({(N + values[2]) * cosB, 0, (N * (1 - e2) + values[2]) * sinB});
}

std::string InputDomain::CheckPlane(const std::array<double, 3>& values,
                                    const char*& warning) const {
    const double x = values[0], easting = values[1];
    const double named = std::trunc(easting * 1e-6);
    if (readingZone_ != 0 && named != readingZone_) {
        return Field(1, "is no easting of zone " + std::to_string(readingZone_) +
                            ": its millions name another");
    }
    if (!(named >= 1 && named <= 60)) {
        return Field(1, "is no easting: its millions give no zone from 1 to 60");
    }
    if (!(std::fabs(x) <= quadrant_ + 0.001)) {
        return Field(0, "is no northing: beyond the pole (" +
                            std::to_string(static_cast<long>(quadrant_)) + " m from the equator)");
    }
    // The longitude from the axial meridian on the conformal sphere, tan Δλ = sinh η/cos ξ
    // (Karney 2011, eq. 18, without the series δ of a few hundredths of a degree).
    const double xi = x / radius_;
    const double eta = (easting - engine::AxialEasting(static_cast<std::int64_t>(named))) / radius_;
    const double offset = std::atan2(std::fabs(std::sinh(eta)), std::max(std::cos(xi), 0.0)) *
                          engine::DegreesPerRadian();
    if (offset > kZoneMarginDegrees) {
        warning =
            "more than 1 degree beyond its zone's edge: the projection is less accurate "
            "there";
    }
    return CheckHeight(values[2]);
}

const char* InputDomain::CheckGeocentric(const std::array<double, 3>& values) const {
    if (toGeocentric_) return nullptr;
    // Within 43 km of the centre (the evolute of the meridian) a point has several
    // latitudes, and within about 50 km the iterations to latitude (ours and PROJ's) may take
    // a foot point that is not the nearest: 55° at −6340 km comes back as 90°.
    constexpr double kUnreliableRadius = 100e3;
    if (std::hypot(values[0], values[1], values[2]) < kUnreliableRadius) {
        return "within 100 km of the centre of the Earth, where its latitude is not reliable";
    }
    return nullptr;
}

}  // namespace batch
