// Transformations fitted to common points by least squares: the plane "keys" of a local
// system (a four-parameter similarity or a six-parameter affine map between two planes), a
// seven-parameter Helmert transformation between geocentric coordinates, and a height offset
// with a north and an east tilt. Each fit gives its parameters with their standard errors,
// the standard deviation of unit weight, every point's residual and its leave-one-out
// residual (where the point lands when the others alone fit), and flags the points beyond
// the tolerance: the check that finds a wrong point a least-squares fit otherwise hides.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/records.h"
#include "systems/catalogue.h"

namespace fit {

enum class Model {
    Similarity2d,  // x′ = x₀ + s cos θ x − s sin θ y, y′ = y₀ + s sin θ x + s cos θ y
    Affine2d,      // x′ = x₀ + a x + b y, y′ = y₀ + c x + d y
    Helmert7,      // geocentric, coordinate frame (GOST 32453-2017's convention)
    HeightPlane,   // H′ = H + h₀ + tN (x − x̄) + tE (y − ȳ)
};

// The largest condition number of a design (about the centroid, coordinates divided by their
// RMS distance from it) that a fit accepts. A well-spread set of points gives 1 to 10; at 10⁶
// a centimetre of error in the coordinates moves the parameters as 10 km would, and the
// arithmetic itself (10⁻¹⁶ relative) keeps only ten significant digits.
inline constexpr double kConditionLimit = 1e6;
// Two points closer than this (metres, on either side) are one mark named twice: a
// fit would count it double.
inline constexpr double kSamePlace = 0.001;
// The most common points a fit takes: each leave-one-out residual refits the rest, so the
// work grows as n² (5000 points take a few seconds); keys are fitted to tens of points.
inline constexpr std::size_t kMostPoints = 5000;
// Coordinates beyond 10⁹ m (geocentric, plane or height) are no place on the Earth.
inline constexpr double kFarthestCoordinate = 1e9;

// The model's name on the command line ("similarity2d") and back.
const char* ModelName(Model model);
std::optional<Model> ModelNamed(std::string_view name);
// The fewest points the model needs: 2, 3, 3, 3.
int FewestPoints(Model model);

// One point known on both sides. Plane models: x (north), y (east), H in metres on each
// side; Helmert7: geocentric X, Y, Z in metres.
struct CommonPoint {
    std::string name;
    std::array<double, 3> source{};
    std::array<double, 3> target{};
};

// One parameter as surveyors write it: its name, value and standard error in `unit`
// ("m", "″", "ppm", or "" for a plain ratio).
struct Parameter {
    std::string name;  // "dx", "rotation", "scale", "a", "wX", "m", "h0", "tilt_north", …
    std::string unit;
    double value = 0;
    double standardError = 0;
};

struct PointResidual {
    std::string name;
    // target − fitted, metres: plane models dx (north), dy (east), dh (HeightPlane's, else
    // 0); Helmert7 in the point's local north, east and up.
    std::array<double, 3> residual{};
    double planimetric = 0;  // hypot(dx, dy)
    // The same with the point left out of the fit (NaN where the others are too few).
    std::array<double, 3> leaveOneOut{};
    double leaveOneOutPlanimetric = 0;
    bool flagged = false;  // beyond the tolerance (planimetric, or |dh| for HeightPlane)
};

struct Result {
    Model model = Model::Similarity2d;
    std::vector<Parameter> parameters;  // in the model's order
    double sigma0 = 0;                  // standard deviation of unit weight, metres (0 at dof 0)
    int pointCount = 0;
    int degreesOfFreedom = 0;
    double conditionNumber = 0;         // of the design, about the centroid and scaled
    double tolerance = 0;               // the flags' limit, metres: given, or 3·sigma0
    std::vector<PointResidual> points;  // worst first (by planimetric, or |dh|)
    std::vector<std::string> warnings;  // absurd for geodesy, but not refused

    // What the fitted parameters are as the catalogue writes them.
    std::optional<systems::PlaneKeys> keys;   // Similarity2d, Affine2d
    std::optional<engine::DatumShift> shift;  // Helmert7, coordinate frame, m as a ratio
    // HeightPlane: the source's centroid x̄, ȳ, about which h₀ is given and the tilts act.
    std::array<double, 2> centroid{};
};

// Fits the model to the points. tolerance: metres; 0 means 3·sigma0. Returns the result,
// or none with `fault` saying why (fewer points than the model needs, the same point twice,
// a coordinate that is not finite, the points (nearly) on a line: "the points lie nearly on
// a line (condition number 3.2e+09)"). A similarity is fixed by any two distinct points, so
// only the other models refuse points on a line.
std::optional<Result> Fit(const std::vector<CommonPoint>& points, Model model, double tolerance,
                          std::string& fault);

// Applies a fitted result to one source point (the target's x, y, H or X, Y, Z): the plane
// keys as the catalogue's route applies them, the height plane to H alone (x, y kept), the
// seven parameters by engine::ShiftGeocentric.
std::array<double, 3> Apply(const Result& result, const std::array<double, 3>& source);

}  // namespace fit
