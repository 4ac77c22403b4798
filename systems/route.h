// A route from one system to another, built once for (from, to, parameter set, zone) as a list
// of steps. Each step converts a point and describes itself (what it does, its formula and
// source, its stated accuracy or what its arithmetic costs), so that the description printed
// is the very list that runs. A request no route can serve is refused when it is built.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "systems/catalogue.h"

namespace systems {

// GOST 32453-2017's sets through PZ-90.11 with exact arithmetic, or the window's own
// constants and chains.
enum class Parameters { Gost2017, Window };

// Why a point stopped on its way.
enum class Fault {
    None,
    NoWindowLatitude,   // the window's formulas put the latitude beyond the pole (`latitude`)
    OutsideProjection,  // too far from a transverse Mercator's central meridian (route.cpp)
    OutsideGeoid,       // outside the grid of a geoid model (`geoid`)
    GeoidHole,          // where a geoid model's grid holds no value (`geoid`)
};

// A point on its way: three values whose meaning the last step gave them (geocentric X, Y, Z;
// geodetic B, L in decimal degrees and H; plane x, y, H) and its zone.
struct RoutePoint {
    std::array<double, 3> values{};
    // Plane coordinates: the zone requested going in (0: chosen from the point, or read from
    // the easting), the zone used coming out.
    int zone = 0;
    Fault fault = Fault::None;
    double latitude = 0;      // for Fault::NoWindowLatitude
    bool beyondPole = false;  // the window's latitude a little beyond a pole, kept
    // The normal height, from the source's model or for the target's, carried to the end.
    double normalHeight = 0;
    const Heights* geoid = nullptr;  // for Fault::OutsideGeoid and Fault::GeoidHole
};

class Step {
  public:
    virtual ~Step() = default;
    virtual void Convert(RoutePoint& point) const = 0;
    // One line or more, without their numbers ("SK-42 geodetic -> geocentric: closed form").
    virtual std::vector<Words> Describe() const = 0;
    // The step as PROJ pipeline steps appended to `steps` ("+proj=cart +a=6378137 +rf=…"),
    // or false and `why` (English) where PROJ cannot run it exactly.
    virtual bool Proj(std::vector<std::string>& steps, std::string& why) const = 0;
};

// The system whose zone a zone asked for names: the target's when it has zones (towards
// plane coordinates the source's eastings name their own), else the source's; but a UTM
// source's always, since its eastings carry no zone. None when neither has zones.
const System* ZoneNamedBy(const System& from, const System& to);

class Route {
  public:
    // The route, or none when the parameter set joins no such pair (the window's parameters
    // join only the window's seven systems): `refusal` then says why.
    static std::optional<Route> Build(const System& from, const System& to, Parameters parameters,
                                      int zone, Words& refusal);

    // Replaces the point's values by the target's; latitudes and longitudes in decimal
    // degrees. Stops at the first step that sets a fault.
    void Convert(RoutePoint& point) const {
        for (const auto& step : steps_) {
            step->Convert(point);
            if (point.fault != Fault::None) return;
        }
    }

    // Every step numbered, under a line naming the route and above its accuracy.
    std::string Describe(Language language) const;
    // The route as a PROJ pipeline taking and giving coordinates in the order of GIS files and
    // cct: longitude, latitude in degrees and height; easting, northing, height; or X, Y, Z.
    // None, and why, where a step has no exact PROJ form (the window's formulas, a zone not
    // fixed, a geoid grid PROJ does not read or on another datum).
    std::optional<std::string> ProjPipeline(std::string& why) const;

    Parameters parameters() const { return parameters_; }
    // The zone the target's plane coordinates are asked to lie in (0: the point's own); a
    // point that lies in another is the caller's to report.
    int targetZone() const { return targetZone_; }
    // The window's chain of one offered pair: its texts are the window's own.
    bool IsWindowPair() const { return windowSteps_ == 1; }
    bool RunsWindowChains() const { return parameters_ == Parameters::Window; }
    const System& from() const { return from_; }
    const System& to() const { return to_; }

  private:
    Route(const System& from, const System& to, Parameters parameters)
        : from_(from), to_(to), parameters_(parameters) {}

    System from_, to_;
    Parameters parameters_;
    std::vector<std::shared_ptr<const Step>> steps_;
    int windowSteps_ = 0;
    int targetZone_ = 0;
};

}  // namespace systems
