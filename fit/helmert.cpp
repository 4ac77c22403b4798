// The seven-parameter transformation between geocentric coordinates. A closed form first:
// Umeyama's SVD solution (IEEE PAMI 13(4), 1991, eqs. (38)–(42)) for the rotation, scale and
// translation, exact for any angle. Then Gauss–Newton on the engine's own formula,
// (X′, Y′, Z′) = (1 + m)·(I + W)·(X, Y, Z) + (dX, dY, dZ) with W linear in the rotations
// (engine/helmert.h), so that the set saved converts the points as this fit says.
#include <cmath>

#include "fit/estimate.h"

namespace fit::detail {
namespace {

// A set beyond these is no datum shift between Earth-fixed frames (GOST 32453-2017's largest
// are 0.8″ and 0.23 ppm): a wrong sign, unit or convention somewhere.
constexpr double kAbsurdScalePpm = 1000;
constexpr double kAbsurdRotationSeconds = 10;
// Gauss–Newton stops when a step moves no reduced coordinate by more than this (10⁻¹⁵ of the
// points' spread, the arithmetic's own), or after so many steps: from Umeyama's start the
// model, bilinear in the scale and the rotations, needs two or three.
constexpr double kNegligibleStep = 1e-15;
constexpr int kMostSteps = 10;

using Vector3 = Eigen::Vector3d;
using Matrix3 = Eigen::Matrix3d;

// [u]×, the matrix of the cross product: [u]×·w = u × w.
Matrix3 Cross(const Vector3& u) {
    Matrix3 m;
    m << 0, -u.z(), u.y(),  //
        u.z(), 0, -u.x(),   //
        -u.y(), u.x(), 0;
    return m;
}

// The rotation vector r of a rotation matrix R = exp([r]×): its axis times its angle.
Vector3 RotationVector(const Matrix3& r) {
    const Vector3 sine(r(2, 1) - r(1, 2), r(0, 2) - r(2, 0), r(1, 0) - r(0, 1));  // 2 sin φ · axis
    const double twiceSine = sine.norm();
    const double angle = std::atan2(twiceSine, r.trace() - 1);
    return twiceSine > 0 ? Vector3(sine * (angle / twiceSine)) : Vector3::Zero();
}

// The unknowns about the centroids: t (the reduced translation, in units of the spread),
// ω (radians, W = −[ω]× as the engine's matrix has it: (I + W)·u = u + u × ω) and m.
struct Unknowns {
    Vector3 t = Vector3::Zero();
    Vector3 omega = Vector3::Zero();
    double m = 0;
};

Vector3 Modelled(const Unknowns& x, const Vector3& u) {
    return (1 + x.m) * (u + u.cross(x.omega)) + x.t;
}

// Rows 3i…3i+2: ∂(model)/∂(t, ω, m) at the reduced source point u_i.
Matrix Jacobian(const Unknowns& x, const std::vector<Vector3>& source) {
    Matrix jacobian(3 * static_cast<Eigen::Index>(source.size()), 7);
    for (std::size_t i = 0; i < source.size(); ++i) {
        const Vector3& u = source[i];
        const auto row = 3 * static_cast<Eigen::Index>(i);
        jacobian.block<3, 3>(row, 0) = Matrix3::Identity();
        jacobian.block<3, 3>(row, 3) = (1 + x.m) * Cross(u);
        jacobian.block<3, 1>(row, 6) = u + u.cross(x.omega);
    }
    return jacobian;
}

Vector Misclosures(const Unknowns& x, const std::vector<Vector3>& source,
                   const std::vector<Vector3>& target) {
    Vector misclosures(3 * static_cast<Eigen::Index>(source.size()));
    for (std::size_t i = 0; i < source.size(); ++i)
        misclosures.segment<3>(3 * static_cast<Eigen::Index>(i)) =
            target[i] - Modelled(x, source[i]);
    return misclosures;
}

// Umeyama's similarity q ≈ c·R·p + t on reduced points, taken into the linearised unknowns:
// R ≈ I + [r]× is the engine's I + W with ω = −r.
Unknowns ClosedForm(const std::vector<Vector3>& source, const std::vector<Vector3>& target) {
    Matrix3 covariance = Matrix3::Zero();
    double sourceVariance = 0;
    for (std::size_t i = 0; i < source.size(); ++i) {
        covariance += target[i] * source[i].transpose();
        sourceVariance += source[i].squaredNorm();
    }
    const Eigen::JacobiSVD<Matrix3> svd(covariance, Eigen::ComputeFullU | Eigen::ComputeFullV);
    Vector3 reflection(1, 1, 1);
    if (svd.matrixU().determinant() * svd.matrixV().determinant() < 0) reflection.z() = -1;
    const Matrix3 rotation = svd.matrixU() * reflection.asDiagonal() * svd.matrixV().transpose();
    Unknowns x;
    x.m = svd.singularValues().dot(reflection) / sourceVariance - 1;
    x.omega = -RotationVector(rotation);
    return x;  // t = 0: both sides are about their centroids
}

}  // namespace

std::optional<Result> EstimateHelmert(const std::vector<CommonPoint>& points, std::string& fault) {
    // Reduced coordinates: about each side's centroid, divided by the source's RMS distance.
    const double n = static_cast<double>(points.size());
    Vector3 sourceCentroid = Vector3::Zero(), targetCentroid = Vector3::Zero();
    for (const CommonPoint& point : points) {
        sourceCentroid += Vector3(point.source.data()) / n;
        targetCentroid += Vector3(point.target.data()) / n;
    }
    double squares = 0;
    for (const CommonPoint& point : points)
        squares += (Vector3(point.source.data()) - sourceCentroid).squaredNorm();
    const double spread = std::sqrt(squares / n);
    std::vector<Vector3> source, target;
    for (const CommonPoint& point : points) {
        source.push_back((Vector3(point.source.data()) - sourceCentroid) / spread);
        target.push_back((Vector3(point.target.data()) - targetCentroid) / spread);
    }

    // Points on a line leave the rotation about it free: the design is singular there.
    const LinearSolution start = SolveLeastSquares(
        Jacobian(Unknowns{}, source), Vector::Zero(3 * static_cast<Eigen::Index>(points.size())));
    if (!(start.conditionNumber <= kConditionLimit)) {
        fault = IllConditioned("the points lie nearly on a line in space", start.conditionNumber);
        return std::nullopt;
    }

    Unknowns x = ClosedForm(source, target);
    LinearSolution step;
    for (int i = 0; i < kMostSteps; ++i) {
        step = SolveLeastSquares(Jacobian(x, source), Misclosures(x, source, target));
        x.t += step.solution.segment<3>(0);
        x.omega += step.solution.segment<3>(3);
        x.m += step.solution(6);
        if (step.solution.lpNorm<Eigen::Infinity>() < kNegligibleStep) break;
    }
    // The cofactors at the solution, and its own residuals.
    const Vector residuals = Misclosures(x, source, target);
    step = SolveLeastSquares(Jacobian(x, source), residuals);

    Result result;
    result.degreesOfFreedom = static_cast<int>(3 * points.size()) - 7;
    result.conditionNumber = step.conditionNumber;
    const double reducedSigma = UnitWeightSigma(residuals, result.degreesOfFreedom);
    result.sigma0 = reducedSigma * spread;

    // (dX, dY, dZ) = X̄′ + S·t − (1 + m)·(X̄ + X̄ × ω), rotations ω·ρ, m in ppm.
    const Vector3 rotatedCentroid = sourceCentroid + sourceCentroid.cross(x.omega);
    const Vector3 translation = targetCentroid + spread * x.t - (1 + x.m) * rotatedCentroid;
    Vector values(7);
    values << translation, x.omega * kSecondsPerRadian, x.m * kPpm;
    Matrix jacobian = Matrix::Zero(7, 7);
    jacobian.block<3, 3>(0, 0) = spread * Matrix3::Identity();
    jacobian.block<3, 3>(0, 3) = -(1 + x.m) * Cross(sourceCentroid);
    jacobian.block<3, 1>(0, 6) = -rotatedCentroid;
    jacobian.block<3, 3>(3, 3) = kSecondsPerRadian * Matrix3::Identity();
    jacobian(6, 6) = kPpm;
    result.parameters = Propagated({{"dX", "m"},
                                    {"dY", "m"},
                                    {"dZ", "m"},
                                    {"wX", "″"},
                                    {"wY", "″"},
                                    {"wZ", "″"},
                                    {"m", "ppm"}},
                                   values, jacobian, reducedSigma * reducedSigma * step.cofactor);
    result.shift =
        engine::DatumShift{values(0), values(1), values(2), values(3), values(4), values(5), x.m};

    if (std::abs(values(6)) > kAbsurdScalePpm)
        result.warnings.push_back("the scale differs from 1 by more than 1000 ppm");
    if (x.omega.cwiseAbs().maxCoeff() * kSecondsPerRadian > kAbsurdRotationSeconds)
        result.warnings.push_back(
            "a rotation exceeds 10″: is the convention coordinate frame "
            "on both sides?");
    return result;
}

}  // namespace fit::detail
