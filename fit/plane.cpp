// The plane models: the four- and six-parameter keys between two planes, and the height
// plane. Each is linear in its unknowns once the coordinates are taken about their centroids
// and divided by the source's RMS distance from its centroid, which keeps the design's
// columns of one size whatever the zone's false easting or the datum's origin.
#include <cmath>

#include "fit/estimate.h"

namespace fit::detail {

namespace {

// A similarity's scale beyond this (ppm) is no survey's: a wrong system or unit somewhere.
constexpr double kAbsurdScalePpm = 1000;

// Centroids of both sides and the source's RMS distance from its own: the reduced
// coordinates u = (x − x̄)/S, v = (y − ȳ)/S, and the same for the target with its centroid.
struct PlaneFrame {
    double sourceX = 0, sourceY = 0, targetX = 0, targetY = 0, scale = 1;

    explicit PlaneFrame(const std::vector<CommonPoint>& points) {
        const double n = static_cast<double>(points.size());
        for (const CommonPoint& point : points) {
            sourceX += point.source[0] / n, sourceY += point.source[1] / n;
            targetX += point.target[0] / n, targetY += point.target[1] / n;
        }
        double squares = 0;
        for (const CommonPoint& point : points)
            squares +=
                std::pow(point.source[0] - sourceX, 2) + std::pow(point.source[1] - sourceY, 2);
        scale = std::sqrt(squares / n);  // > 0: the points were checked to stand apart
    }
    double U(const CommonPoint& p) const { return (p.source[0] - sourceX) / scale; }
    double V(const CommonPoint& p) const { return (p.source[1] - sourceY) / scale; }
    double TargetU(const CommonPoint& p) const { return (p.target[0] - targetX) / scale; }
    double TargetV(const CommonPoint& p) const { return (p.target[1] - targetY) / scale; }
};

// Solves the design, refuses it beyond kConditionLimit (`what` says why), and starts the
// result with its degrees of freedom, condition number and σ₀ in the design's units.
std::optional<LinearSolution> Solve(const Matrix& design, const Vector& observed, const char* what,
                                    Result& result, double& sigma, std::string& fault) {
    LinearSolution fitted = SolveLeastSquares(design, observed);
    if (!(fitted.conditionNumber <= kConditionLimit)) {
        fault = IllConditioned(what, fitted.conditionNumber);
        return std::nullopt;
    }
    result.degreesOfFreedom = static_cast<int>(design.rows() - design.cols());
    result.conditionNumber = fitted.conditionNumber;
    sigma = UnitWeightSigma(fitted.residuals, result.degreesOfFreedom);
    return fitted;
}

}  // namespace

// x′ − x̄′ = S·tx + p·(x − x̄) − q·(y − ȳ), y′ − ȳ′ = S·ty + q·(x − x̄) + p·(y − ȳ), with
// p = s·cos θ, q = s·sin θ; unknowns (p, q, tx, ty).
std::optional<Result> EstimateSimilarity(const std::vector<CommonPoint>& points,
                                         std::string& fault) {
    const PlaneFrame frame(points);
    const auto n = static_cast<Eigen::Index>(points.size());
    Matrix design = Matrix::Zero(2 * n, 4);
    Vector observed(2 * n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const CommonPoint& point = points[static_cast<std::size_t>(i)];
        const double u = frame.U(point), v = frame.V(point);
        design.row(2 * i) << u, -v, 1, 0;
        design.row(2 * i + 1) << v, u, 0, 1;
        observed(2 * i) = frame.TargetU(point), observed(2 * i + 1) = frame.TargetV(point);
    }
    Result result;
    double reducedSigma = 0;
    const auto solved =
        Solve(design, observed, "the points give no similarity", result, reducedSigma, fault);
    if (!solved) return std::nullopt;
    const LinearSolution& fitted = *solved;
    result.sigma0 = reducedSigma * frame.scale;

    const double p = fitted.solution(0), q = fitted.solution(1);
    const double tx = fitted.solution(2), ty = fitted.solution(3);
    const double s2 = p * p + q * q, s = std::sqrt(s2);
    const double x0 = frame.targetX + frame.scale * tx - p * frame.sourceX + q * frame.sourceY;
    const double y0 = frame.targetY + frame.scale * ty - q * frame.sourceX - p * frame.sourceY;
    Vector values(4);
    values << x0, y0, std::atan2(q, p) * kSecondsPerRadian, (s - 1) * kPpm;
    // θ = atan2(q, p) and s = √(p² + q²) differentiated in p and q.
    Matrix jacobian(4, 4);
    jacobian << -frame.sourceX, frame.sourceY, frame.scale, 0,          //
        -frame.sourceY, -frame.sourceX, 0, frame.scale,                 //
        -q / s2 * kSecondsPerRadian, p / s2 * kSecondsPerRadian, 0, 0,  //
        p / s * kPpm, q / s * kPpm, 0, 0;
    result.parameters = Propagated({{"dx", "m"}, {"dy", "m"}, {"rotation", "″"}, {"scale", "ppm"}},
                                   values, jacobian, reducedSigma * reducedSigma * fitted.cofactor);
    result.keys = systems::Similarity(values(0), values(1), values(2), values(3));
    if (std::abs(values(3)) > kAbsurdScalePpm)
        result.warnings.push_back(
            "the scale differs from 1 by more than 1000 ppm: are both "
            "sides in metres and in the systems named?");
    return result;
}

// x′ − x̄′ = S·tx + a·(x − x̄) + b·(y − ȳ), y′ − ȳ′ = S·ty + c·(x − x̄) + d·(y − ȳ);
// unknowns (a, b, tx, c, d, ty).
std::optional<Result> EstimateAffine(const std::vector<CommonPoint>& points, std::string& fault) {
    const PlaneFrame frame(points);
    const auto n = static_cast<Eigen::Index>(points.size());
    Matrix design = Matrix::Zero(2 * n, 6);
    Vector observed(2 * n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const CommonPoint& point = points[static_cast<std::size_t>(i)];
        const double u = frame.U(point), v = frame.V(point);
        design.row(2 * i) << u, v, 1, 0, 0, 0;
        design.row(2 * i + 1) << 0, 0, 0, u, v, 1;
        observed(2 * i) = frame.TargetU(point), observed(2 * i + 1) = frame.TargetV(point);
    }
    Result result;
    double reducedSigma = 0;
    const auto solved =
        Solve(design, observed, "the points lie nearly on a line", result, reducedSigma, fault);
    if (!solved) return std::nullopt;
    const LinearSolution& fitted = *solved;
    result.sigma0 = reducedSigma * frame.scale;

    const Vector& x = fitted.solution;  // a, b, tx, c, d, ty
    const double cx = frame.sourceX, cy = frame.sourceY, scale = frame.scale;
    Vector values(6);
    values << frame.targetX + scale * x(2) - x(0) * cx - x(1) * cy, x(0), x(1),
        frame.targetY + scale * x(5) - x(3) * cx - x(4) * cy, x(3), x(4);
    Matrix jacobian(6, 6);
    jacobian << -cx, -cy, scale, 0, 0, 0,  //
        1, 0, 0, 0, 0, 0,                  //
        0, 1, 0, 0, 0, 0,                  //
        0, 0, 0, -cx, -cy, scale,          //
        0, 0, 0, 1, 0, 0,                  //
        0, 0, 0, 0, 1, 0;
    result.parameters =
        Propagated({{"x0", "m"}, {"a", ""}, {"b", ""}, {"y0", "m"}, {"c", ""}, {"d", ""}}, values,
                   jacobian, reducedSigma * reducedSigma * fitted.cofactor);
    result.keys =
        systems::Affine({values(0), values(1), values(2), values(3), values(4), values(5)});
    return result;
}

// H′ − H = h₀ + βN·u + βE·v at the source's reduced x, y; the tilts tN = βN/S, tE = βE/S.
std::optional<Result> EstimateHeightPlane(const std::vector<CommonPoint>& points,
                                          std::string& fault) {
    const PlaneFrame frame(points);
    const auto n = static_cast<Eigen::Index>(points.size());
    Matrix design(n, 3);
    Vector observed(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const CommonPoint& point = points[static_cast<std::size_t>(i)];
        design.row(i) << 1, frame.U(point), frame.V(point);
        observed(i) = point.target[2] - point.source[2];
    }
    Result result;
    const auto solved =
        Solve(design, observed, "the points lie nearly on a line", result, result.sigma0, fault);
    if (!solved) return std::nullopt;
    const LinearSolution& fitted = *solved;
    const Matrix jacobian = Eigen::Vector3d(1, kPpm / frame.scale, kPpm / frame.scale).asDiagonal();
    result.parameters = Propagated({{"h0", "m"}, {"tilt_north", "ppm"}, {"tilt_east", "ppm"}},
                                   jacobian * fitted.solution, jacobian,
                                   result.sigma0 * result.sigma0 * fitted.cofactor);
    result.centroid = {frame.sourceX, frame.sourceY};
    return result;
}

}  // namespace fit::detail
