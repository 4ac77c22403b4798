#include "batch/point_converter.h"

#include <cmath>
#include <functional>

#include "batch/output_form.h"

namespace batch {

using controller::AngleForm;
using controller::CoordinateForm;

PointConverter::PointConverter(const ConversionOptions& options)
    : options_(options),
      domain_(options),
      from_(Info(options.from).form),
      to_(Info(options.to).form) {
    anglesOut_ =
        WrittenAngles(options) == AngleText::Packed ? AngleForm::Display : AngleForm::Degrees;
    windowRoute_ = WindowChain(options);
    if (windowRoute_.empty()) officialRoute_.emplace(options.from, options.to);
}

std::vector<controller::CoordinateSystem> WindowChain(const ConversionOptions& options) {
    const auto from = WindowSystem(options.from), to = WindowSystem(options.to);
    if (options.parameters != Parameters::Window || !from || !to) return {};
    // Into another zone the window goes as the surveyor does with it: to geodetic
    // coordinates, moved over, projected into the zone asked for.
    if (controller::FormOf(*from) == CoordinateForm::Plane &&
        controller::FormOf(*to) == CoordinateForm::Plane && options.zone != 0) {
        return {*from, controller::CoordinateSystem::Sk42Blh, *to};
    }
    return controller::ShortestRoute(*from, *to);
}

void PointConverter::DropSmallValues(CoordinateForm form, AngleForm angles,
                                     std::array<double, 3>& values) const {
    // The window writes a value below 0.0001 as 0: metres, and packed angles, whose 0.0001 is
    // 0.0001″ (3 mm); in decimal degrees the same angle is the limit, not 0.0001° (11 m). Its
    // parameters keep its digits; the official routes zero an angle below 1e-10° (0.01 mm).
    const bool windowTexts = !windowRoute_.empty();
    const double smallSeconds = windowTexts ? controller::SmallValue : 3600 * 1e-10;
    const bool geodetic = form == CoordinateForm::Geodetic;
    const bool degrees = angles == AngleForm::Degrees;
    for (int i = 0; i < 3; ++i) {
        if (geodetic && i < 2) {
            const double limit = degrees ? smallSeconds / 3600 : smallSeconds;
            if (std::fabs(values[i]) < limit) values[i] = 0;
        } else {
            values[i] = controller::DropSmallValue(values[i]);
        }
    }
}

void PointConverter::Convert(std::array<double, 3>& values, int& zone, std::string& error,
                             const char*& warning) const {
    warning = nullptr;
    // The window reads a value below 0.0001 as 0. Only a pair it offers (one step) promises
    // the window's texts; every other route reads the values as written (2e-8° is 2 mm).
    if (windowRoute_.size() == 2) DropSmallValues(from_, options_.angles, values);
    zone = options_.zone;
    // Between the ends the angles travel in decimal degrees, at full precision; the
    // conversions from and to the user's form are those of the window's own chain.
    if (from_ == CoordinateForm::Geodetic) {
        values[0] = controller::AngleToDegrees(values[0], options_.angles);
        values[1] = controller::AngleToDegrees(values[1], options_.angles);
    }
    if (officialRoute_) officialRoute_->Convert(values, zone);
    for (std::size_t i = 1; i < windowRoute_.size(); ++i) {
        int eastingsOwn = 0;  // plane to plane: the easting is read in the zone it names
        const bool replane = i == 1 && from_ == CoordinateForm::Plane && to_ == from_;
        controller::ConvertPoint(windowRoute_[i - 1], windowRoute_[i], values,
                                 replane ? eastingsOwn : zone, AngleForm::Degrees);
        // Near the centre the window's iteration, and far beyond the pole its series, leave
        // the latitudes (the southern ones it writes from 270° to 360°); near the pole its
        // Molodensky step overshoots by a second or so, which its texts keep, and says so.
        constexpr double kPoleOvershoot = 0.01;
        const double latitude = values[0];
        const auto beyondPole = [latitude](double margin) {
            return !(std::fabs(latitude) <= 90 + margin ||
                     (latitude >= 270 - margin && latitude <= 360));
        };
        if (controller::FormOf(windowRoute_[i]) != CoordinateForm::Geodetic) continue;
        if (beyondPole(kPoleOvershoot)) {
            error = Message(options_.language, MessageId::NoWindowLatitude,
                            {Figure(options_.language, std::to_string(latitude))});
            return;
        }
        if (beyondPole(0)) {
            warning = MessageText(options_.language, MessageId::WindowBeyondPole);
        }
    }
    if (windowRoute_.size() == 1 && to_ == CoordinateForm::Plane) {
        // Unchanged, in the zone its easting names (an absurd easting names none).
        zone = std::fabs(values[1]) < 1e15 ? static_cast<int>(values[1] / 1e6) : 0;
    }
    if (to_ == CoordinateForm::Geodetic) {
        // In decimal degrees, as every other tool writes them: the latitude signed in
        // [−90°, 90°], the longitude in (−180°, 180°]; packed angles keep the window's turn.
        if (anglesOut_ == AngleForm::Degrees) {
            for (double& angle : {std::ref(values[0]), std::ref(values[1])}) {
                if (angle > 180) angle -= 360;
            }
        }
        values[0] = controller::DegreesToAngle(values[0], anglesOut_);
        values[1] = controller::DegreesToAngle(values[1], anglesOut_);
    }
    DropSmallValues(to_, anglesOut_, values);
    if (!(std::isfinite(values[0]) && std::isfinite(values[1]) && std::isfinite(values[2]))) {
        error = MessageText(options_.language, MessageId::NotFinite);
    }
}

}  // namespace batch
