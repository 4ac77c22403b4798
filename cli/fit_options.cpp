#include "cli/fit_options.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <filesystem>
#include <string_view>

#include "cli/arguments.h"
#include "systems/catalogue_file.h"

namespace cli {

namespace {

// The options that take a value ("--zone 7" or "--zone=7").
constexpr std::string_view kValued[] = {"--model",     "--name-column", "--columns", "--skip",
                                        "--angles",    "--plane",       "--zone",    "--exclude",
                                        "--tolerance", "--save",        "--name",    "--systems"};

// A distance in metres: a whole finite decimal number above 0.
bool ReadMetres(std::string_view text, double& metres) {
    double read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(read) ||
        read <= 0) {
        return false;
    }
    metres = read;
    return true;
}

// "A,B" and "C" given twice as --exclude: A, B, C; a name given again counts once.
void AddNames(std::string_view list, std::vector<std::string>& names) {
    while (!list.empty()) {
        const std::size_t comma = std::min(list.find(','), list.size());
        const std::string_view name = list.substr(0, comma);
        if (comma > 0 && std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
        list.remove_prefix(std::min(comma + 1, list.size()));
    }
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

FitCommand ParseFitCommandLine(int argc, const char* const* argv, FitOptions& options,
                               std::string& error) {
    std::vector<std::string_view> positional;
    bool optionsEnded = false, modelGiven = false;
    const auto usage = [&](std::string text) {
        error = std::move(text);
        return FitCommand::UsageError;
    };
    for (int i = 0; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            positional.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") return FitCommand::Help;
        if (argument == "--version") return FitCommand::Version;
        if (argument == "--heights" || argument == "--json" || argument == "--replace") {
            (argument == "--heights" ? options.heights
             : argument == "--json"  ? options.json
                                     : options.replace) = true;
            continue;
        }
        std::string_view name = argument, value;
        bool hasValue = false;
        if (const auto equals = argument.find('='); equals != std::string_view::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            hasValue = true;
        }
        if (std::find(std::begin(kValued), std::end(kValued), name) == std::end(kValued)) {
            return usage("unknown option " + std::string(argument));
        }
        if (!hasValue) {
            if (i + 1 >= argc) return usage(std::string(name) + " needs a value");
            value = argv[++i];
        }
        if (name == "--model") {
            const auto model = fit::ModelNamed(value);
            if (!model || *model == fit::Model::HeightPlane) {
                return usage("--model takes similarity2d, affine2d or helmert7, not " +
                             Quoted(value) + " (heights: --heights)");
            }
            options.model = *model;
            modelGiven = true;
        } else if (name == "--name-column") {
            if (!ReadInteger(value, 1, INT_MAX - 3, options.nameColumn)) {
                return usage("--name-column takes a field number from 1, not " + Quoted(value));
            }
        } else if (name == "--columns") {
            if (!batch::ReadColumns(value, options.columns)) {
                return usage("--columns takes three different field numbers such as 2,3,4, not " +
                             Quoted(value));
            }
        } else if (name == "--skip") {
            if (!ReadInteger(value, 0, INT_MAX, options.skip)) {
                return usage("--skip takes a number of lines, not " + Quoted(value));
            }
        } else if (name == "--angles") {
            const auto angles = ReadAngleText(value);
            if (!angles) {
                return usage("--angles takes packed, degrees or dms, not " + Quoted(value));
            }
            options.angles = *angles;
        } else if (name == "--plane") {
            options.plane = value;
        } else if (name == "--zone") {
            options.zone = value;
        } else if (name == "--exclude") {
            if (value.find_first_not_of(", ") == std::string_view::npos) {
                error = "--exclude needs point names (NAME or NAME,NAME)";
                return FitCommand::UsageError;
            }
            AddNames(value, options.exclude);
        } else if (name == "--tolerance") {
            if (!ReadMetres(value, options.tolerance)) {
                return usage("--tolerance takes metres above 0, not " + Quoted(value));
            }
        } else if (name == "--save") {
            options.saveId = value;
        } else if (name == "--name") {
            options.saveName = value;
        } else if (name == "--systems") {
            options.catalogueFiles.emplace_back(value);
        }
    }
    if (!modelGiven) return usage("--model is missing (similarity2d, affine2d or helmert7)");
    if (positional.size() != 4) {
        return usage(
            "give SOURCE-SYSTEM SOURCE-FILE TARGET-SYSTEM TARGET-FILE, four arguments, not " +
            std::to_string(positional.size()));
    }
    options.source = {std::string(positional[0]), std::string(positional[1])};
    options.target = {std::string(positional[2]), std::string(positional[3])};
    if (options.source.file == "-" && options.target.file == "-") {
        return usage("only one of the two lists can be standard input (-)");
    }
    const int lastColumn =
        options.columns[0] != 0
            ? std::max({options.columns[0], options.columns[1], options.columns[2]})
            : 0;
    if (std::find(options.columns.begin(), options.columns.end(), options.nameColumn) !=
        options.columns.end()) {
        return usage("--name-column " + std::to_string(options.nameColumn) +
                     " is one of the --columns of the coordinates");
    }
    if (lastColumn == 0) {
        options.columns = {options.nameColumn + 1, options.nameColumn + 2, options.nameColumn + 3};
    }
    if (options.heights && options.model == fit::Model::Helmert7) {
        return usage("--heights goes with a plane model: helmert7 fits the heights itself");
    }
    if (options.saveId && options.saveName.empty()) {
        return usage("--save needs --name \"...\", the system's name in lists");
    }
    // What the catalogue would refuse of the id and the name is the command line's mistake.
    if (options.saveId) {
        const std::string_view id = *options.saveId;
        const bool lettersDigitsDashes = std::all_of(id.begin(), id.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
        });
        if (id.empty() || id.front() == '-' || !lettersDigitsDashes) {
            return usage(
                "--save takes an id of lower-case letters, digits and '-' (not first), "
                "such as msk-50-1");
        }
        const std::string_view name = options.saveName;
        if (name.find_first_not_of(' ') == std::string_view::npos ||
            std::any_of(name.begin(), name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
            return usage("--name takes a name without control characters, not blank");
        }
    }
    if (!options.saveId && (!options.saveName.empty() || options.replace)) {
        return usage(std::string(options.replace ? "--replace" : "--name") + " goes with --save");
    }
    // Saved into the last --systems FILE, else the user's own catalogue. A file that does not
    // exist yet holds nothing to load: --save makes it.
    std::vector<std::string> load = options.catalogueFiles;
    if (options.saveId) {
        options.saveFile =
            load.empty() ? systems::UserCatalogueFile() : options.catalogueFiles.back();
        if (options.saveFile.empty()) {
            return usage(
                "--save has no catalogue to write: neither XDG_CONFIG_HOME nor HOME "
                "is set; name one with --systems FILE");
        }
        std::error_code ignored;
        if (!load.empty() && !std::filesystem::exists(options.saveFile, ignored)) load.pop_back();
    }
    if (const auto fault = systems::LoadCatalogue(load, options.catalogue)) {
        error = fault->Text();
        return fault->unreadable ? FitCommand::CatalogueUnreadable : FitCommand::CatalogueFault;
    }
    return FitCommand::Fit;
}

std::string FitUsageText() {
    return "usage: coordconv-fit [options] --model similarity2d|affine2d|helmert7\n"
           "           SOURCE-SYSTEM SOURCE-FILE TARGET-SYSTEM TARGET-FILE\n"
           "Try 'coordconv-fit --help' for more.\n";
}

std::string FitHelpText() {
    return R"help(Usage: coordconv-fit [options] --model MODEL SOURCE-SYSTEM SOURCE-FILE TARGET-SYSTEM TARGET-FILE

Fits a transformation by least squares to points known in two systems (the "keys"
of a local system from state-network points, a seven-parameter set between two
datums), prints its parameters with their standard errors and every point's
residual, worst first, and can save it as a system of the user's catalogue.

Each FILE lists named points, one a line: the name in field 1, the three
coordinates in the next three fields (--name-column, --columns). A line holding a
semicolon is split at its semicolons, else one holding a tab at its tabs, else at
blanks and commas, so a name may hold blanks in the first two. Empty lines and
lines starting with # are skipped. The points are matched by name; a point in one
list only is listed as ignored; a name twice in one list is an error naming both
lines. "-" reads standard input (for one of the two).

Systems: any of the catalogue (coordconv-cli --list, the user's included), or
"plane": local plane coordinates x (north), y (east), H with no definition, as the
target of a plane model.

Models (--model):
  similarity2d  x' = dx + s cos(t) x - s sin(t) y, y' = dy + s sin(t) x + s cos(t) y
                (x north, y east; rotation t in arc-seconds turning north towards
                east, scale s = 1 + scale_ppm / 10^6): the four plane keys of an MSK
  affine2d      x' = x0 + a x + b y, y' = y0 + c x + d y: six parameters
  helmert7      geocentric X, Y, Z to X, Y, Z, coordinate-frame rotations in
                arc-seconds and scale in ppm as GOST 32453-2017 writes them
The plane models work on the plane coordinates of a projected system P: the source
itself when it is projected; else --plane SYSTEM, or the target when it is a
projected system of the catalogue. The source's points are converted into P (by
GOST 32453-2017's parameters), all in one zone of a zoned P (--zone, else the
first point's; the target's own when P is the target). The target's points are its
own plane coordinates (a geodetic or geocentric target is converted into P too).
helmert7 takes each side's points to geocentric coordinates on its own datum.

Options:
  --model MODEL        similarity2d, affine2d or helmert7 (required)
  --heights            with a plane model, also fit the heights: H' = H + h0 +
                       tilt_north (x - x mean) + tilt_east (y - y mean)
  --plane SYSTEM       the projected system whose plane a geodetic or geocentric
                       source is fitted in
  --zone N             the zone of a zoned P (37N for UTM)
  --exclude NAME[,NAME...]
                       leave these points out of the fit (repeatable); a name
                       that is no common point is an error
  --tolerance METRES   flag the points whose residual (planimetric, or the
                       height's) is beyond this (default: 3 sigma0)
  --name-column N      the field of the points' names (default 1)
  --columns I,J,K      the fields of the coordinates (default: the three after
                       the name)
  --skip N             skip the first N lines of each file (headers)
  --angles packed|degrees|dms
                       latitudes and longitudes as DDDMMSS.sss (default), decimal
                       degrees or 55:45:30.5
  --json               print the fit as one JSON object instead of text
  --save ID            save the fit as system ID (and with helmert7 datum ID) in the
                       last --systems FILE, else in ~/.config/coordconv/systems.toml
                       ($XDG_CONFIG_HOME/coordconv/systems.toml when that is set);
                       the file and its directory are made when missing, and what
                       it held is kept (the new file replaces it whole, or not at all)
  --name TEXT          the saved system's name in lists (required with --save)
  --replace            replace a system ID of that file (else an ID taken is refused)
  --systems FILE       read the user's systems of a catalogue file (repeatable)
  -h, --help           this text
  --version            the version

What is saved: a plane model gives a transverse Mercator on P's datum with P's
projection (a zone's own for a zoned P) and the keys (similarity2d: keys = { dx,
dy, rotation, scale_ppm }; affine2d: affine = [...]); the height plane is not
saved. helmert7 gives [datum.ID] on the target's ellipsoid whose seven parameters
(fitted from target to source, coordinate frame) lead to the source's datum, and
[system.ID] on it in the target's form. coordconv-cli SOURCE-SYSTEM ID then
converts the source's points to the target's within their residuals.

Output: the parameters with their standard errors; the points, degrees of
freedom, sigma0 (the standard deviation of unit weight), the condition number and
the tolerance; each point's residual (target - fitted: dx north, dy east, dh
height; helmert7 north, east and up), its planimetric size and its leave-one-out
residual (where it lands when the others alone fit: a wrong point stands out
there), points beyond the tolerance flagged; the ignored and excluded names. JSON:
{"model", "parameters": {NAME: {"value", "standard_error", "unit"}}, "sigma0",
"point_count", "degrees_of_freedom", "condition_number", "tolerance", "points":
[{"name", "residuals": [dx, dy, dh], "leave_one_out": [dx, dy, dh], "flagged"}],
"ignored", "excluded", "warnings"}, metres; a value not computed is null.

Exit status: 0 done, 64 bad command line, 65 bad input (a bad line, a name twice,
too few points, points on a line, mixed zones), 66 a file cannot be opened, 73 the
catalogue cannot be written, 74 output failed, 78 a catalogue file is faulty.
)help";
}

}  // namespace cli
