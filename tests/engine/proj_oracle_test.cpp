// PROJ as an independent oracle: the same points through PROJ's geocentric conversion,
// Helmert transformation and transverse Mercator projection; and the one-step Molodensky
// formulas against the rigorous path through geocentric coordinates.
#include <gtest/gtest.h>
#include <proj.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "engine/engine.h"

namespace engine {
namespace {

const double kRho = DegreesPerRadian();

// One PROJ operation, created from a PROJ string with its own context.
class ProjOperation {
  public:
    explicit ProjOperation(const std::string& definition)
        : context_(proj_context_create(), &proj_context_destroy),
          operation_(proj_create(context_.get(), definition.c_str()), &proj_destroy) {
        if (!operation_) ADD_FAILURE() << "PROJ refused " << definition;
    }
    PJ_XYZ Run(PJ_DIRECTION direction, double a, double b, double c) const {
        return proj_trans(operation_.get(), direction, proj_coord(a, b, c, 0)).xyz;
    }

  private:
    std::unique_ptr<PJ_CONTEXT, decltype(&proj_context_destroy)> context_;
    std::unique_ptr<PJ, decltype(&proj_destroy)> operation_;
};

std::string Printed(const char* format, auto... values) {
    char text[512];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

// Distance between two geocentric points, or two geodetic points on one ellipsoid, metres.
double Apart(const GeocentricPoint& a, const GeocentricPoint& b) {
    return std::hypot(a.X - b.X, a.Y - b.Y, a.Z - b.Z);
}
double Apart(const GeodeticPoint& p, const GeodeticPoint& q, const Ellipsoid& e) {
    GeocentricPoint a, b;
    GeodeticToGeocentric(p, a, e);
    GeodeticToGeocentric(q, b, e);
    return Apart(a, b);
}

TEST(ProjOracle, GeodeticToGeocentricAndBack) {
    for (const auto& e : {EllipsoidWgs84, EllipsoidPz90, EllipsoidKrasovsky}) {
        const ProjOperation cart(Printed("+proj=cart +a=%.17g +rf=%.17g", e.a, e.invF));
        for (double B = -90; B <= 90; B += 7.5) {
            for (double L = -180; L < 180; L += 22.5) {
                for (double H : {-1000.0, 0.0, 9000.0}) {
                    SCOPED_TRACE(Printed("1/f %g B %g L %g H %g", e.invF, B, L, H));
                    GeocentricPoint ours;
                    GeodeticToGeocentric({B, L, H}, ours, e);
                    const PJ_XYZ theirs = cart.Run(PJ_FWD, L / kRho, B / kRho, H);
                    EXPECT_LT(Apart(ours, {theirs.x, theirs.y, theirs.z}), 1e-6);

                    GeodeticPoint back;
                    GeocentricToGeodetic(ours, back, e, LatitudeTolerance);
                    const PJ_XYZ geodetic = cart.Run(PJ_INV, ours.X, ours.Y, ours.Z);
                    EXPECT_NEAR((back.B > 180 ? back.B - 360 : back.B) / kRho, geodetic.y, 2e-10);
                    EXPECT_NEAR(back.H, geodetic.z, 1e-4);
                    const double dL = std::remainder(back.L / kRho - geodetic.x, 2 * Pi());
                    EXPECT_NEAR(std::fabs(B) < 90 ? dL : 0, 0, 1e-13);  // no longitude at a pole
                }
            }
        }
    }
}

// The window's four sets, and one with every parameter non-zero (the window's sets all
// have ωx = 0 and m = 0): GOST 32453-2017's SK-42 to PZ-90.11.
TEST(ProjOracle, HelmertWithEveryShiftSet) {
    for (const DatumShift& s :
         {ShiftWgs84ToPz90, ShiftPz90ToWgs84, ShiftPz90ToSk42, ShiftSk42ToPz90,
          DatumShift{23.557, -140.844, -79.778, -0.0023, -0.34646, -0.79421, -0.228e-6}}) {
        const ProjOperation helmert(Printed(
            "+proj=helmert +convention=coordinate_frame +x=%.17g +y=%.17g +z=%.17g +rx=%.17g "
            "+ry=%.17g +rz=%.17g +s=%.17g",
            s.dX, s.dY, s.dZ, s.wX, s.wY, s.wZ, s.m * 1e6));
        for (double B = -85; B <= 85; B += 17) {
            for (double L = -180; L < 180; L += 30) {
                GeocentricPoint in, ours;
                GeodeticToGeocentric({B, L, 500}, in, EllipsoidPz90);
                ShiftGeocentric(in, ours, s);
                const PJ_XYZ theirs = helmert.Run(PJ_FWD, in.X, in.Y, in.Z);
                EXPECT_LT(Apart(ours, {theirs.x, theirs.y, theirs.z}), 1e-6) << B << " " << L;
            }
        }
    }
}

// Within 3° of the axial meridian the series agree with the exact transverse Mercator
// projection to 0.1 mm forward and 2 mm back; up to 9° (a neighbouring zone) to 3 mm
// forward, and up to 6° to 7 cm back.
TEST(ProjOracle, GaussKrugerAgainstTransverseMercator) {
    for (int zone : {1, 7, 30, 60}) {
        const double axial = 6.0 * zone - 3;
        const ProjOperation tmerc(Printed("+proj=tmerc +ellps=krass +k=1 +lon_0=%g +x_0=%d", axial,
                                          (10 * zone + 5) * 100000));
        for (double B = -84; B <= 84; B += 3) {
            for (double offset = -8.5; offset <= 8.5; offset += 0.5) {
                const double L = axial + offset;
                SCOPED_TRACE(Printed("zone %d B %g L %g", zone, B, L));
                const bool inZone = std::fabs(offset) <= 3;
                PlanePoint ours;
                int used = zone;
                GeodeticToPlane({B, L, 0}, ours, used);
                ASSERT_EQ(used, zone);
                const PJ_XYZ theirs = tmerc.Run(PJ_FWD, L / kRho, B / kRho, 0);
                EXPECT_LT(std::hypot(ours.x - theirs.y, ours.y - theirs.x), inZone ? 0.1e-3 : 3e-3);

                GeodeticPoint back;
                PlaneToGeodetic({theirs.y, theirs.x, 0}, back, zone);
                const double bound = inZone ? 2e-3 : std::fabs(offset) <= 6 ? 0.07 : INFINITY;
                EXPECT_LT(Apart(back, {B, L, 0}, EllipsoidKrasovsky), bound);
            }
        }
    }
}

// Up to 70° of latitude the one-step formulas agree with the path through geocentric
// coordinates to within a centimetre, for all four sets.
TEST(MolodenskyAgainstTheGeocentricPath, WithinACentimetreUpTo70Degrees) {
    const struct {
        Ellipsoid from, to;
        DatumShift shift;
    } changes[] = {{EllipsoidWgs84, EllipsoidPz90, ShiftWgs84ToPz90},
                   {EllipsoidPz90, EllipsoidWgs84, ShiftPz90ToWgs84},
                   {EllipsoidPz90, EllipsoidKrasovsky, ShiftPz90ToSk42},
                   {EllipsoidKrasovsky, EllipsoidPz90, ShiftSk42ToPz90}};
    for (const auto& change : changes) {
        double worst = 0;
        for (double B = -70; B <= 70; B += 5) {
            for (double L = -180; L < 180; L += 15) {
                for (double H : {-1000.0, 0.0, 4000.0, 9000.0}) {
                    GeodeticPoint direct, rigorous;
                    ShiftGeodetic({B, L, H}, change.from, direct, change.to, change.shift);
                    GeocentricPoint c, shifted;
                    GeodeticToGeocentric({B, L, H}, c, change.from);
                    ShiftGeocentric(c, shifted, change.shift);
                    GeocentricToGeodetic(shifted, rigorous, change.to, LatitudeTolerance);
                    worst = std::max(worst, Apart(direct, rigorous, change.to));
                }
            }
        }
        EXPECT_LT(worst, 0.01) << change.from.invF << " to " << change.to.invF;
    }
}

}  // namespace
}  // namespace engine
