#include "engine/geocentric.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/angles.h"
#include "engine/constants.h"
#include "engine/math_error.h"

namespace engine {
namespace {

const Ellipsoid kEllipsoids[] = {EllipsoidWgs84, EllipsoidPz90, EllipsoidKrasovsky};

// Counts the math-error reports made while it lives, instead of printing them.
class MathErrorCounter {
  public:
    MathErrorCounter() {
        previous_ = SetMathErrorHandler(&Count);
        count_ = 0;
    }
    ~MathErrorCounter() { SetMathErrorHandler(previous_); }
    int count() const { return count_; }

  private:
    static void Count(const char* function, const char* kind) {
        EXPECT_EQ(FormatMathError(function, kind), "asin: DOMAIN error");
        ++count_;
    }
    static inline int count_ = 0;
    MathErrorHandler previous_;
};

TEST(GeodeticToGeocentric, KrasovskyWorkedExample) {
    GeocentricPoint c;
    GeodeticToGeocentric({55.75, 37.6, 200}, c, EllipsoidKrasovsky);
    EXPECT_NEAR(c.X, 2850703.231, 0.5e-3);
    EXPECT_NEAR(c.Y, 2195337.027, 0.5e-3);
    EXPECT_NEAR(c.Z, 5249084.403, 0.5e-3);
}

TEST(GeocentricToGeodetic, KrasovskyWorkedExampleKeepsTheLatitudeOfTheLastPass) {
    GeocentricPoint c;
    GeodeticToGeocentric({55.75, 37.6, 200}, c, EllipsoidKrasovsky);
    GeodeticPoint g;
    GeocentricToGeodetic(c, g, EllipsoidKrasovsky, LatitudeTolerance);
    EXPECT_NEAR(g.L, 37.6, 1e-12);
    EXPECT_NEAR(g.H, 200, 1e-8);
    // One pass behind the converged value: about 4.6e-11 rad above 55.75°.
    const double lag = (g.B - 55.75) / DegreesPerRadian();
    EXPECT_NEAR(lag, 4.6e-11, 0.1e-11);
}

TEST(GeocentricToGeodetic, CentreGivesTheFixedAnswer) {
    for (const auto& e : kEllipsoids) {
        GeodeticPoint g{1, 2, 3};
        GeocentricToGeodetic({0, 0, 0}, g, e, LatitudeTolerance);
        EXPECT_EQ(g.B, 0);
        EXPECT_EQ(g.L, 0);
        EXPECT_EQ(g.H, -e.a);
    }
}

TEST(GeocentricToGeodetic, EquatorAndPoles) {
    for (const auto& e : kEllipsoids) {
        GeodeticPoint g;
        GeocentricToGeodetic({e.a + 150, 0, 0}, g, e, LatitudeTolerance);
        EXPECT_EQ(g.B, 0);
        EXPECT_EQ(g.L, 0);
        EXPECT_NEAR(g.H, 150, 1e-9);

        const double polarRadius = e.a * std::sqrt(1 - EccentricitySquared(e));
        for (double Z : {6400000.0, -6400000.0}) {
            GeocentricToGeodetic({0, 0, Z}, g, e, LatitudeTolerance);
            EXPECT_DOUBLE_EQ(g.B, Z > 0 ? 90 : 270);
            EXPECT_EQ(g.L, 0);
            EXPECT_NEAR(g.H, std::fabs(Z) - polarRadius, 1e-8);
        }
    }
}

TEST(GeocentricToGeodetic, SouthernAndWesternAnglesComeBackAsOneTurnMinusTheirMagnitude) {
    GeocentricPoint c;
    GeodeticToGeocentric({-30, -60, 10}, c, EllipsoidPz90);
    GeodeticPoint g;
    GeocentricToGeodetic(c, g, EllipsoidPz90, LatitudeTolerance);
    EXPECT_NEAR(g.B, 330, 1e-8);
    EXPECT_NEAR(g.L, 300, 1e-11);
}

struct LongitudeCase {
    double X, Y;
    double degrees;  // expected longitude
    double tolerance;
};

TEST(GeocentricToGeodetic, LongitudesOnAndNearTheAxes) {
    const double r = 6378000;
    const double tiny = 1e-4 / r * DegreesPerRadian();  // the angle of 0.1 mm at r
    const LongitudeCase cases[] = {
        {r, 0, 0, 0},
        {0, r, 90, 0},
        {-r, 0, 180, 0},
        {0, -r, 270, 0},
        {-r, 1e-4, 180 - tiny, 1e-12},
        {-r, -1e-4, 180 + tiny, 1e-12},
        {r, -1e-4, 360 - tiny, 1e-12},
    };
    for (const auto& c : cases) {
        GeodeticPoint g;
        GeocentricToGeodetic({c.X, c.Y, 0}, g, EllipsoidWgs84, LatitudeTolerance);
        EXPECT_NEAR(g.L, c.degrees, c.tolerance) << c.X << ", " << c.Y;
    }
    // Just under and just over 180°, just under 360°: strictly on the right side.
    GeodeticPoint g;
    GeocentricToGeodetic({-r, 1e-4, 0}, g, EllipsoidWgs84, LatitudeTolerance);
    EXPECT_LT(g.L, 180);
    GeocentricToGeodetic({-r, -1e-4, 0}, g, EllipsoidWgs84, LatitudeTolerance);
    EXPECT_GT(g.L, 180);
    GeocentricToGeodetic({r, -1e-4, 0}, g, EllipsoidWgs84, LatitudeTolerance);
    EXPECT_LT(g.L, 360);
}

TEST(VectorAngle, QuadrantsAndSignedZeros) {
    const double pi = Pi();
    EXPECT_EQ(VectorAngle(0.0, 0.0), 0);
    EXPECT_EQ(VectorAngle(-0.0, -0.0), 0);
    EXPECT_EQ(VectorAngle(1, 0), pi / 2);
    EXPECT_EQ(VectorAngle(-1, -0.0), 3 * pi / 2);
    EXPECT_EQ(VectorAngle(-0.0, 1), 0);  // a negative zero counts as zero
    EXPECT_EQ(VectorAngle(-0.0, -1), pi);
    EXPECT_DOUBLE_EQ(VectorAngle(1, 1), pi / 4);
    EXPECT_DOUBLE_EQ(VectorAngle(1, -1), 3 * pi / 4);
    EXPECT_DOUBLE_EQ(VectorAngle(-1, -1), 5 * pi / 4);
    EXPECT_DOUBLE_EQ(VectorAngle(-1, 1), 7 * pi / 4);
    EXPECT_TRUE(std::isnan(VectorAngle(NAN, 1)));
    EXPECT_TRUE(std::isnan(VectorAngle(1, NAN)));
}

// Geodetic → geocentric → geodetic over a grid from pole to pole.
TEST(GeocentricRoundTrip, GridFromPoleToPoleOnAllThreeEllipsoids) {
    const double rho = DegreesPerRadian();
    for (const auto& e : kEllipsoids) {
        for (double B = -90; B <= 90; B += 2.5) {
            for (double L = -180; L < 180; L += 7.5) {
                for (double H : {-1000.0, 0.0, 200.0, 3000.0, 9000.0}) {
                    GeocentricPoint c;
                    GeodeticToGeocentric({B, L, H}, c, e);
                    GeodeticPoint g;
                    GeocentricToGeodetic(c, g, e, LatitudeTolerance);
                    const double signedB = g.B > 180 ? g.B - 360 : g.B;
                    ASSERT_NEAR(signedB / rho, B / rho, 2e-10) << B << " " << L << " " << H;
                    ASSERT_NEAR(g.H, H, 1e-4) << B << " " << L << " " << H;
                    if (std::fabs(B) < 90) {
                        ASSERT_NEAR(std::remainder(g.L - L, 360), 0, 1e-11)
                            << B << " " << L << " " << H;
                    }
                }
            }
        }
    }
}

TEST(GeocentricToGeodetic, ArcsineDomainErrorIsReportedOnceAndTheResultIsFinite) {
    MathErrorCounter reports;
    GeodeticPoint g;
    GeocentricToGeodetic({1000, 0, 1000}, g, EllipsoidKrasovsky, LatitudeTolerance);
    EXPECT_EQ(reports.count(), 1);
    // The iteration keeps the geocentric latitude of its first pass.
    EXPECT_DOUBLE_EQ(g.B, 45);
    EXPECT_EQ(g.L, 0);
    EXPECT_TRUE(std::isfinite(g.H));
}

// Points 21 to 43 km from the centre oscillate between two corrections; the pass limit
// ends them with a finite answer.
TEST(GeocentricToGeodetic, OscillatingPointsNearTheCentreEnd) {
    for (const auto& e : kEllipsoids) {
        for (double X : {25000.0, 30000.0, 40000.0}) {
            GeodeticPoint g;
            GeocentricToGeodetic({X, 0, 1000}, g, e, LatitudeTolerance);
            EXPECT_TRUE(std::isfinite(g.B) && std::isfinite(g.L) && std::isfinite(g.H)) << X;
        }
    }
}

}  // namespace
}  // namespace engine
