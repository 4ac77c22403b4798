// coordconv-fit: a transformation fitted by least squares to points known in two systems,
// its residuals point by point, and the fit saved as a system of the user's catalogue.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "batch/point_converter.h"
#include "batch/stream.h"
#include "cli/fit_input.h"
#include "cli/fit_options.h"
#include "cli/fit_output.h"
#include "cli/fit_save.h"
#include "cli/report.h"
#include "systems/catalogue_file.h"
#include "systems/route.h"

#ifndef COORDCONV_VERSION
#define COORDCONV_VERSION "unknown"
#endif

namespace {

using controller::CoordinateForm;
using systems::System;

// A run's end: its exit status, and what the message says (none for success).
struct Stop {
    int status = cli::ExitOk;
    std::string message;
};

void Complain(const std::string& text) {
    std::fprintf(stderr, "coordconv-fit: %s\n", text.c_str());
}

// One list as the fit sees it: its system, and how its points become coordinates of the fit.
struct Side {
    const cli::FitSide* given = nullptr;
    const System* system = nullptr;  // none for "plane"
    std::vector<cli::NamedPoint> points;
};

bool IsLocalPlane(std::string_view name) {
    return name.size() == 5 && std::equal(name.begin(), name.end(), "plane",
                                          [](char a, char b) { return (a | 0x20) == b; });
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

std::string ReadList(const std::string& file, std::string& text, Stop& stop) {
    const bool standardInput = file == "-";
    const int input = standardInput ? STDIN_FILENO : open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat about {};
    if (input < 0 || fstat(input, &about) != 0 || S_ISDIR(about.st_mode)) {
        stop = {cli::ExitNoInput, cli::Printable(file) + ": cannot open: " +
                                      std::strerror(input < 0 ? errno : EISDIR)};
        if (input >= 0 && !standardInput) close(input);
        return "";
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(input, buffer, sizeof buffer);
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            stop = {cli::ExitIoError, cli::Printable(file) + ": cannot read: " + strerror(errno)};
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    if (!standardInput) close(input);
    return text;
}

// The zone a zoned system's plane point is in: the easting's millions, or the one asked for.
int ZoneOf(const System& system, double easting, int requested) {
    const auto zone = engine::ZoneOfEasting(system.scheme, easting, requested);
    return zone ? static_cast<int>(*zone) : 0;
}

std::string Where(const Side& side, const cli::NamedPoint& point) {
    return (side.given->file == "-" ? std::string("standard input")
                                    : cli::Printable(side.given->file)) +
           ": line " + std::to_string(point.line);
}

// The points of a side taken into `into` (plane coordinates of a zone, or geocentric), in the
// order of `pairs`. zone: the zone asked for (0: the first point's); all points must land in
// one, which it becomes.
Stop ConvertSide(const cli::FitOptions& options, const Side& side, bool sourceSide,
                 const std::vector<std::pair<cli::NamedPoint, cli::NamedPoint>>& pairs,
                 const System& into, int& zone, std::vector<std::array<double, 3>>& values,
                 std::vector<std::string>& warnings) {
    batch::ConversionOptions conversion;
    conversion.from = *side.system;
    conversion.to = into;
    conversion.angles = options.angles == batch::AngleText::Packed ? controller::AngleForm::Display
                                                                   : controller::AngleForm::Degrees;
    conversion.dms = options.angles == batch::AngleText::Dms;
    conversion.columns = options.columns;
    conversion.zone = zone;
    const batch::PointConverter converter(conversion);
    const bool zoned = into.form == CoordinateForm::Plane && into.zones != systems::Zones::None;
    const cli::NamedPoint* first = nullptr;
    for (const auto& pair : pairs) {
        const cli::NamedPoint& point = sourceSide ? pair.first : pair.second;
        std::array<double, 3> converted = point.values;
        const char* warning = nullptr;
        std::string error = converter.Check(converted, warning);
        int pointZone = zone;
        if (error.empty()) converter.Convert(converted, pointZone, error, warning);
        if (!error.empty()) return {cli::ExitBadInput, Where(side, point) + ": " + error};
        if (warning != nullptr) warnings.push_back(Where(side, point) + ": " + warning);
        if (zoned && zone != 0 && pointZone != zone) {
            return {cli::ExitBadInput,
                    Where(side, point) + ": point \"" + cli::Printable(point.name) +
                        "\" lies in zone " + systems::ZoneText(into, pointZone) + " of " + into.id +
                        ", " +
                        (first ? "point \"" + cli::Printable(first->name) + "\" in zone "
                               : std::string("the fit is in zone ")) +
                        systems::ZoneText(into, zone) + "; fit the points of one zone, or " +
                        "all in one with --zone"};
        }
        if (zoned && zone == 0) {
            zone = pointZone;
            first = &point;
        }
        values.push_back(converted);
    }
    return {};
}

// The target's own plane coordinates: a zoned system's all in one zone.
Stop CheckTargetZone(const Side& side,
                     const std::vector<std::pair<cli::NamedPoint, cli::NamedPoint>>& pairs,
                     int requested, int& zone) {
    zone = requested;
    const cli::NamedPoint* first = nullptr;
    for (const auto& pair : pairs) {
        const int own = ZoneOf(*side.system, pair.second.values[1], requested);
        if (own == 0) continue;  // UTM without --zone: refused by its route
        if (zone == 0) {
            zone = own;
            first = &pair.second;
        } else if (own != zone) {
            return {cli::ExitBadInput,
                    Where(side, pair.second) + ": point \"" + cli::Printable(pair.second.name) +
                        "\" lies in zone " + std::to_string(own) + ", " +
                        (first ? "point \"" + cli::Printable(first->name) + "\" in zone "
                               : std::string("the fit is in zone ")) +
                        std::to_string(zone) + "; fit the points of one zone"};
        }
    }
    return {};
}

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

std::string Listed(const Side& side) {
    return (side.system ? side.system->id : std::string("plane")) + " (" +
           (side.given->file == "-" ? std::string("standard input")
                                    : cli::Printable(side.given->file)) +
           ", " + std::to_string(side.points.size()) + " points)";
}

Stop Run(cli::FitOptions& options, std::string& output) {
    const bool plane = options.model != fit::Model::Helmert7;
    Side source, target;
    source.given = &options.source;
    target.given = &options.target;
    for (Side* side : {&source, &target}) {
        if (IsLocalPlane(side->given->system) && side == &target) continue;
        side->system = options.catalogue.Find(side->given->system);
        if (side->system == nullptr) {
            return {cli::ExitUsage,
                    IsLocalPlane(side->given->system)
                        ? std::string("plane, local coordinates without a definition, can only "
                                      "be the target")
                        : "unknown system \"" + cli::Printable(side->given->system) + "\""};
        }
    }
    if (!plane && target.system == nullptr) {
        return {cli::ExitUsage,
                "helmert7 needs geocentric coordinates on a datum: plane has none; fit a plane "
                "model (similarity2d, affine2d) to it"};
    }
    const bool targetProjected =
        target.system == nullptr || target.system->form == CoordinateForm::Plane;

    // The plane of the fit: the source's own, --plane, or the target's.
    const System* projection = nullptr;
    if (plane) {
        if (options.plane && source.system->form == CoordinateForm::Plane) {
            return {cli::ExitUsage, "--plane is for a geodetic or geocentric source; " +
                                        source.system->id + " is fitted in its own plane"};
        }
        projection = source.system->form == CoordinateForm::Plane ? source.system
                     : options.plane                    ? options.catalogue.Find(*options.plane)
                     : target.system && targetProjected ? target.system
                                                        : nullptr;
        if (options.plane && projection == nullptr) {
            return {cli::ExitUsage, "unknown system \"" + cli::Printable(*options.plane) + "\""};
        }
        if (projection == nullptr) {
            return {cli::ExitUsage,
                    "a plane model fits plane coordinates: give --plane SYSTEM, the projected "
                    "system whose plane the points of " +
                        source.system->id + " are taken into"};
        }
        if (projection->form != CoordinateForm::Plane) {
            return {cli::ExitUsage, "--plane " + projection->id + " is not a projected system"};
        }
    }
    const System fitPlane = plane ? ProjectionPlane(*projection) : System{};
    // The system a zone given names: the plane of the fit's, else helmert7's zoned side's.
    const System* zoned = plane                                          ? &fitPlane
                          : source.system->zones != systems::Zones::None ? source.system
                                                                         : target.system;
    int zone = 0;
    if (options.zone) {
        const auto parsed = systems::ParseZone(*zoned, *options.zone);
        if (!parsed || zoned->zones == systems::Zones::None) {
            return {cli::ExitUsage,
                    zoned->zones == systems::Zones::None
                        ? "--zone: " + zoned->id + " has no zones"
                        : "--zone takes a zone of " + zoned->id + " (1 to " +
                              std::to_string(systems::LargestZone(*zoned)) +
                              (zoned->zones == systems::Zones::Utm ? " with N or S" : "") +
                              "), not \"" + cli::Printable(*options.zone) + "\""};
        }
        zone = *parsed;
    }
    // The routes the points take, refused before any file is read.
    const System sourceInto = plane ? fitPlane : GeocentricOn(source.system->datum);
    const bool targetConverted = !plane || !targetProjected;
    const System targetInto =
        plane ? fitPlane : GeocentricOn(target.system ? target.system->datum : fitPlane.datum);
    for (const auto& [from, into, converted] :
         {std::tuple{source.system, &sourceInto, true},
          std::tuple{target.system, &targetInto, targetConverted}}) {
        systems::Words refusal;
        if (converted &&
            !systems::Route::Build(*from, *into, systems::Parameters::Gost2017, zone, refusal)) {
            std::string why = refusal.english;
            if (!why.empty() && why.back() == '\n') why.pop_back();
            return {cli::ExitUsage, why};
        }
    }
    if (options.saveId) {
        if (plane && !targetProjected) {
            return {cli::ExitUsage, "--save keeps plane coordinates, and the target " +
                                        target.system->id +
                                        " has none: fit to a projected target or plane"};
        }
        std::string error;
        if (const int status = cli::CheckSaveId(options, error)) return {status, error};
    }

    // The lists, matched by name.
    for (Side* side : {&source, &target}) {
        std::string text;
        Stop stop;
        ReadList(side->given->file, text, stop);
        if (stop.status != cli::ExitOk) return stop;
        cli::ListRules rules;
        rules.line.columns = options.columns;
        rules.line.dms = options.angles == batch::AngleText::Dms && side->system &&
                         side->system->form == CoordinateForm::Geodetic;
        rules.nameColumn = options.nameColumn;
        rules.skip = options.skip;
        std::string error;
        if (!cli::ReadNamedPoints(text, side->given->file == "-" ? "" : side->given->file, rules,
                                  side->points, error)) {
            return {cli::ExitBadInput, error};
        }
    }
    cli::Matched matched = cli::MatchByName(source.points, target.points);
    cli::FitReport report;
    report.ignored = matched.ignored;
    for (const std::string& name : options.exclude) {
        const auto found = std::find_if(matched.pairs.begin(), matched.pairs.end(),
                                        [&](const auto& pair) { return pair.first.name == name; });
        if (found == matched.pairs.end()) {
            return {cli::ExitUsage,
                    "--exclude " + cli::Printable(name) + ": no point of both lists is named so"};
        }
        report.excluded.push_back(name);
        matched.pairs.erase(found);
    }

    // Both sides in the coordinates of the fit.
    std::vector<std::array<double, 3>> from, to;
    int sourceZone = zone, targetZone = zone;
    if (plane && projection == target.system && fitPlane.zones != systems::Zones::None) {
        // The target's points are the plane's: their zone is the fit's.
        if (Stop stop = CheckTargetZone(target, matched.pairs, zone, targetZone);
            stop.status != cli::ExitOk)
            return stop;
        sourceZone = targetZone;
    }
    if (Stop stop = ConvertSide(options, source, true, matched.pairs, sourceInto, sourceZone, from,
                                report.warnings);
        stop.status != cli::ExitOk)
        return stop;
    if (plane) targetZone = sourceZone;
    if (targetConverted) {
        if (Stop stop = ConvertSide(options, target, false, matched.pairs, targetInto, targetZone,
                                    to, report.warnings);
            stop.status != cli::ExitOk)
            return stop;
    } else {
        for (const auto& pair : matched.pairs)
            to.push_back(pair.second.values);
    }
    std::vector<fit::CommonPoint> common;
    for (std::size_t i = 0; i < matched.pairs.size(); ++i)
        common.push_back({matched.pairs[i].first.name, from[i], to[i]});

    std::string fault;
    const auto fitted = fit::Fit(common, options.model, options.tolerance, fault);
    if (!fitted) return {cli::ExitBadInput, fault};
    report.fit = *fitted;
    report.toleranceGiven = options.tolerance > 0;
    if (options.heights) {
        const auto heights = fit::Fit(common, fit::Model::HeightPlane, options.tolerance, fault);
        if (!heights) return {cli::ExitBadInput, "heights: " + fault};
        report.heights = *heights;
    }
    report.about.push_back("source " + Listed(source));
    report.about.push_back("target " + Listed(target));
    if (plane) {
        report.about.push_back(
            "plane of the fit " + fitPlane.id +
            (fitPlane.zones != systems::Zones::None
                 ? ", zone " + systems::ZoneText(fitPlane, sourceZone)
                 : std::string()) +
            (source.system->id == fitPlane.id ? "" : ", the source's points converted into it"));
    } else {
        report.about.push_back("geocentric X, Y, Z on the datums " + source.system->datum.id +
                               " and " + target.system->datum.id);
    }

    if (options.saveId) {
        const std::string& id = *options.saveId;
        const std::string about = "coordconv-fit " + std::string(fit::ModelName(options.model)) +
                                  " from " + source.system->id + " to " +
                                  (target.system ? target.system->id : "plane") + ", " +
                                  std::to_string(fitted->pointCount) + " points, sigma0 " +
                                  Shortest(fitted->sigma0) + " m";
        System saved;
        saved.id = id;
        saved.displayName = options.saveName;
        saved.names = {options.saveName, options.saveName};
        std::string tables = "# " + about + "\n";
        if (plane) {
            saved.datum = fitPlane.datum;
            saved.form = CoordinateForm::Plane;
            saved.projection = fitPlane.zones != systems::Zones::None
                                   ? engine::ZoneParameters(fitPlane.scheme, sourceZone)
                                   : fitPlane.projection;
            saved.keys = fitted->keys;
        } else {
            // The set leads from the new datum to the source's: the fit the other way round.
            std::vector<fit::CommonPoint> reversed = common;
            for (fit::CommonPoint& point : reversed)
                std::swap(point.source, point.target);
            const auto back = fit::Fit(reversed, fit::Model::Helmert7, options.tolerance, fault);
            if (!back || !back->shift) return {cli::ExitBadInput, fault};
            saved.datum = target.system->datum;
            saved.datum.id = id;
            tables +=
                DatumToml(id, target.system->datum, source.system->datum, *back->shift, about);
            saved.form = target.system->form;
            saved.keys = target.system->keys;
            saved.projection = target.system->projection;
            if (target.system->zones != systems::Zones::None) {
                if (Stop stop = CheckTargetZone(target, matched.pairs, zone, targetZone);
                    stop.status != cli::ExitOk) {
                    return {stop.status, stop.message + " (--save keeps one zone)"};
                }
                saved.projection = engine::ZoneParameters(target.system->scheme, targetZone);
            }
        }
        tables += systems::SystemToml(saved);
        std::string error;
        if (const int status = cli::SaveTables(options, tables, error)) return {status, error};
        report.saved = "system " + id + (plane ? "" : " and datum " + id) + " in " +
                       cli::Printable(options.saveFile);
    }
    output = options.json ? cli::FitJson(report) : cli::FitText(report);
    return {};
}

// A text on standard output, which may fail like any output (a full disk, a closed pipe).
int Print(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return cli::ExitOk;
    Complain(std::string("cannot write to standard output: ") + std::strerror(errno));
    return cli::ExitIoError;
}

}  // namespace

int main(int argc, char** argv) {
    cli::FitOptions options;
    std::string error;
    switch (cli::ParseFitCommandLine(argc - 1, argv + 1, options, error)) {
        case cli::FitCommand::Help:
            return Print(cli::FitHelpText());
        case cli::FitCommand::Version:
            return Print("coordconv-fit " COORDCONV_VERSION "\n");
        case cli::FitCommand::UsageError:
            std::fprintf(stderr, "coordconv-fit: %s\n%s", error.c_str(),
                         cli::FitUsageText().c_str());
            return cli::ExitUsage;
        case cli::FitCommand::CatalogueUnreadable:
            Complain(error);
            return cli::ExitNoInput;
        case cli::FitCommand::CatalogueFault:
            Complain(error);
            return cli::ExitConfig;
        case cli::FitCommand::Fit:
            break;
    }
    std::string output;
    const Stop stop = Run(options, output);
    if (stop.status == cli::ExitUsage) {
        std::fprintf(stderr, "coordconv-fit: %s\n%s", stop.message.c_str(),
                     cli::FitUsageText().c_str());
        return stop.status;
    }
    if (stop.status != cli::ExitOk) {
        Complain(stop.message);
        return stop.status;
    }
    return Print(output);
}
