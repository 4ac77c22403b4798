#include "fit/estimate.h"

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <limits>

namespace fit::detail {

LinearSolution SolveLeastSquares(const Matrix& design, const Vector& observations) {
    LinearSolution out;
    const Eigen::ColPivHouseholderQR<Matrix> qr(design);
    out.solution = qr.solve(observations);
    out.residuals = observations - design * out.solution;

    const Eigen::Index unknowns = design.cols();
    const Matrix r = qr.matrixR().topLeftCorner(unknowns, unknowns).triangularView<Eigen::Upper>();
    const Matrix rInverse =
        r.triangularView<Eigen::Upper>().solve(Matrix::Identity(unknowns, unknowns));
    const auto& permutation = qr.colsPermutation();
    out.cofactor = permutation * (rInverse * rInverse.transpose()) * permutation.transpose();

    // Fewer observations than unknowns leave some unknowns free: no smallest singular value.
    const Vector singular = Eigen::JacobiSVD<Matrix>(design).singularValues();
    const double smallest = design.rows() < unknowns ? 0 : singular(singular.size() - 1);
    out.conditionNumber =
        smallest > 0 ? singular(0) / smallest : std::numeric_limits<double>::infinity();
    return out;
}

double UnitWeightSigma(const Vector& residuals, int degreesOfFreedom) {
    return degreesOfFreedom > 0 ? std::sqrt(residuals.squaredNorm() / degreesOfFreedom) : 0.0;
}

std::vector<Parameter> Propagated(const std::vector<Parameter>& named, const Vector& values,
                                  const Matrix& jacobian, const Matrix& covariance) {
    const Matrix reported = jacobian * covariance * jacobian.transpose();
    std::vector<Parameter> parameters = named;
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const auto row = static_cast<Eigen::Index>(i);
        parameters[i].value = values(row);
        parameters[i].standardError = std::sqrt(std::max(0.0, reported(row, row)));
    }
    return parameters;
}

std::string IllConditioned(const char* what, double conditionNumber) {
    char number[32];
    std::snprintf(number, sizeof number, "%.1e", conditionNumber);
    char limit[32];
    std::snprintf(limit, sizeof limit, "%.0e", kConditionLimit);
    return std::string(what) + " (condition number " + number + ", more than " + limit + ")";
}

}  // namespace fit::detail
