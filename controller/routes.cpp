#include "controller/routes.h"

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

void Load(CoordinateForm form, const std::array<double, 3>& values, WorkingPoint& point) {
    switch (form) {
        case CoordinateForm::Geocentric:
            point.geocentric = {values[0], values[1], values[2]};
            break;
        case CoordinateForm::Geodetic:
            point.geodetic = {engine::PackedToDegrees(values[0] * kPackedPerDisplay),
                              engine::PackedToDegrees(values[1] * kPackedPerDisplay), values[2]};
            break;
        case CoordinateForm::Plane:
            point.plane = {values[0], values[1], values[2]};
            break;
    }
}

void Store(CoordinateForm form, const WorkingPoint& point, std::array<double, 3>& values) {
    switch (form) {
        case CoordinateForm::Geocentric:
            values = {point.geocentric.X, point.geocentric.Y, point.geocentric.Z};
            break;
        case CoordinateForm::Geodetic:
            values = {engine::DegreesToPacked(point.geodetic.B) * kDisplayPerPacked,
                      engine::DegreesToPacked(point.geodetic.L) * kDisplayPerPacked,
                      point.geodetic.H};
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

void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone, const std::function<int()>& readZone) {
    const Chain* chain = FindChain(source, target);
    if (!chain) return;
    WorkingPoint in, out;
    Load(FormOf(source), values, in);
    if (UsesZone(*chain) && readZone) zone = readZone();
    chain->step(in, out, zone);
    Store(FormOf(target), out, values);
}

void ConvertPoint(CoordinateSystem source, CoordinateSystem target, std::array<double, 3>& values,
                  int& zone) {
    ConvertPoint(source, target, values, zone, nullptr);
}

}  // namespace controller
