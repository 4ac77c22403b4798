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

std::vector<std::string> Words(const std::string& field) {
    std::istringstream in(field);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The operation's outputs for its parameters and inputs.
std::vector<double> Apply(const std::string& op, const std::string& parameters,
                          const std::vector<double>& in) {
    const std::vector<std::string> params = Words(parameters);
    if (op == "packed_to_degrees") return {PackedToDegrees(in.at(0))};
    if (op == "degrees_to_packed") return {DegreesToPacked(in.at(0))};
    if (op == "normalize") return {NormalizeAngle(in.at(0))};
    if (op == "vector_angle") return {VectorAngle(in.at(0), in.at(1))};
    if (op == "to_geocentric") {
        GeocentricPoint c;
        GeodeticToGeocentric({in.at(0), in.at(1), in.at(2)}, c, kEllipsoids.at(params.at(0)));
        return {c.X, c.Y, c.Z};
    }
    if (op == "to_geodetic") {
        GeodeticPoint g;
        GeocentricToGeodetic({in.at(0), in.at(1), in.at(2)}, g, kEllipsoids.at(params.at(0)),
                             LatitudeTolerance);
        return {g.B, g.L, g.H};
    }
    if (op == "helmert") {
        GeocentricPoint c;
        ShiftGeocentric({in.at(0), in.at(1), in.at(2)}, c, Shift(parameters));
        return {c.X, c.Y, c.Z};
    }
    if (op == "molodensky") {
        GeodeticPoint g;
        ShiftGeodetic({in.at(0), in.at(1), in.at(2)}, kEllipsoids.at(params.at(0)), g,
                      kEllipsoids.at(params.at(1)), Shift(params.at(2)));
        return {g.B, g.L, g.H};
    }
    if (op == "to_plane") {
        PlanePoint p;
        int zone = std::stoi(params.at(0));
        GeodeticToPlane({in.at(0), in.at(1), in.at(2)}, p, zone);
        return {p.x, p.y, p.H, static_cast<double>(zone)};
    }
    if (op == "from_plane") {
        GeodeticPoint g;
        PlaneToGeodetic({in.at(0), in.at(1), in.at(2)}, g, std::stoi(params.at(0)));
        return {g.B, g.L, g.H};
    }
    ADD_FAILURE() << "no operation " << op;
    return {};
}

// Fields: operation | parameters | input | expected | tolerance | source.
TEST(EngineCases, EveryCaseOfTheTable) {
    const std::string file = COORDCONV_TEST_DATA "/engine.cases";
    const MathErrorHandler quiet = [](const char*, const char*) {};
    const MathErrorHandler previous = SetMathErrorHandler(quiet);
    for (const auto& c : testing_support::ReadCases(file)) {
        ASSERT_EQ(c.fields.size(), 6u) << c.Where(file);
        const auto out = Apply(c.fields[0], c.fields[1], Numbers(c.fields[2]));
        const auto expected = Numbers(c.fields[3]);
        const double tolerance = std::stod(c.fields[4]);
        ASSERT_EQ(out.size(), expected.size()) << c.Where(file);
        for (std::size_t i = 0; i < out.size(); ++i) {
            EXPECT_TRUE(testing_support::Meets(out[i], expected[i], tolerance))
                << c.Where(file) << ": " << c.fields[0] << " output " << i + 1 << " is "
                << std::setprecision(17) << out[i] << ", expected " << expected[i] << " ± "
                << tolerance << " (" << c.fields[5] << ")";
        }
    }
    SetMathErrorHandler(previous);
}

int reports = 0;

// Near the centre the iteration's arcsine leaves its domain: one report, in the C
// run-time's words, and the run goes on.
TEST(EngineCases, ArcsineDomainErrorIsReportedOnce) {
    const MathErrorHandler count = [](const char* function, const char* kind) {
        EXPECT_EQ(FormatMathError(function, kind), "asin: DOMAIN error");
        ++reports;
    };
    const MathErrorHandler previous = SetMathErrorHandler(count);
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
