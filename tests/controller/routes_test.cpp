#include "controller/routes.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "engine/engine.h"

namespace controller {
namespace {

using enum CoordinateSystem;
using Values = std::array<double, 3>;

const Values kGeocentric{2850703.231, 2195337.027, 5249084.403};
const Values kGeodetic{554530.5, 373700, 100};  // 55°45'30.5", 37°37'00", 100 m
const Values kPlane{6181703.22, 7413137.415, 100};

Values InputFor(CoordinateSystem system) {
    switch (FormOf(system)) {
        case CoordinateForm::Geocentric:
            return kGeocentric;
        case CoordinateForm::Geodetic:
            return kGeodetic;
        case CoordinateForm::Plane:
            break;
    }
    return kPlane;
}

engine::GeodeticPoint Geodetic(const Values& v) {
    return {engine::PackedToDegrees(v[0] * 0.0001), engine::PackedToDegrees(v[1] * 0.0001), v[2]};
}
Values Display(const engine::GeodeticPoint& g) {
    return {engine::DegreesToPacked(g.B) * 10000, engine::DegreesToPacked(g.L) * 10000, g.H};
}
Values Values3(const engine::GeocentricPoint& c) {
    return {c.X, c.Y, c.Z};
}

Values ToGeodetic(const Values& v, const engine::Ellipsoid& e) {
    engine::GeodeticPoint g;
    engine::GeocentricToGeodetic({v[0], v[1], v[2]}, g, e, engine::LatitudeTolerance);
    return Display(g);
}
Values ToGeocentric(const Values& v, const engine::Ellipsoid& e) {
    engine::GeocentricPoint c;
    engine::GeodeticToGeocentric(Geodetic(v), c, e);
    return Values3(c);
}
Values Helmert(const Values& v, const engine::DatumShift& s) {
    engine::GeocentricPoint c;
    engine::ShiftGeocentric({v[0], v[1], v[2]}, c, s);
    return Values3(c);
}
Values Molodensky(const Values& v, const engine::Ellipsoid& from, const engine::Ellipsoid& to,
                  const engine::DatumShift& s) {
    engine::GeodeticPoint g;
    engine::ShiftGeodetic(Geodetic(v), from, g, to, s);
    return Display(g);
}

// Each of the sixteen chains against the engine operation called by hand, bit for bit.
TEST(ConvertPoint, EveryChainIsItsOneEngineStep) {
    using namespace engine;
    const struct {
        CoordinateSystem source, target;
        std::function<Values(const Values&)> expected;
    } chains[] = {
        {Wgs84Xyz, Wgs84Blh, [](const Values& v) { return ToGeodetic(v, EllipsoidWgs84); }},
        {Wgs84Xyz, Pz90Xyz, [](const Values& v) { return Helmert(v, ShiftWgs84ToPz90); }},
        {Wgs84Blh, Wgs84Xyz, [](const Values& v) { return ToGeocentric(v, EllipsoidWgs84); }},
        {Wgs84Blh, Pz90Blh,
         [](const Values& v) {
             return Molodensky(v, EllipsoidWgs84, EllipsoidPz90, ShiftWgs84ToPz90);
         }},
        {Pz90Xyz, Wgs84Xyz, [](const Values& v) { return Helmert(v, ShiftPz90ToWgs84); }},
        {Pz90Xyz, Sk42Xyz, [](const Values& v) { return Helmert(v, ShiftPz90ToSk42); }},
        {Pz90Xyz, Pz90Blh, [](const Values& v) { return ToGeodetic(v, EllipsoidPz90); }},
        {Pz90Blh, Wgs84Blh,
         [](const Values& v) {
             return Molodensky(v, EllipsoidPz90, EllipsoidWgs84, ShiftPz90ToWgs84);
         }},
        {Pz90Blh, Pz90Xyz, [](const Values& v) { return ToGeocentric(v, EllipsoidPz90); }},
        {Pz90Blh, Sk42Blh,
         [](const Values& v) {
             return Molodensky(v, EllipsoidPz90, EllipsoidKrasovsky, ShiftPz90ToSk42);
         }},
        {Sk42Xyz, Pz90Xyz, [](const Values& v) { return Helmert(v, ShiftSk42ToPz90); }},
        {Sk42Xyz, Sk42Blh, [](const Values& v) { return ToGeodetic(v, EllipsoidKrasovsky); }},
        {Sk42Blh, Pz90Blh,
         [](const Values& v) {
             return Molodensky(v, EllipsoidKrasovsky, EllipsoidPz90, ShiftSk42ToPz90);
         }},
        {Sk42Blh, Sk42Xyz, [](const Values& v) { return ToGeocentric(v, EllipsoidKrasovsky); }},
        {Sk42Blh, Sk42Xyh,
         [](const Values& v) {
             PlanePoint p;
             int zone = 0;
             GeodeticToPlane(Geodetic(v), p, zone);
             return Values{p.x, p.y, p.H};
         }},
        {Sk42Xyh, Sk42Blh,
         [](const Values& v) {
             GeodeticPoint g;
             PlaneToGeodetic({v[0], v[1], v[2]}, g, 0);
             return Display(g);
         }},
    };
    for (const auto& chain : chains) {
        Values values = InputFor(chain.source);
        int zone = 0;
        ConvertPoint(chain.source, chain.target, values, zone);
        EXPECT_EQ(values, chain.expected(InputFor(chain.source)))
            << DisplayName(chain.source) << " → " << DisplayName(chain.target);
    }
}

TEST(ConvertPoint, PairsWithoutAChainLeaveTheValuesAndZoneAlone) {
    for (CoordinateSystem source : AllSystems) {
        for (CoordinateSystem target : AllSystems) {
            if (HasChain(source, target)) continue;
            Values values{1.5, -2.5, 3.5};
            int zone = 42;
            bool zoneRead = false;
            ConvertPoint(source, target, values, zone, [&] {
                zoneRead = true;
                return 7;
            });
            EXPECT_EQ(values, (Values{1.5, -2.5, 3.5}));
            EXPECT_EQ(zone, 42);
            EXPECT_FALSE(zoneRead);
        }
    }
}

TEST(ConvertPoint, ZoneIsReadOnlyByThePlaneRoutesAndChangedOnlyByTheForwardOne) {
    for (CoordinateSystem source : AllSystems) {
        for (CoordinateSystem target : OfferedTargets(source)) {
            Values values = InputFor(source);
            int zone = 6;
            int reads = 0;
            ConvertPoint(source, target, values, zone, [&] {
                ++reads;
                return 6;
            });
            const bool planeRoute = source == Sk42Xyh || target == Sk42Xyh;
            EXPECT_EQ(reads, planeRoute ? 1 : 0)
                << DisplayName(source) << " → " << DisplayName(target);
            EXPECT_EQ(zone, 6);  // 6 neighbours the point's zone 7; the inverse never writes it
        }
    }
    Values values{554500, 373700, 100};
    int zone = 0;
    ConvertPoint(Sk42Blh, Sk42Xyh, values, zone);
    EXPECT_EQ(zone, 7);
    zone = 9;  // two zones away: ignored, and the zone used comes back
    ConvertPoint(Sk42Blh, Sk42Xyh, values = {554500, 373700, 100}, zone);
    EXPECT_EQ(zone, 7);
}

TEST(ConvertPoint, DisplayFormAnglesReachTheEngineAsDegreesAndComeBack) {
    Values values{554530.5, 373700, 100};
    int zone = 0;
    ConvertPoint(Sk42Blh, Sk42Xyz, values, zone);
    engine::GeocentricPoint expected;
    engine::GeodeticToGeocentric({55 + 45 / 60.0 + 30.5 / 3600, 37 + 37 / 60.0, 100}, expected,
                                 engine::EllipsoidKrasovsky);
    EXPECT_NEAR(values[0], expected.X, 1e-6);
    EXPECT_NEAR(values[1], expected.Y, 1e-6);
    EXPECT_NEAR(values[2], expected.Z, 1e-6);

    ConvertPoint(Sk42Xyz, Sk42Blh, values, zone);
    EXPECT_NEAR(values[0], 554530.5, 1e-5);
    EXPECT_NEAR(values[1], 373700, 1e-5);
    EXPECT_NEAR(values[2], 100, 1e-6);
}

TEST(ConvertPoint, WesternAndSouthernAnglesComeOutInOneTurn) {
    Values values{-300000, -100000, 0};  // 30° S, 10° W
    int zone = 0;
    ConvertPoint(Wgs84Blh, Pz90Blh, values, zone);
    EXPECT_NEAR(engine::PackedToDegrees(values[0] * 0.0001), 330, 1e-4);
    EXPECT_NEAR(engine::PackedToDegrees(values[1] * 0.0001), 350, 1e-4);
}

}  // namespace
}  // namespace controller
