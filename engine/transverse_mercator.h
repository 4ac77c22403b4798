// The transverse Mercator projection of an ellipsoid, exact to a few nanometres within
// the zones of a map: Krüger's series in the third flattening n to sixth order, as
// published by C. F. F. Karney, "Transverse Mercator with an accuracy of a few
// nanometers", J. Geodesy 85 (2011) 475–485, eqs. (9)–(11), (35)–(36).
#pragma once

#include <array>

#include "engine/records.h"
#include "engine/zones.h"

namespace engine {

class TransverseMercator {
  public:
    // The projection of this ellipsoid with scale 1 on the central meridian.
    explicit TransverseMercator(const Ellipsoid& ellipsoid);

    // Latitude and longitude east of the central meridian in degrees (|longitude| below
    // 90°) to northing x from the equator and easting y from the central meridian, metres.
    void Forward(double latitude, double longitude, double& x, double& y) const;
    // The same from the sines and cosines of the latitude and of the longitude.
    void ForwardByTrig(double sinPhi, double cosPhi, double sinLambda, double cosLambda, double& x,
                       double& y) const;
    // The inverse: latitude in [−90°, 90°] and longitude from the central meridian.
    void Reverse(double x, double y, double& latitude, double& longitude) const;
    // A: the meridian from the equator to the pole is A·π/2 long.
    double RectifyingRadius() const { return radius_; }

  private:
    double e_;              // eccentricity
    double e2m_;            // 1 − e²
    double radius_;         // A, the radius of the rectifying sphere: a/(1 + n)·(1 + n²/4 + …)
    double inverseRadius_;  // 1/A: ξ + iη = (x + iy)/A by a product, within an ulp
    std::array<double, 8> numerator_;  // τ′ cos φ = sin φ Σ c_k sin^2k φ, up to e = 0.1
    std::array<double, 6> alpha_;      // Krüger's α₁…α₆, conformal to rectifying
    std::array<double, 6> beta_;       // β₁…β₆, rectifying to conformal
    std::array<double, 6> geodetic_;   // b₁…b₆, conformal to geodetic latitude
};

// A transverse Mercator projection with its parameters: the projection above, scaled by k₀,
// about any central meridian, from any origin latitude, with false easting and northing.
// The plane point's x is the northing, y the easting; H passes through. A latitude or
// longitude (northing or easting) that is not finite gives NaN. A scale of 0 or below is
// the caller's fault and not checked: the results mean nothing (k₀ = 0 takes every point
// to the false origin, and the plane back to NaN).
class TransverseMercatorMap {
  public:
    TransverseMercatorMap(const Ellipsoid& ellipsoid,
                          const TransverseMercatorParameters& parameters);

    // Latitude and longitude in degrees, the longitude in any range (λ − λ₀ is taken to
    // (−180°, 180°]), to the plane.
    void Forward(const GeodeticPoint& geodetic, PlanePoint& plane) const;
    // Geocentric coordinates on this ellipsoid straight to the plane: the exact geodetic
    // latitude and the longitude from the meridian as sines and cosines, never as angles.
    void ForwardGeocentric(const GeocentricPoint& geocentric, PlanePoint& plane) const;
    // The inverse: B in [−90°, 90°], L in (−180°, 180°].
    void Reverse(const PlanePoint& plane, GeodeticPoint& geodetic) const;

    const TransverseMercatorParameters& Parameters() const { return parameters_; }

  private:
    Ellipsoid ellipsoid_;
    TransverseMercator projection_;
    TransverseMercatorParameters parameters_;
    double originNorthing_;  // X(φ₀, 0): the meridian arc from the equator to φ₀
    double inverseScale_;    // 1/k₀
    double sinMeridian_, cosMeridian_;
};

// Plane coordinates in the zones of a scheme (zones.h; by default six-degree zones,
// easting = zone·1 000 000 + 500 000 + y, scale 1) through the exact projection. zone in:
// 0 or the requested zone (UTM: southern zones negative); out: the zone used (0 and NaN
// for a longitude that is not finite). Latitudes above 180° count as southern (330° is
// −30°). H passes through.
void GeodeticToZonePlane(const GeodeticPoint& geodetic, PlanePoint& plane, int& zone,
                         const TransverseMercator& projection,
                         const ZoneScheme& scheme = GaussKruger6);
// Geocentric coordinates straight to plane coordinates: GeocentricToGeodeticExact, then
// GeodeticToZonePlane, without the latitude and longitude as angles in between.
void GeocentricToZonePlane(const GeocentricPoint& geocentric, PlanePoint& plane, int& zone,
                           const Ellipsoid& ellipsoid, const TransverseMercator& projection,
                           const ZoneScheme& scheme = GaussKruger6);
// The inverse: zone 0 reads the zone from the millions of the easting (NaN out in a scheme
// whose eastings do not carry it, as UTM's). B in [−90°, 90°], L in (−180°, 180°]; H
// passes through.
void ZonePlaneToGeodetic(const PlanePoint& plane, GeodeticPoint& geodetic, int zone,
                         const TransverseMercator& projection,
                         const ZoneScheme& scheme = GaussKruger6);

}  // namespace engine
