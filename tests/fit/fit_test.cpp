// The fits against points made by PROJ with known parameters, under noise of a known σ, with a
// planted wrong point, and on points no fit should take. Cases in tests/data/fit.cases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <random>

#include "fit_cases.h"

namespace {

using fit_testing::kCaseFile;
using testing_support::Case;
using testing_support::Numbers;

std::vector<Case> Rows(const std::string& kind) {
    std::vector<Case> rows;
    for (const Case& row : testing_support::ReadCases(kCaseFile))
        if (row.fields.at(0) == kind) rows.push_back(row);
    return rows;
}

fit::Model ModelOf(const Case& row, std::size_t field) {
    const auto model = fit::ModelNamed(row.fields.at(field));
    if (!model) ADD_FAILURE() << row.Where(kCaseFile) << ": no model " << row.fields.at(field);
    return model.value_or(fit::Model::Similarity2d);
}

// "name value name value …" of a fit row.
std::vector<std::pair<std::string, double>> Expected(const std::string& field) {
    const auto words = testing_support::Split(field, ' ');
    std::vector<std::pair<std::string, double>> expected;
    for (std::size_t i = 0; i + 1 < words.size(); i += 2)
        expected.emplace_back(words[i], std::stod(words[i + 1]));
    return expected;
}

// The true targets with noise of σ on every coordinate.
std::vector<fit::CommonPoint> Noisy(std::vector<fit::CommonPoint> points, double sigma,
                                    std::mt19937& random) {
    std::normal_distribution<double> noise(0, sigma);
    for (fit::CommonPoint& point : points)
        for (double& coordinate : point.target)
            coordinate += noise(random);
    return points;
}

// The set and truth of the fit row for SET and MODEL.
struct Truth {
    std::vector<fit::CommonPoint> points;
    std::vector<std::pair<std::string, double>> parameters;
};
Truth TruthOf(const std::string& set, const std::string& model) {
    for (const Case& row : Rows("fit"))
        if (row.fields.at(1) == set && row.fields.at(2) == model)
            return {fit_testing::PointSets().at(set), Expected(row.fields.at(3))};
    ADD_FAILURE() << "no fit row for " << set << " " << model;
    return {};
}

TEST(Fit, NoiselessPointsGiveTheParametersTheyWereMadeWith) {
    const auto sets = fit_testing::PointSets();
    for (const Case& row : Rows("fit")) {
        SCOPED_TRACE(row.Where(kCaseFile));
        std::string fault;
        const auto result = fit::Fit(sets.at(row.fields.at(1)), ModelOf(row, 2), 0, fault);
        ASSERT_TRUE(result) << fault;
        for (const auto& [name, value] : Expected(row.fields.at(3))) {
            const fit::Parameter* parameter = fit_testing::Named(*result, name);
            ASSERT_NE(parameter, nullptr) << name;
            EXPECT_NEAR(parameter->value, value, fit_testing::Agreement(1e-9, *parameter)) << name;
        }
        EXPECT_TRUE(result->warnings.empty());
        // Apply, and so a saved set, reproduces every point: PROJ wrote them to 10⁻¹⁰ m.
        for (const fit::PointResidual& point : result->points)
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_LT(std::abs(point.residual[axis]), 1e-6) << point.name;
                EXPECT_LT(std::abs(point.leaveOneOut[axis]), 1e-6) << point.name;
            }
    }
}

// With noise of σ on the coordinates, dof·σ₀²/σ² is χ²(dof) and (p̂ − p)/SE(p̂) is Student's t
// with dof degrees of freedom, so each lies within its 95 % bounds in 95 % of fits. Over 1000
// seeds the count is binomial(1000, 0.95); a correct fit falls outside [906, 984] with
// probability 3.3e-9 on each side (exact binomial sums). Sharper on the scale of σ₀ and of the
// errors: the mean of σ₀²/σ² is 1 with a standard deviation of √(2/(dof·1000)), and that of
// z² = ((p̂ − p)/(SE·σ/σ₀))², each z normal with the true σ, is 1 with √(2/1000); both are
// held within 6 standard deviations (2e-9 each). About 1e-7 for the whole table.
TEST(Fit, UnderNoiseSigma0AndParametersStayWithinTheirConfidenceBounds) {
    constexpr int kSeeds = 1000, kFewestInside = 906, kMostInside = 984;
    for (const Case& row : Rows("noise")) {
        SCOPED_TRACE(row.Where(kCaseFile));
        const Truth truth = TruthOf(row.fields.at(1), row.fields.at(2));
        const double sigma = std::stod(row.fields.at(3));
        const int dof = std::stoi(row.fields.at(4));
        const double t = std::stod(row.fields.at(5));
        const std::vector<double> chi2 = Numbers(row.fields.at(6));
        int sigmaInside = 0;
        double sigmaRatios = 0;
        std::vector<int> inside(truth.parameters.size());
        std::vector<double> squaredZ(truth.parameters.size());
        for (int seed = 1; seed <= kSeeds; ++seed) {
            std::mt19937 random(static_cast<unsigned>(seed));
            std::string fault;
            const auto result =
                fit::Fit(Noisy(truth.points, sigma, random), ModelOf(row, 2), 0, fault);
            ASSERT_TRUE(result) << fault;
            ASSERT_EQ(result->degreesOfFreedom, dof);
            const double statistic = dof * std::pow(result->sigma0 / sigma, 2);
            sigmaInside += statistic >= chi2.at(0) && statistic <= chi2.at(1);
            sigmaRatios += statistic / dof / kSeeds;
            for (std::size_t i = 0; i < truth.parameters.size(); ++i) {
                const fit::Parameter* p = fit_testing::Named(*result, truth.parameters[i].first);
                ASSERT_NE(p, nullptr);
                const double error = p->value - truth.parameters[i].second;
                inside[i] += std::abs(error) <= t * p->standardError;
                squaredZ[i] +=
                    std::pow(error / (p->standardError * sigma / result->sigma0), 2) / kSeeds;
            }
        }
        EXPECT_GE(sigmaInside, kFewestInside);
        EXPECT_LE(sigmaInside, kMostInside);
        EXPECT_NEAR(sigmaRatios, 1, 6 * std::sqrt(2.0 / (dof * kSeeds)));
        for (std::size_t i = 0; i < inside.size(); ++i) {
            EXPECT_GE(inside[i], kFewestInside) << truth.parameters[i].first;
            EXPECT_LE(inside[i], kMostInside) << truth.parameters[i].first;
            EXPECT_NEAR(squaredZ[i], 1, 6 * std::sqrt(2.0 / kSeeds)) << truth.parameters[i].first;
        }
    }
}

// A displacement (north, east, up) at geodetic B, L (degrees) in geocentric X, Y, Z: the
// local axes n = (−sin B cos L, −sin B sin L, cos B), e = (−sin L, cos L, 0),
// u = (cos B cos L, cos B sin L, sin B) (Hofmann-Wellenhof et al., GNSS, 2008, eq. (2.40)).
std::array<double, 3> Geocentric(const std::vector<double>& neu, double b, double l) {
    const double rad = 3.14159265358979323846 / 180;
    const double sb = std::sin(b * rad), cb = std::cos(b * rad), sl = std::sin(l * rad),
                 cl = std::cos(l * rad);
    return {-sb * cl * neu[0] - sl * neu[1] + cb * cl * neu[2],
            -sb * sl * neu[0] + cl * neu[1] + cb * sl * neu[2], cb * neu[0] + sb * neu[2]};
}

// The wrong point's displacement is given as its residual reads: x, y, H on a plane, north,
// east, up in space. The others alone fit it where it should be, so its leave-one-out residual
// is the displacement within the noise (σ √(1 + h) for leverage h < 1: 6σ is 4σ' and more).
TEST(Fit, APlantedWrongPointIsTheOneFlaggedAndLandsWhereItWasPutWhenLeftOut) {
    std::map<std::string, std::vector<double>> geodetic;  // set H's B L H, by point
    for (const Case& row : Rows("point"))
        if (row.fields.size() > 5) geodetic[row.fields.at(2)] = Numbers(row.fields.at(5).substr(6));
    for (const Case& row : Rows("outlier")) {
        SCOPED_TRACE(row.Where(kCaseFile));
        const fit::Model model = ModelOf(row, 2);
        const std::string& wrong = row.fields.at(3);
        const double sigma = std::stod(row.fields.at(5));
        std::mt19937 random(1);
        auto points = Noisy(TruthOf(row.fields.at(1), row.fields.at(2)).points, sigma, random);
        const std::vector<double> displacement = Numbers(row.fields.at(4));
        const std::array<double, 3> moved =
            model == fit::Model::Helmert7
                ? Geocentric(displacement, geodetic.at(wrong).at(0), geodetic.at(wrong).at(1))
                : std::array<double, 3>{displacement.at(0), displacement.at(1), displacement.at(2)};
        for (fit::CommonPoint& point : points)
            if (point.name == wrong)
                for (int axis = 0; axis < 3; ++axis)
                    point.target[axis] += moved[axis];
        std::string fault;
        const double tolerance = std::stod(row.fields.at(6));
        const auto result = fit::Fit(points, model, tolerance, fault);
        ASSERT_TRUE(result) << fault;
        EXPECT_EQ(result->tolerance, tolerance > 0 ? tolerance : 3 * result->sigma0);
        const auto size = [&](const std::array<double, 3>& r) {
            return model == fit::Model::HeightPlane ? std::abs(r[2]) : std::hypot(r[0], r[1]);
        };
        const fit::PointResidual& worst = result->points.front();
        EXPECT_EQ(worst.name, wrong);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(worst.leaveOneOut[axis], displacement[axis], 6 * sigma) << axis;
        // Its planimetric leave-one-out is the planted shift's length on the plane.
        EXPECT_NEAR(worst.leaveOneOutPlanimetric, std::hypot(displacement[0], displacement[1]),
                    9 * sigma);
        for (const fit::PointResidual& point : result->points) {
            EXPECT_EQ(point.flagged, point.name == wrong) << point.name;
            if (point.name != wrong) {
                EXPECT_LT(size(point.leaveOneOut), size(worst.leaveOneOut));
            }
        }
    }
}

TEST(Fit, PointsNoFitCanTakeAreRefusedSaying) {
    for (const Case& row : Rows("refuse")) {
        SCOPED_TRACE(row.Where(kCaseFile));
        std::string fault;
        EXPECT_FALSE(
            fit::Fit(fit_testing::InlinePoints(row.fields.at(2)), ModelOf(row, 1), 0, fault));
        EXPECT_NE(fault.find(row.fields.at(3)), std::string::npos) << fault;
        // A condition number said is one: beyond the limit, or infinite.
        if (const auto at = fault.find("condition number "); at != std::string::npos) {
            const double number = std::strtod(fault.c_str() + at + 17, nullptr);
            EXPECT_GT(number, 1e6) << fault;
        }
    }
}

// More points than a fit takes are refused before any work (n leave-one-out fits of n points).
TEST(Fit, TooManyPointsAreRefusedAtOnce) {
    std::vector<fit::CommonPoint> points(fit::kMostPoints + 1);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double along = static_cast<double>(i);
        points[i] = {"p" + std::to_string(i), {along, along * along, 0}, {along, along * along, 0}};
    }
    std::string fault;
    EXPECT_FALSE(fit::Fit(points, fit::Model::Similarity2d, 0, fault));
    EXPECT_NE(fault.find("a fit takes at most 5000"), std::string::npos) << fault;
}

// Four heights on a square, one 0.1 m above the plane of the other three: a plane leaves the
// twist, ±0.1/4 = ±0.025 m at every corner (by hand); with one degree of freedom a tolerance
// of 0.01 m flags them all.
TEST(Fit, OneDegreeOfFreedomJudgesThePoints) {
    std::string fault;
    const auto result = fit::Fit(fit_testing::InlinePoints("a 0 0 0 0 0 0; b 100 0 0 100 0 0; "
                                                           "c 0 100 0 0 100 0; "
                                                           "d 100 100 0 100 100 0.1"),
                                 fit::Model::HeightPlane, 0.01, fault);
    ASSERT_TRUE(result) << fault;
    EXPECT_EQ(result->degreesOfFreedom, 1);
    for (const fit::PointResidual& point : result->points) {
        EXPECT_NEAR(std::fabs(point.residual[2]), 0.025, 1e-9) << point.name;
        EXPECT_TRUE(point.flagged) << point.name;
        // The other three fix a plane: each corner's leave-one-out is the whole twist, 0.1 m.
        EXPECT_NEAR(std::fabs(point.leaveOneOut[2]), 0.1, 1e-9) << point.name;
    }
}

TEST(Fit, ParametersAbsurdForGeodesyAreFittedWithAWarning) {
    for (const Case& row : Rows("warn")) {
        SCOPED_TRACE(row.Where(kCaseFile));
        std::string fault;
        const auto result =
            fit::Fit(fit_testing::InlinePoints(row.fields.at(2)), ModelOf(row, 1), 0, fault);
        ASSERT_TRUE(result) << fault;
        ASSERT_EQ(result->warnings.size(), 1u);
        EXPECT_NE(result->warnings[0].find(row.fields.at(3)), std::string::npos);
    }
}

// Two points fix a similarity exactly: nothing is left to judge a point by, however small the
// tolerance (its residuals are the rounding's). Without one of three points neither a
// similarity nor the seven parameters are fixed: no leave-one-out residual.
TEST(Fit, WithoutRedundancyNothingIsFlaggedAndNoPointIsLeftOut) {
    const struct {
        fit::Model model;
        const char* points;
        int degreesOfFreedom;
    } cases[] = {
        {fit::Model::Similarity2d,
         "a 6208240.788 7444415.848 0 351206.3657 415978.9805 0; "
         "b 6175783.066 7437322.045 0 318791.8013 408691.0724 0",
         0},
        {fit::Model::Helmert7,
         "a 2766979.629 1495158.024 5531702.205 2767006.090 1495027.432 5531616.534; "
         "b -3300277.917 1920260.157 5092404.270 -3300252.448 1920106.111 5092328.896; "
         "c 1925588.948 1421535.001 5892990.630 1925616.490 1421401.182 5892906.290",
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(fit::ModelName(c.model));
        std::string fault;
        const auto result = fit::Fit(fit_testing::InlinePoints(c.points), c.model, 1e-12, fault);
        ASSERT_TRUE(result) << fault;
        EXPECT_EQ(result->degreesOfFreedom, c.degreesOfFreedom);
        if (c.degreesOfFreedom == 0) {
            EXPECT_EQ(result->sigma0, 0);  // not 0/0
        }
        for (const fit::PointResidual& point : result->points) {
            EXPECT_FALSE(c.degreesOfFreedom == 0 && point.flagged);
            for (double residual : point.leaveOneOut)
                EXPECT_TRUE(std::isnan(residual));
        }
    }
}

}  // namespace
