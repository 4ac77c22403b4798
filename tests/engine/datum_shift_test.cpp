#include <gtest/gtest.h>

#include <cmath>

#include "engine/angles.h"
#include "engine/constants.h"
#include "engine/geocentric.h"
#include "engine/helmert.h"
#include "engine/molodensky.h"

namespace engine {
namespace {

const DatumShift kNoShift{};

// The four directed datum changes with their source and target ellipsoids.
struct DatumChange {
    const char* name;
    Ellipsoid from;
    Ellipsoid to;
    DatumShift shift;
    DatumShift reverse;
};
const DatumChange kChanges[] = {
    {"WGS-84 to PZ-90", EllipsoidWgs84, EllipsoidPz90, ShiftWgs84ToPz90, ShiftPz90ToWgs84},
    {"PZ-90 to WGS-84", EllipsoidPz90, EllipsoidWgs84, ShiftPz90ToWgs84, ShiftWgs84ToPz90},
    {"PZ-90 to SK-42", EllipsoidPz90, EllipsoidKrasovsky, ShiftPz90ToSk42, ShiftSk42ToPz90},
    {"SK-42 to PZ-90", EllipsoidKrasovsky, EllipsoidPz90, ShiftSk42ToPz90, ShiftPz90ToSk42},
};

double Distance(const GeocentricPoint& p, const GeocentricPoint& q) {
    return std::hypot(p.X - q.X, p.Y - q.Y, p.Z - q.Z);
}

TEST(ShiftGeocentric, ZeroSetLeavesThePointAsItIs) {
    GeocentricPoint out;
    ShiftGeocentric({2850703.231, 2195337.027, 5249084.403}, out, kNoShift);
    EXPECT_EQ(out.X, 2850703.231);
    EXPECT_EQ(out.Y, 2195337.027);
    EXPECT_EQ(out.Z, 5249084.403);
}

TEST(ShiftGeocentric, RotationAndScaleDoNotTouchTheCentre) {
    GeocentricPoint out;
    ShiftGeocentric({0, 0, 0}, out, ShiftWgs84ToPz90);
    EXPECT_EQ(out.X, 0);
    EXPECT_EQ(out.Y, 0);
    EXPECT_EQ(out.Z, 1.0);
    ShiftGeocentric({0, 0, 0}, out, ShiftSk42ToPz90);
    EXPECT_EQ(out.X, 25);
    EXPECT_EQ(out.Y, -141);
    EXPECT_EQ(out.Z, -80);
}

TEST(ShiftGeocentric, PointOnTheXAxisTurnsTheCoordinateFrameWay) {
    const double r = 6378136;
    const double rho = 648000 / Pi();
    GeocentricPoint out;
    ShiftGeocentric({r, 0, 0}, out, ShiftPz90ToSk42);
    EXPECT_DOUBLE_EQ(out.X, r - 25);
    EXPECT_DOUBLE_EQ(out.Y, -0.66 * r / rho + 141);  // a positive wZ lowers the longitude
    EXPECT_DOUBLE_EQ(out.Z, 0.35 * r / rho + 80);    // a positive wY raises the latitude
}

TEST(ShiftGeocentric, ThereAndBackLeavesOnlySecondOrderTerms) {
    struct {
        DatumShift there, back;
        double bound;  // metres
    } const pairs[] = {{ShiftWgs84ToPz90, ShiftPz90ToWgs84, 1e-7},
                       {ShiftPz90ToSk42, ShiftSk42ToPz90, 0.5e-3}};
    for (const auto& pair : pairs) {
        for (double B = -85; B <= 85; B += 17) {
            for (double L = -180; L < 180; L += 45) {
                GeocentricPoint start, there, back;
                GeodeticToGeocentric({B, L, 100}, start, EllipsoidPz90);
                ShiftGeocentric(start, there, pair.there);
                ShiftGeocentric(there, back, pair.back);
                EXPECT_LT(Distance(start, back), pair.bound) << B << " " << L;
            }
        }
    }
}

TEST(ShiftGeodetic, SameEllipsoidAndZeroSetOnlyNormalises) {
    GeodeticPoint out;
    ShiftGeodetic({-30, -60, 250}, EllipsoidPz90, out, EllipsoidPz90, kNoShift);
    EXPECT_DOUBLE_EQ(out.B, 330);
    EXPECT_DOUBLE_EQ(out.L, 300);
    EXPECT_EQ(out.H, 250);
    ShiftGeodetic({55.75, 37.6, 200}, EllipsoidKrasovsky, out, EllipsoidKrasovsky, kNoShift);
    EXPECT_DOUBLE_EQ(out.B, 55.75);
    EXPECT_DOUBLE_EQ(out.L, 37.6);
    EXPECT_EQ(out.H, 200);
}

TEST(ShiftGeodetic, CorrectionsAtTheOriginBothWays) {
    // ΔB = ρ·dZ/(a(1 − e²)) with the mean a and e²: 0.0325573"; ΔL = −wZ; ΔH = −Δa.
    GeodeticPoint forward, reverse;
    ShiftGeodetic({0, 0, 0}, EllipsoidWgs84, forward, EllipsoidPz90, ShiftWgs84ToPz90);
    ShiftGeodetic({0, 0, 0}, EllipsoidPz90, reverse, EllipsoidWgs84, ShiftPz90ToWgs84);
    EXPECT_NEAR(forward.B * 3600, 0.0325573, 0.5e-7);
    EXPECT_NEAR(forward.L * 3600, 0.02, 1e-12);
    EXPECT_NEAR(forward.H, 1.0, 1e-9);
    EXPECT_NEAR((reverse.B - 360) * 3600, -forward.B * 3600, 1e-9);
    EXPECT_NEAR((reverse.L - 360) * 3600, -0.02, 1e-9);
    EXPECT_NEAR(reverse.H, -1.0, 1e-9);
}

// Up to 70° of latitude the one-step formulas agree with the path through rectangular
// coordinates to within a centimetre, for all four sets.
TEST(ShiftGeodetic, AgreesWithTheGeocentricPathUpTo70Degrees) {
    for (const auto& change : kChanges) {
        double worst = 0;
        for (double B = -70; B <= 70; B += 5) {
            for (double L = -180; L < 180; L += 15) {
                for (double H : {-1000.0, 0.0, 4000.0, 9000.0}) {
                    GeodeticPoint direct;
                    ShiftGeodetic({B, L, H}, change.from, direct, change.to, change.shift);

                    GeocentricPoint c, shifted;
                    GeodeticToGeocentric({B, L, H}, c, change.from);
                    ShiftGeocentric(c, shifted, change.shift);
                    GeodeticPoint viaXyz;
                    GeocentricToGeodetic(shifted, viaXyz, change.to, LatitudeTolerance);

                    // Compare on the ground: both points back to rectangular coordinates.
                    GeocentricPoint p, q;
                    GeodeticToGeocentric(direct, p, change.to);
                    GeodeticToGeocentric(viaXyz, q, change.to);
                    worst = std::max(worst, std::fabs(direct.H - viaXyz.H));
                    worst = std::max(worst, Distance(p, q));
                }
            }
        }
        EXPECT_LT(worst, 0.01) << change.name;
    }
}

TEST(ShiftGeodetic, PolesGiveAFiniteLongitude) {
    for (const auto& change : kChanges) {
        for (double B : {90.0, -90.0, 270.0, 89.99999999999999}) {
            GeodeticPoint out;
            ShiftGeodetic({B, 37.6, 100}, change.from, out, change.to, change.shift);
            EXPECT_TRUE(std::isfinite(out.B)) << change.name << " " << B;
            EXPECT_TRUE(std::isfinite(out.L)) << change.name << " " << B;
            EXPECT_TRUE(std::isfinite(out.H)) << change.name << " " << B;
            EXPECT_GE(out.L, 0);
            EXPECT_LE(out.L, 360);
        }
    }
}

// A height that makes N + H (on the equator) or M + H vanish gives NaN, not a trap.
TEST(ShiftGeodetic, VanishingRadiusPlusHeightGivesNaN) {
    const auto& change = kChanges[2];
    const double a = (change.from.a + change.to.a) / 2;
    GeodeticPoint out;
    ShiftGeodetic({0, 10, -a}, change.from, out, change.to, change.shift);  // N + H = 0
    EXPECT_TRUE(std::isnan(out.L));
    const double e2 = (EccentricitySquared(change.from) + EccentricitySquared(change.to)) / 2;
    ShiftGeodetic({0, 10, -a * (1 - e2)}, change.from, out, change.to, change.shift);  // M + H = 0
    EXPECT_TRUE(std::isnan(out.B));
}

}  // namespace
}  // namespace engine
