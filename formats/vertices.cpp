#include "formats/vertices.h"

#include <ogr_geometry.h>

#include <cmath>
#include <vector>

#include "formats/text.h"
#include "systems/catalogue.h"

namespace formats {

namespace {

using controller::CoordinateForm;

// Visits every simple curve and point; the default visitor walks collections, polygons and
// compound curves down to them.
class Vertices : public OGRDefaultGeometryVisitor {
  public:
    Vertices(VertexConverter& converter, std::uint64_t& vertex,
             std::optional<VertexWarning>& warning)
        : converter_(converter), vertex_(vertex), warning_(warning) {}

    using OGRDefaultGeometryVisitor::visit;
    void visit(OGRPoint* point) override {
        if (fault || point->IsEmpty()) return;
        double x = point->getX(), y = point->getY(), z = point->Is3D() ? point->getZ() : 0;
        if (!One(x, y, z)) return;
        point->setX(x);
        point->setY(y);
        if (point->Is3D()) point->setZ(z);
    }
    void visit(OGRLineString* line) override { Curve(*line); }
    void visit(OGRLinearRing* ring) override { Curve(*ring); }
    void visit(OGRCircularString* arc) override { Curve(*arc); }

    std::optional<VertexFault> fault;

  private:
    bool One(double& x, double& y, double& z) {
        ++vertex_;
        const char* warning = nullptr;
        std::string error = converter_.Convert(x, y, z, warning);
        if (!error.empty()) {
            fault = VertexFault{vertex_, std::move(error)};
            return false;
        }
        if (warning != nullptr && !warning_) warning_ = VertexWarning{vertex_, warning};
        return true;
    }
    void Curve(OGRSimpleCurve& curve) {
        if (fault) return;
        const int n = curve.getNumPoints();
        const bool hasZ = curve.Is3D(), hasM = curve.IsMeasured();
        x_.resize(n);
        y_.resize(n);
        z_.assign(n, 0.0);
        m_.resize(n);
        curve.getPoints(x_.data(), sizeof(double), y_.data(), sizeof(double),
                        hasZ ? z_.data() : nullptr, sizeof(double), hasM ? m_.data() : nullptr,
                        sizeof(double));
        for (int i = 0; i < n; ++i) {
            if (!One(x_[i], y_[i], z_[i])) return;
        }
        curve.setPoints(n, x_.data(), y_.data(), hasZ ? z_.data() : nullptr,
                        hasM ? m_.data() : nullptr);
    }

    VertexConverter& converter_;
    std::uint64_t& vertex_;
    std::optional<VertexWarning>& warning_;
    std::vector<double> x_, y_, z_, m_;
};

}  // namespace

VertexConverter::VertexConverter(const batch::ConversionOptions& options) : options_(options) {
    options_.angles = controller::AngleForm::Degrees;
    options_.dms = false;
    options_.anglesOut = batch::AngleText::Degrees;
    options_.gisAxes = true;
    geocentricFrom_ = options_.from.form == CoordinateForm::Geocentric;
    geocentricTo_ = options_.to.form == CoordinateForm::Geocentric;
    needsZ_ = geocentricFrom_ || geocentricTo_;
    targetZoned_ =
        options_.to.form == CoordinateForm::Plane && options_.to.zones != systems::Zones::None;
    routeTakesZone_ =
        targetZoned_ && systems::ZoneNamedBy(options_.from, options_.to) == &options_.to;
    zoneAsked_ = routeTakesZone_ && options_.zone != 0;
    if (zoneAsked_) zone_ = options_.zone;
    converter_.emplace(options_);
}

std::string VertexConverter::Convert(double& x, double& y, double& z, const char*& warning) {
    warning = nullptr;
    if (!(std::isfinite(x) && std::isfinite(y) && std::isfinite(z))) {
        return batch::Message(options_.language, batch::MessageId::GisNotFinite,
                              {Shortest(x), Shortest(y), Shortest(z)});
    }
    // Latitude and northing first on the route; geocentric X, Y, Z as they stand.
    const std::array<double, 3> held = geocentricFrom_ ? std::array{x, y, z} : std::array{y, x, z};
    std::string error = converter_->Check(held, warning);
    if (!error.empty()) return error;
    std::array<double, 3> values = held;
    int zone = 0;
    const char* routeWarning = nullptr;
    converter_->Convert(values, zone, error, routeWarning);
    if (!error.empty()) return error;
    if (targetZoned_ && zone_ == 0) {
        // The first point fixes the file's zone. Where the route projects into the zone asked
        // for, it is asked for from now on (a neighbouring zone's points then project into it,
        // as with --zone); the first point is converted again on that very route.
        zone_ = zone;
        if (routeTakesZone_) {
            options_.zone = zone;
            converter_.emplace(options_);
            values = held;
            converter_->Convert(values, zone, error, routeWarning);
            if (!error.empty()) return error;
        }
    }
    if (targetZoned_ && zone != zone_) {
        const std::string asked = systems::ZoneText(options_.to, zone_);
        const std::string own = systems::ZoneText(options_.to, zone);
        return batch::Message(
            options_.language,
            zoneAsked_ ? batch::MessageId::OtherZone : batch::MessageId::GisFileZone, {asked, own});
    }
    if (warning == nullptr) warning = routeWarning;
    if (geocentricTo_) {
        x = values[0];
        y = values[1];
    } else {
        y = values[0];
        x = values[1];
    }
    z = values[2];
    return "";
}

std::optional<VertexFault> ConvertGeometry(OGRGeometry& geometry, VertexConverter& converter,
                                           std::uint64_t& vertex,
                                           std::optional<VertexWarning>& warning) {
    // A geocentric end gives every vertex three coordinates: the collections' and polygons' own
    // dimension too, or their parts' heights would not be written.
    if (converter.NeedsZ() && !geometry.Is3D()) geometry.set3D(TRUE);
    Vertices vertices(converter, vertex, warning);
    geometry.accept(&vertices);
    return vertices.fault;
}

}  // namespace formats
