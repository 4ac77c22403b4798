#include "batch/point_converter.h"

#include <cmath>
#include <functional>

#include "batch/output_form.h"

namespace batch {

using controller::AngleForm;
using controller::CoordinateForm;

PointConverter::PointConverter(const ConversionOptions& options)
    : options_(options), domain_(options), from_(options.from.form), to_(options.to.form) {
    anglesOut_ =
        WrittenAngles(options) == AngleText::Packed ? AngleForm::Display : AngleForm::Degrees;
    route_ =
        systems::Route::Build(options.from, options.to, options.parameters, options.zone, refusal_);
}

void PointConverter::DropSmallValues(CoordinateForm form, AngleForm angles,
                                     std::array<double, 3>& values) const {
    // The window writes a value below 0.0001 as 0: metres, and packed angles, whose 0.0001 is
    // 0.0001″ (3 mm); in decimal degrees the same angle is the limit, not 0.0001° (11 m). Its
    // parameters keep its digits; the official routes zero an angle below 1e-10° (0.01 mm).
    const bool windowTexts = route_ && route_->RunsWindowChains();
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
    if (!route_) {  // the options' reader refuses such a pair before any line is read
        error = refusal_.In(options_.language);
        if (!error.empty() && error.back() == '\n') error.pop_back();
        return;
    }
    if (route_->IsWindowPair()) DropSmallValues(from_, options_.angles, values);
    // Between the ends the angles travel in decimal degrees, at full precision; the
    // conversions from and to the user's form are those of the window's own chain.
    if (from_ == CoordinateForm::Geodetic) {
        values[0] = controller::AngleToDegrees(values[0], options_.angles);
        values[1] = controller::AngleToDegrees(values[1], options_.angles);
    }
    systems::RoutePoint point{values, options_.zone};
    route_->Convert(point);
    switch (point.fault) {
        case systems::Fault::None:
            break;
        case systems::Fault::NoWindowLatitude:
            error = Message(options_.language, MessageId::NoWindowLatitude,
                            {Figure(options_.language, std::to_string(point.latitude))});
            return;
        case systems::Fault::OutsideProjection:
            error = MessageText(options_.language, MessageId::OutsideProjection);
            return;
        case systems::Fault::OutsideGeoid:
        case systems::Fault::GeoidHole:
            error = Message(options_.language,
                            point.fault == systems::Fault::OutsideGeoid ? MessageId::OutsideGeoid
                                                                        : MessageId::GeoidHole,
                            {point.geoid->model.id});
            return;
    }
    if (point.beyondPole) warning = MessageText(options_.language, MessageId::WindowBeyondPole);
    values = point.values;
    zone = point.zone;
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
