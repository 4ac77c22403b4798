#include "engine/gauss_kruger.h"

#include <gtest/gtest.h>

#include <cmath>

namespace engine {
namespace {

struct ForwardCase {
    double B, L;
    int requestedZone;
    int usedZone;
    double x, y;  // metres, to the millimetre
};

TEST(GeodeticToPlane, WorkedExamples) {
    const ForwardCase cases[] = {
        {55.75, 37.6167, 0, 7, 6181703.220, 7413137.415},
        {55.75, 37.6167, 6, 6, 6190495.704, 6789795.115},  // a neighbouring zone is honoured
        {55.75, 37.6167, 8, 8, NAN, 8036831.040},
        {55.75, 37.6167, 9, 7, 6181703.220, 7413137.415},  // a zone two away is ignored
        {55.75, 2, 60, 60, 6192167.163, 60813833.642},     // zone 60 for a point of zone 1
        {55.75, 357, 1, 1, 6197156.803, 1123477.183},      // zone 1 for a point of zone 60
        {55.75, -3, 0, 1, 6197156.803, 1123477.183},
        {55.75, 360, 0, 61, NAN, 61311643.599},
        {45, 33, 0, 6, 4985032.290, 6500000},
        {10, 2, 60, 60, NAN, 61048865.477},  // beyond ±500 km the prefix is no longer the zone
    };
    for (const auto& c : cases) {
        PlanePoint p;
        int zone = c.requestedZone;
        GeodeticToPlane({c.B, c.L, 100}, p, zone);
        EXPECT_EQ(zone, c.usedZone) << c.B << " " << c.L << " zone " << c.requestedZone;
        if (!std::isnan(c.x)) {
            EXPECT_NEAR(p.x, c.x, 0.5e-3) << c.B << " " << c.L;
        }
        EXPECT_NEAR(p.y, c.y, 0.5e-3) << c.B << " " << c.L;
        EXPECT_EQ(p.H, 100);
    }
}

TEST(GeodeticToPlane, ZoneBoundaries) {
    const struct {
        double L;
        int zone;
    } cases[] = {{6, 2}, {5.9999999, 1}, {0, 1}, {359.9, 60}, {360, 61}, {-5.9, 1}, {-6, 0}};
    for (const auto& c : cases) {
        PlanePoint p;
        int zone = 0;
        GeodeticToPlane({50, c.L, 0}, p, zone);
        EXPECT_EQ(zone, c.zone) << c.L;
    }
}

TEST(GeodeticToPlane, AxialMeridianHasTheFalseEastingExactly) {
    PlanePoint p;
    int zone = 0;
    GeodeticToPlane({45, 33, 0}, p, zone);
    EXPECT_EQ(p.y, 6500000);
}

// Southern latitudes in the system's own form (330° for 30° S) project where −30° does.
TEST(GeodeticToPlane, SouthernLatitudesAboveHalfATurnAreSigned) {
    PlanePoint normalised, signedForm;
    int zone1 = 0, zone2 = 0;
    GeodeticToPlane({330, 39, 0}, normalised, zone1);
    GeodeticToPlane({-30, 39, 0}, signedForm, zone2);
    EXPECT_EQ(normalised.x, signedForm.x);
    EXPECT_EQ(normalised.y, signedForm.y);
    EXPECT_NEAR(signedForm.x, -3320e3, 1e3);
}

TEST(PlaneToGeodetic, WorkedExamples) {
    GeodeticPoint g;
    PlaneToGeodetic({6181703.220, 7413137.415, 100}, g, 0);
    EXPECT_NEAR(g.B, 55.75, 1e-4 / 3600 + 1e-8);
    EXPECT_NEAR(g.L, 37.6167, 1e-4 / 3600 + 1e-8);
    EXPECT_EQ(g.H, 100);

    // A requested zone overrides the prefix: the whole easting counts from meridian 33°.
    PlaneToGeodetic({6181703.220, 7413137.415, 100}, g, 6);
    EXPECT_NEAR(g.B, 54.91358, 0.5e-5);
    EXPECT_NEAR(g.L, 47.29013, 0.5e-5);

    // South of the equator the latitude is one turn minus its magnitude.
    PlaneToGeodetic({-1000000, 7500000, 0}, g, 0);
    EXPECT_NEAR(g.B, 350.957217, 0.5e-6);
    EXPECT_NEAR(g.L, 39, 1e-12);
}

// Forward then inverse in the same zone: within 1e-4" inside 3° of the axial meridian and
// within 0.1" up to 9° (a point projected into a neighbouring zone).
TEST(GaussKrugerRoundTrip, WithinTheZoneAndIntoItsNeighbours) {
    for (double B = -80; B <= 80; B += 4) {
        for (double offset = -8.9; offset <= 8.9; offset += 0.35) {
            const int zone = 7;
            const double L = 39 + offset;
            PlanePoint p;
            int used = std::fabs(offset) < 3 ? 0 : zone;
            GeodeticToPlane({B, L, 50}, p, used);
            ASSERT_EQ(used, zone) << B << " " << L;
            GeodeticPoint g;
            PlaneToGeodetic(p, g, zone);
            const double bound = (std::fabs(offset) <= 3 ? 1e-4 : 0.1) / 3600;
            const double signedB = g.B > 180 ? g.B - 360 : g.B;
            EXPECT_NEAR(signedB, B, bound) << B << " " << L;
            EXPECT_NEAR(g.L, L, bound) << B << " " << L;
            EXPECT_EQ(g.H, 50);
        }
    }
}

}  // namespace
}  // namespace engine
