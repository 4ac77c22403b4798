#include "controller/routes.h"

#include <climits>

#include "engine/engine.h"

namespace controller {

namespace {

using enum CoordinateSystem;

// The working point of one conversion in every form an engine step reads or writes.
struct WorkingPoint {
    engine::GeodeticPoint geodetic;
    engine::GeocentricPoint geocentric;
    engine::PlanePoint plane;
};

using Step = void (*)(const WorkingPoint& in, WorkingPoint& out, int& zone);

struct Chain {
    CoordinateSystem source;
    CoordinateSystem target;
    Step step;
};

// clang-format off
constexpr Chain kChains[] = {
    {Wgs84Xyz, Wgs84Blh, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::GeocentricToGeodetic(in.geocentric, out.geodetic, engine::EllipsoidWgs84,
                                     engine::LatitudeTolerance); }},
    {Wgs84Xyz, Pz90Xyz, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeocentric(in.geocentric, out.geocentric, engine::ShiftWgs84ToPz90); }},
    {Wgs84Blh, Wgs84Xyz, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::GeodeticToGeocentric(in.geodetic, out.geocentric, engine::EllipsoidWgs84); }},
    {Wgs84Blh, Pz90Blh, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeodetic(in.geodetic, engine::EllipsoidWgs84, out.geodetic,
                              engine::EllipsoidPz90, engine::ShiftWgs84ToPz90); }},
    {Pz90Xyz, Wgs84Xyz, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeocentric(in.geocentric, out.geocentric, engine::ShiftPz90ToWgs84); }},
    {Pz90Xyz, Sk42Xyz, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeocentric(in.geocentric, out.geocentric, engine::ShiftPz90ToSk42); }},
    {Pz90Xyz, Pz90Blh, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::GeocentricToGeodetic(in.geocentric, out.geodetic, engine::EllipsoidPz90,
                                     engine::LatitudeTolerance); }},
    {Pz90Blh, Wgs84Blh, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeodetic(in.geodetic, engine::EllipsoidPz90, out.geodetic,
                              engine::EllipsoidWgs84, engine::ShiftPz90ToWgs84); }},
    {Pz90Blh, Pz90Xyz, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::GeodeticToGeocentric(in.geodetic, out.geocentric, engine::EllipsoidPz90); }},
    {Pz90Blh, Sk42Blh, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeodetic(in.geodetic, engine::EllipsoidPz90, out.geodetic,
                              engine::EllipsoidKrasovsky, engine::ShiftPz90ToSk42); }},
    {Sk42Xyz, Pz90Xyz, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeocentric(in.geocentric, out.geocentric, engine::ShiftSk42ToPz90); }},
    {Sk42Xyz, Sk42Blh, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::GeocentricToGeodetic(in.geocentric, out.geodetic, engine::EllipsoidKrasovsky,
                                     engine::LatitudeTolerance); }},
    {Sk42Blh, Pz90Blh, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::ShiftGeodetic(in.geodetic, engine::EllipsoidKrasovsky, out.geodetic,
                              engine::EllipsoidPz90, engine::ShiftSk42ToPz90); }},
    {Sk42Blh, Sk42Xyz, [](const WorkingPoint& in, WorkingPoint& out, int&) {
        engine::GeodeticToGeocentric(in.geodetic, out.geocentric, engine::EllipsoidKrasovsky); }},
    {Sk42Blh, Sk42Xyh, [](const WorkingPoint& in, WorkingPoint& out, int& zone) {
        engine::GeodeticToPlane(in.geodetic, out.plane, zone); }},
    {Sk42Xyh, Sk42Blh, [](const WorkingPoint& in, WorkingPoint& out, int& zone) {
        engine::PlaneToGeodetic(in.plane, out.geodetic, zone); }},
};
// clang-format on

const Chain* FindChain(CoordinateSystem source, CoordinateSystem target) {
    for (const Chain& chain : kChains) {
        if (chain.source == source && chain.target == target) return &chain;
    }
    return nullptr;
}

// The display form of angles is the packed D.MMSSsss times 10 000.
constexpr double kDisplayPerPacked = 10000;
constexpr double kPackedPerDisplay = 0.0001;

void Load(CoordinateForm form, AngleForm angles, const std::array<double, 3>& values,
          WorkingPoint& point) {
    switch (form) {
        case CoordinateForm::Geocentric:
            point.geocentric = {values[0], values[1], values[2]};
            break;
        case CoordinateForm::Geodetic:
            point.geodetic = {AngleToDegrees(values[0], angles), AngleToDegrees(values[1], angles),
                              values[2]};
            break;
        case CoordinateForm::Plane:
            point.plane = {values[0], values[1], values[2]};
            break;
    }
}

void Store(CoordinateForm form, AngleForm angles, const WorkingPoint& point,
           std::array<double, 3>& values) {
    switch (form) {
        case CoordinateForm::Geocentric:
            values = {point.geocentric.X, point.geocentric.Y, point.geocentric.Z};
            break;
        case CoordinateForm::Geodetic:
            values = {DegreesToAngle(point.geodetic.B, angles),
                      DegreesToAngle(point.geodetic.L, angles), point.geodetic.H};
            break;
        case CoordinateForm::Plane:
            values = {point.plane.x, point.plane.y, point.plane.H};
            break;
    }
}

bool UsesZone(const Chain& chain) {
    return chain.source == Sk42Xyh || chain.target == Sk42Xyh;
}

}  // namespace

bool HasChain(CoordinateSystem source, CoordinateSystem target) {
    return FindChain(source, target) != nullptr;
}

double AngleToDegrees(double angle, AngleForm form) {
    return form == AngleForm::Display ? engine::PackedToDegrees(angle * kPackedPerDisplay) : angle;
}

double DegreesToAngle(double degrees, AngleForm form) {
    return form == AngleForm::Display ? engine::DegreesToPacked(degrees) * kDisplayPerPacked
                                      : degrees;
}

namespace {

void RunChain(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
              int& zone, const std::function<int()>& readZone, AngleForm angles) {
    const Chain* chain = FindChain(source, target);
    if (!chain) return;
    WorkingPoint in, out;
    Load(FormOf(source), angles, values, in);
    if (UsesZone(*chain) && readZone) zone = readZone();
    chain->step(in, out, zone);
    Store(FormOf(target), angles, out, values);
}

}  // namespace

void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone, const std::function<int()>& readZone) {
    RunChain(source, target, values, zone, readZone, AngleForm::Display);
}

void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone) {
    RunChain(source, target, values, zone, nullptr, AngleForm::Display);
}

void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone, AngleForm angles) {
    RunChain(source, target, values, zone, nullptr, angles);
}

std::vector<CoordinateSystem> ShortestRoute(CoordinateSystem source, CoordinateSystem target) {
    // Dijkstra over the offered pairs: every step costs the same, and a Molodensky step a
    // little more, so that among equally short routes the exact Helmert path wins.
    constexpr int kStepCost = 1000;
    constexpr int kMolodenskyCost = 1;
    constexpr int kSystems = static_cast<int>(AllSystems.size());
    std::array<int, kSystems> cost;
    std::array<int, kSystems> previous;
    std::array<bool, kSystems> settled{};
    cost.fill(INT_MAX);
    previous.fill(-1);
    cost[static_cast<int>(source)] = 0;
    for (int round = 0; round < kSystems; ++round) {
        int next = -1;
        for (int s = 0; s < kSystems; ++s) {
            if (!settled[s] && cost[s] != INT_MAX && (next < 0 || cost[s] < cost[next])) next = s;
        }
        if (next < 0) break;
        settled[next] = true;
        const auto from = static_cast<CoordinateSystem>(next);
        for (CoordinateSystem to : OfferedTargets(from)) {
            const bool molodensky =
                FormOf(from) == CoordinateForm::Geodetic && FormOf(to) == CoordinateForm::Geodetic;
            const int step = kStepCost + (molodensky ? kMolodenskyCost : 0);
            const int t = static_cast<int>(to);
            if (cost[next] + step < cost[t]) {
                cost[t] = cost[next] + step;
                previous[t] = next;
            }
        }
    }
    std::vector<CoordinateSystem> route;
    if (cost[static_cast<int>(target)] == INT_MAX) return route;
    for (int s = static_cast<int>(target); s >= 0; s = previous[s]) {
        route.insert(route.begin(), static_cast<CoordinateSystem>(s));
    }
    return route;
}

}  // namespace controller
