#include "fit/saved_system.h"

#include <charconv>
#include <iterator>

#include "engine/zones.h"
#include "systems/catalogue_file.h"

namespace fit {

namespace {

using controller::CoordinateForm;

std::string Shortest(double value) {
    char text[32];
    const auto end = std::to_chars(std::begin(text), std::end(text), value).ptr;
    return std::string(text, end);
}

// A fitted seven-parameter set as a [datum.ID] table: the target's ellipsoid, leading to the
// source's datum; coordinate-frame rotations in ″, scale in ppm as the file writes them.
std::string DatumToml(const std::string& id, const systems::Datum& on, const systems::Datum& to,
                      const engine::DatumShift& shift, const std::string& about) {
    return "[datum." + id + "]\nellipsoid = { a = " + Shortest(on.ellipsoid.a) +
           ", rf = " + Shortest(on.ellipsoid.invF) + " }\nto = \"" + to.id + "\"\nparameters = [" +
           Shortest(shift.dX) + ", " + Shortest(shift.dY) + ", " + Shortest(shift.dZ) + ", " +
           Shortest(shift.wX) + ", " + Shortest(shift.wY) + ", " + Shortest(shift.wZ) + ", " +
           Shortest(shift.m * 1e6) + "]\nconvention = \"coordinate-frame\"\nsource = \"" + about +
           "\"\n";
}

}  // namespace

std::string SavedAbout(const SavedSystem& saved, const Result& fitted) {
    return saved.program + " " + std::string(ModelName(fitted.model)) + " from " +
           saved.source->id + " to " + (saved.target ? saved.target->id : "plane") + ", " +
           std::to_string(fitted.pointCount) + " points, sigma0 " + Shortest(fitted.sigma0) + " m";
}

std::optional<std::string> SavedTables(const SavedSystem& saved, const Result& fitted,
                                       const std::vector<CommonPoint>& points, double tolerance,
                                       std::string& fault) {
    const std::string about = SavedAbout(saved, fitted);
    systems::System system;
    system.id = saved.id;
    system.displayName = saved.name;
    system.names = {saved.name, saved.name};
    std::string tables = "# " + about + "\n";
    if (fitted.model != Model::Helmert7) {
        const systems::System& plane = *saved.fitPlane;
        system.datum = plane.datum;
        system.form = CoordinateForm::Plane;
        system.projection = plane.zones != systems::Zones::None
                                ? engine::ZoneParameters(plane.scheme, saved.zone)
                                : plane.projection;
        system.keys = fitted.keys;
    } else {
        // The set leads from the new datum to the source's: the fit the other way round.
        std::vector<CommonPoint> reversed = points;
        for (CommonPoint& point : reversed)
            std::swap(point.source, point.target);
        const auto back = Fit(reversed, Model::Helmert7, tolerance, fault);
        if (!back || !back->shift) return std::nullopt;
        const systems::System& target = *saved.target;
        system.datum = target.datum;
        system.datum.id = saved.id;
        tables += DatumToml(saved.id, target.datum, saved.source->datum, *back->shift, about);
        system.form = target.form;
        system.keys = target.keys;
        system.projection = target.zones != systems::Zones::None
                                ? engine::ZoneParameters(target.scheme, saved.zone)
                                : target.projection;
    }
    return tables + systems::SystemToml(system);
}

}  // namespace fit
