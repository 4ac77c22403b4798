#include "batch/fit_sides.h"

#include <tuple>

#include "batch/point_converter.h"
#include "systems/route.h"

namespace batch {

namespace {

using controller::CoordinateForm;
using systems::System;

FitFault ChoiceFault(std::string message) {
    return {FitFault::Kind::Choice, std::move(message)};
}
FitFault PointsFault(std::string message) {
    return {FitFault::Kind::Points, std::move(message)};
}

// Geocentric X, Y, Z on a system's own datum.
System GeocentricOn(const systems::Datum& datum) {
    System system;
    system.id = datum.id + "-xyz";
    system.displayName = system.id;
    system.names = {datum.name.english + " geocentric", datum.name.russian};
    system.datum = datum;
    system.form = CoordinateForm::Geocentric;
    return system;
}

// A projected system's plane without its keys: where fitted keys start from.
System ProjectionPlane(const System& system) {
    System plane = system;
    plane.keys.reset();
    return plane;
}

// The zone a zoned system's plane point is in: the easting's millions, or the one asked for.
int ZoneOf(const System& system, double easting, int requested) {
    const auto zone = engine::ZoneOfEasting(system.scheme, easting, requested);
    return zone ? static_cast<int>(*zone) : 0;
}

std::string Where(const std::string& listName, const NamedPoint& point,
                  Language language = Language::English) {
    return listName + (language == Language::Russian ? ": строка " : ": line ") +
           std::to_string(point.line);
}

// The points of a side taken into `into` (plane coordinates of a zone, or geocentric), in the
// order of `pairs`. zone: the zone asked for (0: the first point's); all points must land in
// one, which it becomes.
std::optional<FitFault> ConvertSide(const System& from, bool sourceSide, const NamedPairs& pairs,
                                    const System& into, AngleText angles, const Columns& columns,
                                    const std::string& listName, Language language, int& zone,
                                    std::vector<std::array<double, 3>>& values,
                                    std::vector<std::string>& warnings) {
    ConversionOptions conversion;
    conversion.from = from;
    conversion.to = into;
    conversion.angles = angles == AngleText::Packed ? controller::AngleForm::Display
                                                    : controller::AngleForm::Degrees;
    conversion.dms = angles == AngleText::Dms;
    conversion.columns = columns;
    conversion.zone = zone;
    conversion.language = language;
    const PointConverter converter(conversion);
    const bool zoned = into.form == CoordinateForm::Plane && into.zones != systems::Zones::None;
    const NamedPoint* first = nullptr;
    for (const auto& pair : pairs) {
        const NamedPoint& point = sourceSide ? pair.first : pair.second;
        std::array<double, 3> converted = point.values;
        const char* warning = nullptr;
        std::string error = converter.Check(converted, warning);
        int pointZone = zone;
        if (error.empty()) converter.Convert(converted, pointZone, error, warning);
        if (!error.empty()) return PointsFault(Where(listName, point, language) + ": " + error);
        if (warning != nullptr)
            warnings.push_back(Where(listName, point, language) + ": " + warning);
        if (zoned && zone != 0 && pointZone != zone) {
            return PointsFault(Where(listName, point) + ": point \"" + PrintableName(point.name) +
                               "\" lies in zone " + systems::ZoneText(into, pointZone) + " of " +
                               into.id + ", " +
                               (first ? "point \"" + PrintableName(first->name) + "\" in zone "
                                      : std::string("the fit is in zone ")) +
                               systems::ZoneText(into, zone) + "; fit the points of one zone, or " +
                               "all in one with --zone");
        }
        if (zoned && zone == 0) {
            zone = pointZone;
            first = &point;
        }
        values.push_back(converted);
    }
    return std::nullopt;
}

}  // namespace

std::optional<FitFault> PlanFit(const systems::Catalogue& catalogue, const FitChoices& choices,
                                FitPlan& plan) {
    plan = {};
    plan.choices = choices;
    const System* source = choices.source;
    const System* target = choices.target;
    const bool plane = choices.planeModel;
    if (!plane && target == nullptr) {
        return ChoiceFault(
            "helmert7 needs geocentric coordinates on a datum: plane has none; fit a plane "
            "model (similarity2d, affine2d) to it");
    }
    plan.targetProjected = target == nullptr || target->form == CoordinateForm::Plane;

    // The plane of the fit: the source's own, --plane, or the target's.
    if (plane) {
        if (choices.plane && source->form == CoordinateForm::Plane) {
            return ChoiceFault("--plane is for a geodetic or geocentric source; " + source->id +
                               " is fitted in its own plane");
        }
        plan.projection = source->form == CoordinateForm::Plane ? source
                          : choices.plane                       ? catalogue.Find(*choices.plane)
                          : target && plan.targetProjected      ? target
                                                                : nullptr;
        if (choices.plane && plan.projection == nullptr) {
            return ChoiceFault("unknown system \"" + PrintableName(*choices.plane) + "\"");
        }
        if (plan.projection == nullptr) {
            return ChoiceFault(
                "a plane model fits plane coordinates: give --plane SYSTEM, the projected "
                "system whose plane the points of " +
                source->id + " are taken into");
        }
        if (plan.projection->form != CoordinateForm::Plane) {
            return ChoiceFault("--plane " + plan.projection->id + " is not a projected system");
        }
        plan.fitPlane = ProjectionPlane(*plan.projection);
    }
    // The system a zone given names: the plane of the fit's, else helmert7's zoned side's.
    const System* zoned = plane                                   ? &plan.fitPlane
                          : source->zones != systems::Zones::None ? source
                                                                  : target;
    if (choices.zone) {
        const auto parsed = systems::ParseZone(*zoned, *choices.zone);
        if (!parsed || zoned->zones == systems::Zones::None) {
            return ChoiceFault(
                zoned->zones == systems::Zones::None
                    ? "--zone: " + zoned->id + " has no zones"
                    : "--zone takes a zone of " + zoned->id + " (1 to " +
                          std::to_string(systems::LargestZone(*zoned)) +
                          (zoned->zones == systems::Zones::Utm ? " with N or S" : "") +
                          "), not \"" + PrintableName(*choices.zone) + "\"");
        }
        plan.zone = *parsed;
    }
    // The routes the points take, refused before any point is read.
    plan.sourceInto = plane ? plan.fitPlane : GeocentricOn(source->datum);
    plan.targetConverted = !plane || !plan.targetProjected;
    plan.targetInto =
        plane ? plan.fitPlane : GeocentricOn(target ? target->datum : plan.fitPlane.datum);
    for (const auto& [from, into, converted] :
         {std::tuple{source, &plan.sourceInto, true},
          std::tuple{target, &plan.targetInto, plan.targetConverted}}) {
        systems::Words refusal;
        if (converted && !systems::Route::Build(*from, *into, systems::Parameters::Gost2017,
                                                plan.zone, refusal)) {
            std::string why = refusal.english;
            if (!why.empty() && why.back() == '\n') why.pop_back();
            return ChoiceFault(why);
        }
    }
    return std::nullopt;
}

std::optional<FitFault> TargetZone(const System& target, const NamedPairs& pairs,
                                   const std::string& listName, int requested, int& zone) {
    zone = requested;
    const NamedPoint* first = nullptr;
    for (const auto& pair : pairs) {
        const int own = ZoneOf(target, pair.second.values[1], requested);
        if (own == 0) continue;  // UTM without a zone asked for: refused by its route
        if (zone == 0) {
            zone = own;
            first = &pair.second;
        } else if (own != zone) {
            return PointsFault(Where(listName, pair.second) + ": point \"" +
                               PrintableName(pair.second.name) + "\" lies in zone " +
                               std::to_string(own) + ", " +
                               (first ? "point \"" + PrintableName(first->name) + "\" in zone "
                                      : std::string("the fit is in zone ")) +
                               std::to_string(zone) + "; fit the points of one zone");
        }
    }
    return std::nullopt;
}

std::optional<FitFault> PrepareSides(const FitPlan& plan, const NamedPairs& pairs, AngleText angles,
                                     const Columns& columns, const ListNames& names,
                                     PreparedSides& sides, Language language) {
    const FitChoices& choices = plan.choices;
    sides = {};
    int sourceZone = plan.zone, targetZone = plan.zone;
    if (choices.planeModel && plan.projection == choices.target &&
        plan.fitPlane.zones != systems::Zones::None) {
        // The target's points are the plane's: their zone is the fit's.
        if (auto fault = TargetZone(*choices.target, pairs, names.target, plan.zone, targetZone))
            return fault;
        sourceZone = targetZone;
    }
    if (auto fault = ConvertSide(*choices.source, true, pairs, plan.sourceInto, angles, columns,
                                 names.source, language, sourceZone, sides.source, sides.warnings))
        return fault;
    if (choices.planeModel) targetZone = sourceZone;
    if (plan.targetConverted) {
        if (auto fault =
                ConvertSide(*choices.target, false, pairs, plan.targetInto, angles, columns,
                            names.target, language, targetZone, sides.target, sides.warnings))
            return fault;
    } else {
        for (const auto& pair : pairs)
            sides.target.push_back(pair.second.values);
    }
    sides.zone = sourceZone;
    return std::nullopt;
}

}  // namespace batch
