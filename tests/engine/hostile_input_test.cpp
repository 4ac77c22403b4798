// Whatever numbers arrive, every operation returns: no hang, no trap, no wrap.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/engine.h"

namespace engine {
namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

const std::vector<double> kHostile = {kNaN,
                                      kInf,
                                      -kInf,
                                      1e300,
                                      -1e300,
                                      1e17,
                                      -1e17,
                                      4.9e-324,
                                      -4.9e-324,
                                      0.0,
                                      -0.0,
                                      1e-12,
                                      2.5e-7,
                                      1000.0,
                                      90.0,
                                      -90.0,
                                      32768.0,
                                      6e6,
                                      -6.4e6,
                                      1e10,
                                      2147483647.0,
                                      1.7976931348623157e308,
                                      -1.7976931348623157e308};

class MuteMathErrors : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = SetMathErrorHandler([](const char*, const char*) {});
    }
    void TearDown() override { SetMathErrorHandler(previous_); }
    MathErrorHandler previous_ = nullptr;
};

bool InTurn(double degrees) {
    return degrees >= 0 && degrees <= 360;
}

using HostileInputs = MuteMathErrors;

TEST_F(HostileInputs, AngleHelpersReturn) {
    for (double v : kHostile) {
        const double d = PackedToDegrees(v);
        const double p = DegreesToPacked(v);
        if (std::isfinite(v)) {
            EXPECT_TRUE(std::isfinite(d)) << v;
            EXPECT_TRUE(std::isfinite(p)) << v;
            // The sign of the whole angle survives: no 16-bit wrap of the degrees.
            EXPECT_EQ(std::signbit(d), v < 0) << v;
            EXPECT_EQ(std::signbit(p), v < 0) << v;
        }
        const double n = NormalizeAngle(v);
        EXPECT_TRUE(std::isnan(n) || (n >= 0 && n <= 2 * Pi())) << v;
    }
}

TEST_F(HostileInputs, GeocentricConversionsReturn) {
    const Ellipsoid ellipsoids[] = {EllipsoidWgs84, EllipsoidPz90, EllipsoidKrasovsky};
    for (const auto& e : ellipsoids) {
        for (double u : kHostile) {
            for (double v : kHostile) {
                GeocentricPoint c;
                GeodeticToGeocentric({u, v, u}, c, e);
                GeodeticPoint g;
                GeocentricToGeodetic({u, v, v}, g, e, LatitudeTolerance);
                EXPECT_TRUE(std::isnan(g.B) || InTurn(g.B));
                EXPECT_TRUE(std::isnan(g.L) || InTurn(g.L));
            }
        }
    }
}

// Points near the centre: finite answers, whether or not the arcsine left its domain.
TEST_F(HostileInputs, PointsNearTheCentreGiveFiniteAnswers) {
    for (double r : {1e-11, 1e-3, 1.0, 1000.0, 21000.0, 25000.0, 43000.0}) {
        for (double share : {0.0, 0.1, 0.5, 0.9, 1.0}) {
            GeodeticPoint g;
            GeocentricToGeodetic({r * (1 - share), r * share / 2, r * share}, g, EllipsoidKrasovsky,
                                 LatitudeTolerance);
            EXPECT_TRUE(std::isfinite(g.B) && std::isfinite(g.L) && std::isfinite(g.H))
                << r << " " << share;
        }
    }
}

TEST_F(HostileInputs, DatumShiftsReturn) {
    for (double u : kHostile) {
        for (double v : kHostile) {
            GeocentricPoint c;
            ShiftGeocentric({u, v, u}, c, ShiftPz90ToSk42);
            GeodeticPoint g;
            ShiftGeodetic({u, v, u}, EllipsoidPz90, g, EllipsoidKrasovsky, ShiftPz90ToSk42);
            EXPECT_TRUE(std::isnan(g.B) || InTurn(g.B)) << u << " " << v;
            EXPECT_TRUE(std::isnan(g.L) || InTurn(g.L)) << u << " " << v;
        }
    }
}

TEST_F(HostileInputs, ProjectionReturnsFarOutsideItsDomain) {
    const int zones[] = {0, 1, 7, 60, 61, -1, 2146, -2147483647, 2147483647};
    for (double u : kHostile) {
        for (double v : kHostile) {
            for (int requested : zones) {
                PlanePoint p;
                int zone = requested;
                GeodeticToPlane({u, v, 0}, p, zone);
                GeodeticPoint g;
                PlaneToGeodetic({u, v, 0}, g, requested);
                EXPECT_TRUE(std::isnan(g.B) || InTurn(g.B));
                EXPECT_TRUE(std::isnan(g.L) || InTurn(g.L));
            }
        }
    }
    // The meridian distance of a pole with a large easting: cos Bx tends to 0.
    for (double x : {10002137.0, -10002137.0}) {
        GeodeticPoint g;
        PlaneToGeodetic({x, 7900000, 0}, g, 0);
        EXPECT_TRUE(std::isnan(g.L) || InTurn(g.L)) << x;
        EXPECT_TRUE(std::isnan(g.B) || InTurn(g.B)) << x;
    }
}

// A longitude whose zone fits no int has no zone: NaN and zone 0, not a wrapped number.
TEST_F(HostileInputs, LongitudeWithoutAZone) {
    for (double L : {1e300, -1e300, kInf, kNaN, 1.3e10}) {
        PlanePoint p;
        int zone = 7;
        GeodeticToPlane({55, L, 1}, p, zone);
        EXPECT_EQ(zone, 0) << L;
        EXPECT_TRUE(std::isnan(p.x) && std::isnan(p.y)) << L;
        EXPECT_EQ(p.H, 1);
    }
}

}  // namespace
}  // namespace engine
