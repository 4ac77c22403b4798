// What every model shares: the checks on the points, each point's residual and leave-one-out
// residual, the flags and the order, and Apply.
#include "fit/fit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include "engine/datums.h"
#include "engine/geocentric.h"
#include "engine/helmert.h"
#include "fit/estimate.h"

namespace fit {
namespace {

struct ModelEntry {
    Model model;
    const char* name;
    int fewestPoints;  // observations for every unknown: 4 and 6 by twos, 7 by threes, 3 by ones
};
constexpr ModelEntry kModels[] = {
    {Model::Similarity2d, "similarity2d", 2},
    {Model::Affine2d, "affine2d", 3},
    {Model::Helmert7, "helmert7", 3},
    {Model::HeightPlane, "height-plane", 3},
};

const ModelEntry& Entry(Model model) {
    return *std::find_if(std::begin(kModels), std::end(kModels),
                         [&](const ModelEntry& entry) { return entry.model == model; });
}

// How many source coordinates place a point: x, y on a plane, X, Y, Z in space.
int PlacingCoordinates(Model model) {
    return model == Model::Helmert7 ? 3 : 2;
}

// Refuses what no model can fit: too few points, a name twice, a coordinate not finite, two
// marks within kSamePlace. Empty when the points will do.
// Two points of one side within kSamePlace of each other: one mark named twice. Sorted by
// the first coordinate, a point's neighbours within kSamePlace follow it closely.
std::string SamePlace(const std::vector<CommonPoint>& points, Model model,
                      std::array<double, 3> CommonPoint::*side) {
    const int dimensions = PlacingCoordinates(model);
    std::vector<const CommonPoint*> sorted;
    for (const CommonPoint& point : points)
        sorted.push_back(&point);
    std::sort(sorted.begin(), sorted.end(), [side](const CommonPoint* a, const CommonPoint* b) {
        return (a->*side)[0] < (b->*side)[0];
    });
    for (auto first = sorted.begin(); first != sorted.end(); ++first)
        for (auto second = first + 1;
             second != sorted.end() && ((*second)->*side)[0] - ((*first)->*side)[0] < kSamePlace;
             ++second) {
            double squares = 0;
            for (int axis = 0; axis < dimensions; ++axis)
                squares += std::pow(((*second)->*side)[axis] - ((*first)->*side)[axis], 2);
            if (std::sqrt(squares) < kSamePlace)
                return "the points " + (*first)->name + " and " + (*second)->name +
                       " are at the same place";
        }
    return {};
}

std::string Refusal(const std::vector<CommonPoint>& points, Model model) {
    if (static_cast<int>(points.size()) < FewestPoints(model))
        return std::string(ModelName(model)) + " needs at least " +
               std::to_string(FewestPoints(model)) + " common points; " +
               std::to_string(points.size()) + " given";
    // Each point's leave-one-out residual is a fit of its own: n fits of n points.
    if (points.size() > kMostPoints)
        return std::to_string(points.size()) + " common points: a fit takes at most " +
               std::to_string(kMostPoints) + " (keys are fitted to tens of points; split the area)";
    std::set<std::string_view> names;
    for (const CommonPoint& point : points) {
        if (!names.insert(point.name).second) return "the point " + point.name + " is given twice";
        const auto finite = [](double v) { return std::isfinite(v); };
        if (!std::all_of(point.source.begin(), point.source.end(), finite) ||
            !std::all_of(point.target.begin(), point.target.end(), finite))
            return "the point " + point.name + " has a coordinate that is not a finite number";
        const auto near = [](double v) { return std::fabs(v) <= kFarthestCoordinate; };
        if (!std::all_of(point.source.begin(), point.source.end(), near) ||
            !std::all_of(point.target.begin(), point.target.end(), near))
            return "the point " + point.name + " has a coordinate beyond 1 000 000 km";
    }
    // Either side: a target mark twice would fold the map (a scale of 0).
    if (std::string same = SamePlace(points, model, &CommonPoint::source); !same.empty())
        return same;
    return SamePlace(points, model, &CommonPoint::target);
}

std::optional<Result> Estimate(const std::vector<CommonPoint>& points, Model model,
                               std::string& fault) {
    std::optional<Result> result;
    switch (model) {
        case Model::Similarity2d:
            result = detail::EstimateSimilarity(points, fault);
            break;
        case Model::Affine2d:
            result = detail::EstimateAffine(points, fault);
            break;
        case Model::Helmert7:
            result = detail::EstimateHelmert(points, fault);
            break;
        case Model::HeightPlane:
            result = detail::EstimateHeightPlane(points, fault);
            break;
    }
    if (result) {
        result->model = model;
        result->pointCount = static_cast<int>(points.size());
    }
    return result;
}

// target − Apply(source) as PointResidual::residual has it: a geocentric difference turned
// into the point's local north, east and up. The normal of any Earth ellipsoid serves: theirs
// differ by arc-seconds, a residual's turn by as little.
std::array<double, 3> Residual(const Result& result, const CommonPoint& point) {
    const std::array<double, 3> fitted = Apply(result, point.source);
    const double d0 = point.target[0] - fitted[0], d1 = point.target[1] - fitted[1],
                 d2 = point.target[2] - fitted[2];
    switch (result.model) {
        case Model::Similarity2d:
        case Model::Affine2d:
            return {d0, d1, 0};
        case Model::HeightPlane:
            return {0, 0, d2};
        case Model::Helmert7:
            break;
    }
    const engine::LatitudeByTrig latitude = engine::GeocentricLatitudeExact(
        {point.target[0], point.target[1], point.target[2]}, engine::EllipsoidGsk2011);
    const double longitude = std::atan2(point.target[1], point.target[0]);
    const double sinL = std::sin(longitude), cosL = std::cos(longitude);
    const double sinB = latitude.sinB, cosB = latitude.cosB;
    return {-sinB * cosL * d0 - sinB * sinL * d1 + cosB * d2,  // north
            -sinL * d0 + cosL * d1,                            // east
            cosB * cosL * d0 + cosB * sinL * d1 + sinB * d2};  // up
}

// What the flags and the order look at: the planimetric residual, or |dh| of the heights.
double Size(Model model, const std::array<double, 3>& residual) {
    return model == Model::HeightPlane ? std::abs(residual[2])
                                       : std::hypot(residual[0], residual[1]);
}

}  // namespace

const char* ModelName(Model model) {
    return Entry(model).name;
}

std::optional<Model> ModelNamed(std::string_view name) {
    for (const ModelEntry& entry : kModels)
        if (name == entry.name) return entry.model;
    return std::nullopt;
}

int FewestPoints(Model model) {
    return Entry(model).fewestPoints;
}

std::optional<Result> Fit(const std::vector<CommonPoint>& points, Model model, double tolerance,
                          std::string& fault) {
    fault = Refusal(points, model);
    if (!fault.empty()) return std::nullopt;
    std::optional<Result> result = Estimate(points, model, fault);
    if (!result) return std::nullopt;
    for (const Parameter& parameter : result->parameters) {
        if (!std::isfinite(parameter.value) || !std::isfinite(parameter.standardError)) {
            fault = "the fit gives no finite " + parameter.name;
            return std::nullopt;
        }
    }

    result->tolerance = tolerance > 0 ? tolerance : 3 * result->sigma0;
    const bool othersSuffice = static_cast<int>(points.size()) - 1 >= FewestPoints(model);
    for (std::size_t i = 0; i < points.size(); ++i) {
        PointResidual point;
        point.name = points[i].name;
        point.residual = Residual(*result, points[i]);
        point.planimetric = std::hypot(point.residual[0], point.residual[1]);
        point.leaveOneOut.fill(std::numeric_limits<double>::quiet_NaN());
        if (othersSuffice) {
            std::vector<CommonPoint> others = points;
            others.erase(others.begin() + static_cast<std::ptrdiff_t>(i));
            std::string othersFault;
            if (const auto without = Estimate(others, model, othersFault))
                point.leaveOneOut = Residual(*without, points[i]);
        }
        point.leaveOneOutPlanimetric = std::hypot(point.leaveOneOut[0], point.leaveOneOut[1]);
        point.flagged =
            result->degreesOfFreedom > 0 && Size(model, point.residual) > result->tolerance;
        result->points.push_back(point);
    }
    std::stable_sort(result->points.begin(), result->points.end(),
                     [&](const PointResidual& a, const PointResidual& b) {
                         return Size(model, a.residual) > Size(model, b.residual);
                     });
    return result;
}

std::array<double, 3> Apply(const Result& result, const std::array<double, 3>& source) {
    const auto [x, y, h] = source;
    switch (result.model) {
        case Model::Similarity2d:
        case Model::Affine2d: {
            const systems::PlaneKeys& keys = *result.keys;  // x′ = x₀ + a·x + b·y, …
            return {keys.x0 + keys.a * x + keys.b * y, keys.y0 + keys.c * x + keys.d * y, h};
        }
        case Model::HeightPlane: {
            // H′ = H + h₀ + tN·(x − x̄) + tE·(y − ȳ), the tilts from ppm to ratios.
            const auto& p = result.parameters;
            return {x, y,
                    h + p[0].value + p[1].value * 1e-6 * (x - result.centroid[0]) +
                        p[2].value * 1e-6 * (y - result.centroid[1])};
        }
        case Model::Helmert7:
            break;
    }
    engine::GeocentricPoint shifted;
    engine::ShiftGeocentric({x, y, h}, shifted, *result.shift);
    return {shifted.X, shifted.Y, shifted.Z};
}

}  // namespace fit
