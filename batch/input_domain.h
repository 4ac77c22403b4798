// The domain of each input form: which values a line may give a system before they are
// converted. Outside it a line is an error; where a value is legal but the result less
// than the user expects, a warning.
//   geodetic:   latitude within [−90°, 90°] (the window's southern 270° to 360° too),
//               longitude within [−360°, 360°], a packed angle's minutes and seconds below
//               60, the height above −(b − 1 km): deeper the point nears or passes the
//               centre of the Earth; a point within 100 km of the centre warns (below);
//   plane:      the zone the easting's millions name 1 to 60 (and the one asked for, when
//               a zone is asked for to another form), the northing
//               within the meridian's quadrant (beyond it lies past the pole), and the
//               height as above; a point more than 1° beyond its zone's edge warns;
//   geocentric: any; a point within 100 km of the centre warns: within the evolute of the
//               meridian (43 km) it has several latitudes, and a little beyond it the
//               iterations to latitude may miss the nearest foot point.
#pragma once

#include <array>
#include <string>

#include "batch/conversion_options.h"
#include "engine/records.h"
#include "systems/route.h"

namespace batch {

class InputDomain {
  public:
    explicit InputDomain(const ConversionOptions& options);

    // What is wrong with the three values of a point of FROM as the user wrote them ("" when
    // nothing); warning, when nothing is, names what is doubtful (nullptr when nothing).
    std::string Check(const std::array<double, 3>& values, const char*& warning) const;

  private:
    std::string CheckGeodetic(const std::array<double, 3>& values) const;
    // A geodetic point so deep that it lies near the centre (see CheckGeocentric).
    const char* GeodeticWarning(const std::array<double, 3>& values) const;
    std::string CheckPlane(const std::array<double, 3>& values, const char*& warning) const;
    std::string CheckHeight(double height) const;
    const char* CheckGeocentric(const std::array<double, 3>& values) const;

    // "field N" and what is wrong with it, N the field of coordinate i in the line.
    std::string Field(int i, MessageId what, std::string_view argument = {}) const;

    Language language_;
    Columns columns_;  // where the coordinates stand in the line; zeros: fields 1 to 3
    bool gisAxes_;     // named as a GIS file's axes instead
    controller::CoordinateForm form_;
    controller::AngleForm angles_;
    int readingZone_;       // the zone plane coordinates are read in; 0: the easting's millions
    bool toGeocentric_;     // geocentric to geocentric needs no latitude
    systems::Zones zones_;  // of a plane FROM
    engine::ZoneScheme scheme_;                           // of a plane FROM with zones
    engine::TransverseMercatorParameters ownProjection_;  // of a plane FROM without zones
    double ownEquator_ = 0;                               // its northing of the equator
    engine::Ellipsoid ellipsoid_;
    double lowestHeight_;  // −(b − 1 km)
    double quadrant_;      // the meridian from the equator to the pole, metres
    double radius_;        // A, the rectifying radius of the transverse Mercator
};

}  // namespace batch
