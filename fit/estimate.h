// Linear least squares for the fits, and what each model's estimate hands to the common part.
// Internal to the library: it includes Eigen, which the installed headers never ask for.
#pragma once

#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include <Eigen/Dense>

#include "fit/fit.h"

namespace fit::detail {

using Matrix = Eigen::MatrixXd;
using Vector = Eigen::VectorXd;

// Arc-seconds per radian, ρ = 648000/π; parts per million in a ratio.
inline constexpr double kSecondsPerRadian = 648000 / std::numbers::pi;
inline constexpr double kPpm = 1e6;

// The solution x̂ of A·x ≈ l, the residuals l − A·x̂, the cofactor matrix (AᵀA)⁻¹, and the
// condition number σmax/σmin of A (infinite when A is rank-deficient).
struct LinearSolution {
    Vector solution;
    Vector residuals;
    Matrix cofactor;
    double conditionNumber = 0;
};

// By column-pivoting Householder QR, never the normal equations: A·P = Q·R gives x̂ from
// R·Pᵀx = Qᵀl and (AᵀA)⁻¹ = P·R⁻¹·R⁻ᵀ·Pᵀ, squaring no condition number on the way.
// The condition number from the singular values of A. A is expected about a centroid and
// scaled, so that the condition number says something about the geometry.
LinearSolution SolveLeastSquares(const Matrix& design, const Vector& observations);

// σ₀ = √(vᵀv / dof) for the residuals v, 0 at dof 0 (an exact fit says nothing of the noise).
double UnitWeightSigma(const Vector& residuals, int degreesOfFreedom);

// Parameters g(x̂) as reported, with their standard errors from the law of propagation:
// Cov(g) = G·Cov(x̂)·Gᵀ for the Jacobian G = ∂g/∂x at x̂.
std::vector<Parameter> Propagated(const std::vector<Parameter>& named, const Vector& values,
                                  const Matrix& jacobian, const Matrix& covariance);

// One model estimated from points already checked (enough of them, named once, finite, apart):
// parameters, σ₀, dof, condition number and keys, shift or centroid filled; the points'
// residuals are left to the caller. None, with `fault`, for an ill-conditioned design.
// plane.cpp
std::optional<Result> EstimateSimilarity(const std::vector<CommonPoint>& points,
                                         std::string& fault);
std::optional<Result> EstimateAffine(const std::vector<CommonPoint>& points, std::string& fault);
std::optional<Result> EstimateHeightPlane(const std::vector<CommonPoint>& points,
                                          std::string& fault);
// helmert.cpp
std::optional<Result> EstimateHelmert(const std::vector<CommonPoint>& points, std::string& fault);

// The refusal of a design whose condition number exceeds kConditionLimit.
std::string IllConditioned(const char* what, double conditionNumber);

}  // namespace fit::detail
