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

// Within 1° beyond its zone's edge a point is projected as well as the zone's own; further
// out the scale grows as 1 + Δλ²cos²B/2.
constexpr double kZoneMarginDegrees = 1;

}  // namespace

InputDomain::InputDomain(const ConversionOptions& options)
    : language_(options.language),
      columns_(options.columns),
      gisAxes_(options.gisAxes),
      form_(options.from.form),
      angles_(options.angles),
      // Plane to plane coordinates reads the easting in the zone it names; to another form
      // in the zone asked for.
      readingZone_(systems::ZoneNamedBy(options.from, options.to) == &options.from ? options.zone
                                                                                   : 0),
      toGeocentric_(options.to.form == CoordinateForm::Geocentric),
      zones_(options.from.zones),
      scheme_(options.from.scheme),
      ownProjection_(options.from.projection),
      ellipsoid_(options.from.datum.ellipsoid) {
    const double b = ellipsoid_.a * (1 - 1 / ellipsoid_.invF);
    lowestHeight_ = -(b - 1000);
    const engine::TransverseMercator projection(ellipsoid_);
    radius_ = projection.RectifyingRadius();
    quadrant_ = radius_ * engine::Pi() / 2;
    // A single projection's plane: its central meridian's easting, the equator's northing
    // (the false northing less the scaled meridian arc to the origin latitude) and its scale.
    const engine::TransverseMercatorParameters& own = options.from.projection;
    double arc = 0, y = 0;
    projection.Forward(own.originLatitude, 0, arc, y);
    ownEquator_ = own.falseNorthing - own.scale * arc;
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

std::string InputDomain::Field(int i, MessageId what, std::string_view argument) const {
    if (gisAxes_) {
        // Latitude or northing first, as routes take them; a GIS file's y.
        const bool geodetic = form_ == CoordinateForm::Geodetic;
        const MessageId axes[] = {geodetic ? MessageId::AxisLatitude : MessageId::AxisNorthing,
                                  geodetic ? MessageId::AxisLongitude : MessageId::AxisEasting,
                                  MessageId::AxisHeight};
        return Message(language_, MessageId::Coordinate,
                       {MessageText(language_, axes[i]), Message(language_, what, {argument})});
    }
    const int field = columns_[0] != 0 ? columns_[i] : i + 1;
    return Message(language_, MessageId::Field,
                   {std::to_string(field), Message(language_, what, {argument})});
}

std::string InputDomain::CheckHeight(double height) const {
    if (height > lowestHeight_) return "";
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.1f", lowestHeight_);
    return Field(2, MessageId::IsNoHeight, Figure(language_, limit));
}

std::string InputDomain::CheckGeodetic(const std::array<double, 3>& values) const {
    for (int i = 0; i < 2; ++i) {
        if (angles_ == AngleForm::Display) {
            const double magnitude = std::fabs(values[i]);
            if (std::fmod(magnitude, 100) >= 60) return Field(i, MessageId::HasSixtySeconds);
            if (std::fmod(std::floor(magnitude / 100), 100) >= 60) {
                return Field(i, MessageId::HasSixtyMinutes);
            }
        }
    }
    const double latitude = controller::AngleToDegrees(values[0], angles_);
    if (!(std::fabs(latitude) <= 90 || (latitude >= 270 && latitude <= 360))) {
        return Field(0, MessageId::IsNoLatitude);
    }
    // A longitude further than a turn is a typing error, not a place (1e300 degrees is any).
    if (!(std::fabs(controller::AngleToDegrees(values[1], angles_)) <= 360)) {
        return Field(1, MessageId::IsNoLongitude);
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
    // Where the plane's central meridian and equator lie, and its scale: a zone's of the
    // scheme, or the system's own projection's.
    double centralEasting = 0, equator = 0, scale = 1;
    switch (zones_) {
        case systems::Zones::None:
            centralEasting = ownProjection_.falseEasting;
            equator = ownEquator_;
            scale = ownProjection_.scale;
            break;
        case systems::Zones::GaussKruger6:
        case systems::Zones::GaussKruger3:
        case systems::Zones::Utm: {
            // The zone the easting's millions name, or UTM's given one (its eastings carry none).
            const double named = scheme_.zoneInEasting ? std::trunc(easting * 1e-6) : readingZone_;
            if (readingZone_ != 0 && named != readingZone_) {
                return Field(1, MessageId::IsNoEastingOfZone, std::to_string(readingZone_));
            }
            if (!(std::fabs(named) >= 1 && std::fabs(named) <= scheme_.zones)) {
                return Field(1, MessageId::IsNoEasting, std::to_string(scheme_.zones));
            }
            const auto zone = static_cast<std::int64_t>(named);
            centralEasting = engine::CentralEasting(scheme_, zone);
            equator = engine::ZoneFalseNorthing(scheme_, zone);
            scale = scheme_.scale;
            break;
        }
    }
    const double xi = (x - equator) / (scale * radius_);
    if (!(std::fabs(xi) <= engine::Pi() / 2 + 0.001 / radius_)) {
        return Field(
            0, MessageId::IsNoNorthing,
            std::to_string(static_cast<long>(equator + std::copysign(scale * quadrant_, xi))));
    }
    // The longitude from the central meridian on the conformal sphere, tan Δλ = sinh η/cos ξ
    // (Karney 2011, eq. 18, without the series δ of a few hundredths of a degree).
    const double eta = (easting - centralEasting) / (scale * radius_);
    const double offset = std::atan2(std::fabs(std::sinh(eta)), std::max(std::cos(xi), 0.0)) *
                          engine::DegreesPerRadian();
    if (zones_ != systems::Zones::None && offset > scheme_.width / 2 + kZoneMarginDegrees) {
        warning = MessageText(language_, MessageId::BeyondZoneEdge);
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
        return MessageText(language_, MessageId::NearTheCentre);
    }
    return nullptr;
}

}  // namespace batch
