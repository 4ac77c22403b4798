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

#include "batch/catalogue_save.h"
#include "batch/fit_sides.h"
#include "batch/named_points.h"
#include "cli/fit_options.h"
#include "cli/fit_output.h"
#include "cli/report.h"
#include "fit/saved_system.h"

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
    std::vector<batch::NamedPoint> points;
};

bool IsLocalPlane(std::string_view name) {
    return name.size() == 5 && std::equal(name.begin(), name.end(), "plane",
                                          [](char a, char b) { return (a | 0x20) == b; });
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

std::string ListName(const Side& side) {
    return side.given->file == "-" ? std::string("standard input")
                                   : cli::Printable(side.given->file);
}

// A shared step's refusal as coordconv-fit ends with it.
Stop Stopped(const batch::FitFault& fault) {
    using Kind = batch::FitFault::Kind;
    return {fault.kind == Kind::Choice ? cli::ExitUsage : cli::ExitBadInput, fault.message};
}

int ExitOf(batch::SaveFault fault) {
    switch (fault) {
        case batch::SaveFault::None:
            return cli::ExitOk;
        case batch::SaveFault::TakenId:
            return cli::ExitUsage;
        case batch::SaveFault::Unreadable:
            return cli::ExitNoInput;
        case batch::SaveFault::CatalogueFault:
            return cli::ExitBadInput;
        case batch::SaveFault::CantCreate:
            return cli::ExitCantCreate;
        case batch::SaveFault::CantWrite:
            return cli::ExitIoError;
    }
    return cli::ExitIoError;
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
    batch::FitChoices choices;
    choices.source = source.system;
    choices.target = target.system;
    choices.planeModel = plane;
    choices.plane = options.plane;
    choices.zone = options.zone;
    batch::FitPlan plan;
    if (const auto fault = batch::PlanFit(options.catalogue, choices, plan)) return Stopped(*fault);
    const System& fitPlane = plan.fitPlane;
    const batch::CatalogueSave save{.id = options.saveId.value_or(""),
                                    .name = options.saveName,
                                    .datum = !plane,
                                    .replace = options.replace,
                                    .file = options.saveFile,
                                    .catalogueFiles = options.catalogueFiles,
                                    .catalogue = &options.catalogue};
    if (options.saveId) {
        if (plane && !plan.targetProjected) {
            return {cli::ExitUsage, "--save keeps plane coordinates, and the target " +
                                        target.system->id +
                                        " has none: fit to a projected target or plane"};
        }
        std::string error;
        if (const int status = ExitOf(batch::CheckSaveId(save, error))) return {status, error};
    }

    // The lists, matched by name.
    for (Side* side : {&source, &target}) {
        std::string text;
        Stop stop;
        ReadList(side->given->file, text, stop);
        if (stop.status != cli::ExitOk) return stop;
        batch::ListRules rules;
        rules.line.columns = options.columns;
        rules.line.dms = options.angles == batch::AngleText::Dms && side->system &&
                         side->system->form == CoordinateForm::Geodetic;
        rules.nameColumn = options.nameColumn;
        rules.skip = options.skip;
        std::string error;
        if (!batch::ReadNamedPoints(text, side->given->file == "-" ? "" : side->given->file, rules,
                                    side->points, error)) {
            return {cli::ExitBadInput, error};
        }
    }
    batch::Matched matched = batch::MatchByName(source.points, target.points);
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
    batch::PreparedSides sides;
    if (const auto fault = batch::PrepareSides(plan, matched.pairs, options.angles, options.columns,
                                               {ListName(source), ListName(target)}, sides))
        return Stopped(*fault);
    report.warnings = sides.warnings;
    std::vector<fit::CommonPoint> common;
    for (std::size_t i = 0; i < matched.pairs.size(); ++i)
        common.push_back({matched.pairs[i].first.name, sides.source[i], sides.target[i]});

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
                 ? ", zone " + systems::ZoneText(fitPlane, sides.zone)
                 : std::string()) +
            (source.system->id == fitPlane.id ? "" : ", the source's points converted into it"));
    } else {
        report.about.push_back("geocentric X, Y, Z on the datums " + source.system->datum.id +
                               " and " + target.system->datum.id);
    }

    if (options.saveId) {
        fit::SavedSystem saved{.id = *options.saveId,
                               .name = options.saveName,
                               .source = source.system,
                               .target = target.system,
                               .fitPlane = &fitPlane,
                               .zone = sides.zone};
        if (!plane && target.system->zones != systems::Zones::None) {
            if (const auto fault = batch::TargetZone(*target.system, matched.pairs,
                                                     ListName(target), plan.zone, saved.zone)) {
                return {cli::ExitBadInput, fault->message + " (--save keeps one zone)"};
            }
        }
        const auto tables = fit::SavedTables(saved, *fitted, common, options.tolerance, fault);
        if (!tables) return {cli::ExitBadInput, fault};
        std::string error;
        if (const int status = ExitOf(batch::SaveTables(save, *tables, error)))
            return {status, error};
        report.saved = "system " + *options.saveId +
                       (plane ? "" : " and datum " + *options.saveId) + " in " +
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
