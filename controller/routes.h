// The one engine step of each of the sixteen offered pairs, between the values as the
// dialog shows them: metres pass unchanged, latitudes and longitudes travel in display
// form (DDDMMSS.sss, the packed D.MMSSsss times 10 000).
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "controller/catalogue.h"

namespace controller {

// How the latitude and longitude of geodetic values are written: in the dialog's display
// form DDDMMSS.sss (the packed D.MMSSsss times 10 000), or in decimal degrees.
enum class AngleForm { Display, Degrees };

double AngleToDegrees(double angle, AngleForm form);
double DegreesToAngle(double degrees, AngleForm form);

// Replaces the three values in place by the target system's values. zone is read by the
// two Gauss–Krüger routes; the route to plane coordinates replaces it by the zone used.
// A pair that is not offered leaves the values as they are.
void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone);

// The same, with the zone first fetched by readZone at the moment a Gauss–Krüger route
// needs it (after the angles are prepared, before the projection); other routes never
// call it.
void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone, const std::function<int()>& readZone);

// The same with the angles of geodetic values in the given form.
void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone, AngleForm angles);

// The shortest sequence of offered pairs from source to target, both included; among
// equally short ones the one with the fewest Molodensky steps. Just {source} when the
// two are the same.
std::vector<CoordinateSystem> ShortestRoute(CoordinateSystem source, CoordinateSystem target);

// True when the pair has a chain (the dialog offers it).
bool HasChain(CoordinateSystem source, CoordinateSystem target);

}  // namespace controller
