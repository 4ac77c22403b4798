// Runs tests/data/engine.cases: each line one engine operation on one input, with the
// expected output, its tolerance and where the expected value comes from.
#include <gtest/gtest.h>

#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "case_file.h"
#include "engine/engine.h"

namespace engine {
namespace {

using testing_support::Numbers;
using Values = std::vector<double>;

const std::map<std::string, Ellipsoid> kEllipsoids = {
    {"wgs84", EllipsoidWgs84}, {"pz90", EllipsoidPz90}, {"krass", EllipsoidKrasovsky}};
const std::map<std::string, DatumShift> kShifts = {{"wgs84>pz90", ShiftWgs84ToPz90},
                                                   {"pz90>wgs84", ShiftPz90ToWgs84},
                                                   {"pz90>sk42", ShiftPz90ToSk42},
                                                   {"sk42>pz90", ShiftSk42ToPz90},
                                                   {"none", DatumShift{}}};

// A set by name, or written out as its seven numbers (dX dY dZ wX wY wZ m).
DatumShift Shift(const std::string& field) {
    if (kShifts.count(field)) return kShifts.at(field);
    const auto v = Numbers(field);
    return {v.at(0), v.at(1), v.at(2), v.at(3), v.at(4), v.at(5), v.at(6)};
}

// The operation's outputs for its parameters (blank-separated words) and inputs.
Values Apply(const std::string& op, const std::string& parameters, const Values& in) {
    std::istringstream words(parameters);
    std::string p[3];
    words >> p[0] >> p[1] >> p[2];
    GeodeticPoint g;
    GeocentricPoint c;
    PlanePoint plane;
    int zone = std::atoi(p[0].c_str());
    if (op == "packed_to_degrees") return {PackedToDegrees(in.at(0))};
    if (op == "degrees_to_packed") return {DegreesToPacked(in.at(0))};
    if (op == "normalize") return {NormalizeAngle(in.at(0))};
    if (op == "vector_angle") return {VectorAngle(in.at(0), in.at(1))};
    if (op == "to_geocentric") {
        GeodeticToGeocentric({in.at(0), in.at(1), in.at(2)}, c, kEllipsoids.at(p[0]));
    } else if (op == "helmert") {
        ShiftGeocentric({in.at(0), in.at(1), in.at(2)}, c, Shift(parameters));
    } else if (op == "to_plane") {
        GeodeticToPlane({in.at(0), in.at(1), in.at(2)}, plane, zone);
        return {plane.x, plane.y, plane.H, double(zone)};
    } else if (op == "to_geodetic") {
        GeocentricToGeodetic({in.at(0), in.at(1), in.at(2)}, g, kEllipsoids.at(p[0]),
                             LatitudeTolerance);
    } else if (op == "molodensky") {
        ShiftGeodetic({in.at(0), in.at(1), in.at(2)}, kEllipsoids.at(p[0]), g, kEllipsoids.at(p[1]),
                      Shift(p[2]));
    } else if (op == "from_plane") {
        PlaneToGeodetic({in.at(0), in.at(1), in.at(2)}, g, zone);
    } else {
        ADD_FAILURE() << "no operation " << op;
    }
    return op == "to_geocentric" || op == "helmert" ? Values{c.X, c.Y, c.Z} : Values{g.B, g.L, g.H};
}

// Fields: operation | parameters | input | expected | tolerance | source.
TEST(EngineCases, EveryCaseOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/engine.cases";
    const MathErrorHandler previous = SetMathErrorHandler([](const char*, const char*) {});
    for (const auto& c : testing_support::ReadCases(file)) {
        ASSERT_EQ(c.fields.size(), 6u) << c.Where(file);
        const auto out = Apply(c.fields[0], c.fields[1], Numbers(c.fields[2]));
        const auto expected = Numbers(c.fields[3]);
        ASSERT_EQ(out.size(), expected.size()) << c.Where(file);
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_TRUE(testing_support::Meets(out[i], expected[i], std::stod(c.fields[4])))
                << c.Where(file) << ": " << c.fields[0] << " output " << i + 1 << " is "
                << std::setprecision(17) << out[i] << ", expected " << expected[i] << " ± "
                << c.fields[4] << " (" << c.fields[5] << ")";
        }
    }
    SetMathErrorHandler(previous);
}

int reports = 0;

// Near the centre the iteration's arcsine leaves its domain: one report, in the C
// run-time's words, and the run goes on.
TEST(EngineCases, ArcsineDomainErrorIsReportedOnce) {
    const MathErrorHandler previous =
        SetMathErrorHandler([](const char* function, const char* kind) {
            EXPECT_EQ(FormatMathError(function, kind), "asin: DOMAIN error");
            ++reports;
        });
    GeodeticPoint g;
    GeocentricToGeodetic({1000, 0, 1000}, g, EllipsoidKrasovsky, LatitudeTolerance);
    EXPECT_EQ(reports, 1);
    SetMathErrorHandler(previous);
}

// Without a handler of its own, a program gets the report as one line on stderr.
TEST(EngineCases, TheDefaultReportIsOneLineOnStandardError) {
    SetMathErrorHandler(nullptr);
    ::testing::internal::CaptureStderr();
    ReportMathError("asin", "DOMAIN");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "asin: DOMAIN error\n");
}

}  // namespace
}  // namespace engine
