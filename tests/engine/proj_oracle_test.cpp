// PROJ as an independent oracle: the same points through PROJ's geocentric conversion,
// Helmert transformation and transverse Mercator projection.
#include <gtest/gtest.h>
#include <proj.h>

#include <cmath>
#include <memory>
#include <string>

#include "engine/engine.h"

namespace engine {
namespace {

// One PROJ operation, created from a PROJ string and destroyed with its context.
class ProjOperation {
  public:
    explicit ProjOperation(const std::string& definition)
        : context_(proj_context_create(), &proj_context_destroy),
          operation_(proj_create(context_.get(), definition.c_str()), &proj_destroy) {
        if (!operation_) ADD_FAILURE() << "PROJ refused " << definition;
    }
    PJ_COORD Forward(double a, double b, double c) const {
        return proj_trans(operation_.get(), PJ_FWD, proj_coord(a, b, c, 0));
    }
    PJ_COORD Inverse(double a, double b, double c) const {
        return proj_trans(operation_.get(), PJ_INV, proj_coord(a, b, c, 0));
    }

  private:
    std::unique_ptr<PJ_CONTEXT, decltype(&proj_context_destroy)> context_;
    std::unique_ptr<PJ, decltype(&proj_destroy)> operation_;
};

std::string Cartesian(const Ellipsoid& e) {
    char text[96];
    std::snprintf(text, sizeof text, "+proj=cart +a=%.17g +rf=%.17g", e.a, e.invF);
    return text;
}

std::string Helmert(const DatumShift& s) {
    char text[256];
    std::snprintf(text, sizeof text,
                  "+proj=helmert +convention=coordinate_frame +x=%.17g +y=%.17g +z=%.17g "
                  "+rx=%.17g +ry=%.17g +rz=%.17g +s=%.17g",
                  s.dX, s.dY, s.dZ, s.wX, s.wY, s.wZ, s.m * 1e6);
    return text;
}

const Ellipsoid kEllipsoids[] = {EllipsoidWgs84, EllipsoidPz90, EllipsoidKrasovsky};

TEST(ProjOracle, GeodeticToGeocentricAndBack) {
    const double rho = DegreesPerRadian();
    for (const auto& e : kEllipsoids) {
        const ProjOperation cart(Cartesian(e));
        for (double B = -90; B <= 90; B += 7.5) {
            for (double L = -180; L < 180; L += 22.5) {
                for (double H : {-1000.0, 0.0, 9000.0}) {
                    GeocentricPoint ours;
                    GeodeticToGeocentric({B, L, H}, ours, e);
                    const PJ_COORD theirs = cart.Forward(L / rho, B / rho, H);
                    EXPECT_NEAR(ours.X, theirs.xyz.x, 1e-6) << B << " " << L << " " << H;
                    EXPECT_NEAR(ours.Y, theirs.xyz.y, 1e-6) << B << " " << L << " " << H;
                    EXPECT_NEAR(ours.Z, theirs.xyz.z, 1e-6) << B << " " << L << " " << H;

                    GeodeticPoint back;
                    GeocentricToGeodetic(ours, back, e, LatitudeTolerance);
                    const PJ_COORD geodetic = cart.Inverse(ours.X, ours.Y, ours.Z);
                    const double theirB = geodetic.lpz.phi;
                    const double ourB = (back.B > 180 ? back.B - 360 : back.B) / rho;
                    EXPECT_NEAR(ourB, theirB, 2e-10) << B << " " << L << " " << H;
                    EXPECT_NEAR(back.H, geodetic.lpz.z, 1e-4) << B << " " << L << " " << H;
                    if (std::fabs(B) < 90) {
                        const double turn = 2 * Pi();
                        EXPECT_NEAR(std::remainder(back.L / rho - geodetic.lpz.lam, turn), 0, 1e-13)
                            << B << " " << L;
                    }
                }
            }
        }
    }
}

TEST(ProjOracle, HelmertWithEveryShiftSet) {
    const DatumShift shifts[] = {ShiftWgs84ToPz90, ShiftPz90ToWgs84, ShiftPz90ToSk42,
                                 ShiftSk42ToPz90};
    for (const auto& shift : shifts) {
        const ProjOperation helmert(Helmert(shift));
        for (double B = -85; B <= 85; B += 17) {
            for (double L = -180; L < 180; L += 30) {
                GeocentricPoint in, ours;
                GeodeticToGeocentric({B, L, 500}, in, EllipsoidPz90);
                ShiftGeocentric(in, ours, shift);
                const PJ_COORD theirs = helmert.Forward(in.X, in.Y, in.Z);
                EXPECT_NEAR(ours.X, theirs.xyz.x, 1e-6) << B << " " << L;
                EXPECT_NEAR(ours.Y, theirs.xyz.y, 1e-6) << B << " " << L;
                EXPECT_NEAR(ours.Z, theirs.xyz.z, 1e-6) << B << " " << L;
            }
        }
    }
}

// Within 3° of the axial meridian the series agree with the exact transverse Mercator
// projection to 0.1 mm, up to 9° (a neighbouring zone) to 3 mm.
TEST(ProjOracle, GaussKrugerAgainstTransverseMercator) {
    const double rho = DegreesPerRadian();
    for (int zone : {1, 7, 30, 60}) {
        const double axial = 6.0 * zone - 3;
        char definition[128];
        std::snprintf(definition, sizeof definition,
                      "+proj=tmerc +ellps=krass +k=1 +lon_0=%g +x_0=%d +y_0=0", axial,
                      (10 * zone + 5) * 100000);
        const ProjOperation tmerc(definition);
        for (double B = -84; B <= 84; B += 3) {
            for (double offset = -8.5; offset <= 8.5; offset += 0.5) {
                const double L = axial + offset;
                PlanePoint ours;
                int used = zone;
                GeodeticToPlane({B, L, 0}, ours, used);
                ASSERT_EQ(used, zone) << B << " " << L;
                const PJ_COORD theirs = tmerc.Forward(L / rho, B / rho, 0);
                const double bound = std::fabs(offset) <= 3 ? 0.1e-3 : 3e-3;
                EXPECT_NEAR(ours.x, theirs.enu.n, bound) << "zone " << zone << " " << B << " " << L;
                EXPECT_NEAR(ours.y, theirs.enu.e, bound) << "zone " << zone << " " << B << " " << L;
            }
        }
    }
}

}  // namespace
}  // namespace engine
