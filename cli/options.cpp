#include "cli/options.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

#include "batch/output_form.h"
#include "cli/arguments.h"
#include "systems/catalogue_file.h"
#include "systems/route.h"

namespace cli {

namespace {

// The separator's names a shell user may type: the character itself (quoted), a word, or
// '\t' as printf spells a tab.
std::optional<batch::Separator> ReadSeparator(std::string_view text) {
    using batch::Separator;
    if (text == ";" || text == "semicolon") return Separator::Semicolon;
    if (text == "," || text == "comma") return Separator::Comma;
    if (text == "\t" || text == "tab" || text == "\\t") return Separator::Tab;
    if (text == " " || text == "blank" || text == "space") return Separator::Blank;
    if (text == "auto") return Separator::Auto;
    return std::nullopt;
}

// The encodings' names: as iconv spells them, and as Windows does.
std::optional<batch::Encoding> ReadEncoding(std::string_view text) {
    if (text == "utf-8" || text == "utf8" || text == "UTF-8") return batch::Encoding::Utf8;
    if (text == "windows-1251" || text == "cp1251" || text == "WINDOWS-1251") {
        return batch::Encoding::Windows1251;
    }
    return std::nullopt;
}

// Each job holds two blocks of a few megabytes.
constexpr int kMostJobs = 256;

}  // namespace

Command ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& error) {
    std::string_view names[2];  // FROM and TO as given
    int systemCount = 0;
    // --decimals N means N for metres and the same ground distance for angles; the other two
    // set one kind each and win over it, whatever their order.
    std::pair<std::string_view, int> decimals[] = {
        {"--decimals", -1}, {"--decimals-metres", -1}, {"--decimals-angles", -1}};
    auto& [both, metres, angles] = decimals;
    bool optionsEnded = false;
    std::optional<batch::Encoding> outputEncoding;  // the input's unless told
    std::optional<std::string_view> zoneText;       // read once the systems are known
    bool list = false;
    for (int i = 0; i < argc; ++i) {
        std::string_view argument = argv[i];
        if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            if (argument == "--") {
                optionsEnded = true;
                continue;
            }
            if (argument == "--help" || argument == "-h") return Command::Help;
            if (argument == "-o") argument = "--output";
            if (argument == "-j") argument = "--jobs";
            if (argument == "--version") return Command::Version;
            if (argument == "--list") {
                list = true;
                continue;
            }
            if (argument == "--describe") {
                options.describe = true;
                continue;
            }
            if (argument == "--proj-pipeline") {
                options.projPipeline = true;
                continue;
            }
            if (argument == "--detect") {
                options.textOptions.emplace_back(argument);
                options.detect = true;
                continue;
            }
            if (argument == "--keep-going" || argument == "-k") {
                options.keepGoing = true;
                continue;
            }
            if (argument == "--decimal-comma") {
                options.textOptions.emplace_back(argument);
                options.decimalComma = true;
                continue;
            }
            if (argument == "--bom") {
                options.textOptions.emplace_back(argument);
                options.bom = true;
                continue;
            }
            // Options with a value: "--zone 7" or "--zone=7".
            std::string_view name = argument;
            std::string_view value;
            bool hasValue = false;
            if (const auto equals = argument.find('='); equals != std::string_view::npos) {
                name = argument.substr(0, equals);
                value = argument.substr(equals + 1);
                hasValue = true;
            }
            if (name != "--zone" && name != "--angles" && name != "--precision" &&
                name != "--parameters" && name != "--output" && name != "--skip" &&
                name != "--decimals" && name != "--columns" && name != "--jobs" &&
                name != "--separator" && name != "--angles-out" && name != "--decimals-metres" &&
                name != "--decimals-angles" && name != "--encoding" &&
                name != "--output-encoding" && name != "--systems" && name != "--format" &&
                name != "--input-format" && name != "--layer") {
                error = "unknown option " + std::string(argument);
                return Command::UsageError;
            }
            if (!hasValue) {
                if (i + 1 >= argc) {
                    error = std::string(name) + " needs a value";
                    return Command::UsageError;
                }
                value = argv[++i];
            }
            if (name == "--zone") zoneText = value;
            // What shapes text alone; decimal degrees are what GIS files hold anyway.
            if ((name == "--angles" && value != "degrees") || name == "--angles-out" ||
                name == "--precision" || name == "--decimals" || name == "--decimals-metres" ||
                name == "--decimals-angles" || name == "--skip" || name == "--separator" ||
                name == "--encoding" || name == "--output-encoding" || name == "--jobs") {
                options.textOptions.emplace_back(name);
            }
            if (name == "--systems") options.catalogueFiles.emplace_back(value);
            if (name == "--layer") options.layers.emplace_back(value);
            if ((name == "--format" || name == "--input-format") && value.empty()) {
                error = std::string(name) + " needs a GDAL driver's name, such as GPKG";
                return Command::UsageError;
            }
            if (name == "--format") options.format = value;
            if (name == "--input-format") options.inputFormat = value;
            if (name == "--precision" && !ReadInteger(value, 1, 17, options.precision)) {
                error = "--precision takes 1 to 17 digits, not \"" + std::string(value) + "\"";
                return Command::UsageError;
            }
            if (name == "--skip" && !ReadInteger(value, 0, INT_MAX, options.skip)) {
                error = "--skip takes a number of lines, not \"" + std::string(value) + "\"";
                return Command::UsageError;
            }
            for (auto& [option, digits] : decimals) {
                if (name == option && !ReadInteger(value, 0, 12, digits)) {
                    error = std::string(option) + " takes 0 to 12 digits, not \"" +
                            std::string(value) + "\"";
                    return Command::UsageError;
                }
            }
            if (name == "--jobs") {
                int jobs = 0;
                if (!ReadInteger(value, 1, kMostJobs, jobs)) {
                    error = "--jobs takes 1 to " + std::to_string(kMostJobs) +
                            " blocks at once, not \"" + std::string(value) + "\"";
                    return Command::UsageError;
                }
                options.jobs = static_cast<unsigned>(jobs);
            }
            if (name == "--columns" && !batch::ReadColumns(value, options.columns)) {
                error = "--columns takes three different field numbers such as 2,3,4, not \"" +
                        std::string(value) + "\"";
                return Command::UsageError;
            }
            if (name == "--separator") {
                const auto separator = ReadSeparator(value);
                if (!separator) {
                    error =
                        "--separator takes semicolon, comma, tab, blank or auto (or ';' ',' "
                        "' '), not \"" +
                        std::string(value) + "\"";
                    return Command::UsageError;
                }
                options.separator = *separator;
            }
            if (name == "--encoding" || name == "--output-encoding") {
                const auto encoding = ReadEncoding(value);
                if (!encoding) {
                    error = std::string(name) + " takes utf-8 or windows-1251, not \"" +
                            std::string(value) + "\"";
                    return Command::UsageError;
                }
                if (name == "--encoding") {
                    options.encoding = *encoding;
                } else {
                    outputEncoding = *encoding;
                }
            }
            if (name == "--output" && value.empty()) {
                error = "--output needs a file name (standard output is the default)";
                return Command::UsageError;
            }
            if (name == "--output") options.output = value;
            if (name == "--parameters") {
                if (value == "gost2017") {
                    options.parameters = Parameters::Gost2017;
                } else if (value == "window") {
                    options.parameters = Parameters::Window;
                } else {
                    error =
                        "--parameters takes gost2017 or window, not \"" + std::string(value) + "\"";
                    return Command::UsageError;
                }
            }
            if (name == "--angles" || name == "--angles-out") {
                const auto form = ReadAngleText(value);
                if (!form) {
                    error = std::string(name) + " takes packed, degrees or dms, not \"" +
                            std::string(value) + "\"";
                    return Command::UsageError;
                }
                if (name == "--angles-out") {
                    options.anglesOut = *form;
                } else {
                    options.angles = *form == batch::AngleText::Packed
                                         ? controller::AngleForm::Display
                                         : controller::AngleForm::Degrees;
                    options.dms = *form == batch::AngleText::Dms;
                }
            }
            continue;
        }
        if (systemCount == 2) {
            options.files.emplace_back(argument);
            continue;
        }
        names[systemCount++] = argument;
    }
    options.outputEncoding = outputEncoding.value_or(options.encoding);
    if (options.bom && options.outputEncoding != batch::Encoding::Utf8) {
        error = "--bom marks UTF-8 output; Windows-1251 has no byte-order mark";
        return Command::UsageError;
    }
    if (options.decimalComma && options.separator == batch::Separator::Comma) {
        error = "--decimal-comma reads fields apart by semicolons, tabs or blanks, not commas";
        return Command::UsageError;
    }
    // The whole catalogue or nothing: a run never starts on half of it.
    if (const auto fault = systems::LoadCatalogue(options.catalogueFiles, options.catalogue)) {
        error = fault->Text();
        return fault->unreadable ? Command::CatalogueUnreadable : Command::CatalogueFault;
    }
    if (list) return Command::List;
    if (systemCount < 2) {
        error = systemCount == 0 ? "FROM and TO are missing" : "TO is missing";
        return Command::UsageError;
    }
    // Each name a system of the catalogue, perhaps with a geoid model's normal heights, whose
    // grid is read here, before any output.
    std::array<systems::SystemLookup, 2> found;
    for (int i = 0; i < 2; ++i) {
        found[i] = systems::FindSystem(options.catalogue, names[i]);
        using Fault = systems::SystemLookup::Fault;
        switch (found[i].fault) {
            case Fault::None:
                continue;
            case Fault::Unknown:
            case Fault::NoHeights:
                error = found[i].message;
                return Command::UsageError;
            case Fault::GridUnreadable:
                error = found[i].message;
                return Command::GridUnreadable;
            case Fault::GridMalformed:
                error = found[i].message;
                return Command::GridMalformed;
        }
    }
    const systems::System* from = &*found[0].system;
    const systems::System* to = &*found[1].system;
    if (options.parameters == Parameters::Window && (!from->window || !to->window)) {
        error = "the window's parameters know only its seven systems, not \"" +
                std::string(from->window ? names[1] : names[0]) + "\"";
        return Command::UsageError;
    }
    if (zoneText) {
        // The zone names one system's: "13" of 3° zones, "37N" of UTM. Between systems without
        // zones it means nothing, and a six-degree zone is taken as the window takes it.
        const systems::System* zoned = systems::ZoneNamedBy(*from, *to);
        const auto zone =
            systems::ParseZone(zoned ? *zoned : *systems::BuiltIn().Find("sk42-xyh"), *zoneText);
        if (!zone) {
            error = zoned == nullptr || zoned->zones == systems::Zones::GaussKruger6
                        ? "--zone takes a zone from 0 to 60, not \"" + std::string(*zoneText) + "\""
                    : zoned->zones == systems::Zones::Utm
                        ? "--zone takes a UTM zone from 1 to 60 with N or S (37N), or 0, not \"" +
                              std::string(*zoneText) + "\""
                        : "--zone takes a zone from 0 to " +
                              std::to_string(systems::LargestZone(*zoned)) + " for " + zoned->id +
                              ", not \"" + std::string(*zoneText) + "\"";
            return Command::UsageError;
        }
        options.zone = zoned ? *zone : 0;
    }
    // --detect converts nothing: it needs no route.
    if (systems::Words refusal;
        !options.detect &&
        !systems::Route::Build(*from, *to, options.parameters, options.zone, refusal)) {
        error = refusal.english;
        if (!error.empty() && error.back() == '\n') error.pop_back();
        return Command::UsageError;
    }
    if (options.detect && options.files.size() > 1) {
        error = "--detect looks at one FILE at a time";
        return Command::UsageError;
    }
    options.from = *from;
    options.to = *to;
    options.decimals = metres.second >= 0 ? metres.second : both.second;
    options.angleDecimals = angles.second >= 0 ? angles.second
                            : both.second >= 0 ? batch::SameGroundAngleDecimals(
                                                     both.second, batch::WrittenAngles(options))
                                               : -1;
    return Command::Convert;
}

namespace {

// The ids of the built-in systems, a group a line (or more, within 80 columns), each line
// begun by `indent`.
std::string SystemIds(std::string_view indent) {
    std::string text, line;
    std::optional<systems::Group> group;
    for (const systems::System& system : systems::BuiltInSystems()) {
        if ((group && *group != system.group) ||
            indent.size() + line.size() + system.id.size() > 78) {
            text += std::string(indent) + line + "\n";
            line.clear();
        }
        group = system.group;
        line += (line.empty() ? "" : " ") + system.id;
    }
    return text + std::string(indent) + line + "\n";
}

}  // namespace

std::string ListText(const systems::Catalogue& catalogue) {
    // Columns aligned by characters, not bytes: the names are Cyrillic.
    const auto width = [](std::string_view text) {
        return std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
    };
    std::size_t idWidth = 2, nameWidth = 4;
    for (const systems::System& system : catalogue.systems()) {
        idWidth = std::max<std::size_t>(idWidth, width(system.id));
        nameWidth = std::max<std::size_t>(nameWidth, width(system.displayName));
    }
    const auto row = [&](std::string_view id, std::string_view name, std::string_view english,
                         std::string_view where) {
        return std::string(id) + std::string(idWidth + 2 - width(id), ' ') + std::string(name) +
               std::string(nameWidth + 2 - width(name), ' ') + std::string(english) + "  (" +
               std::string(where) + ")\n";
    };
    std::string text;
    for (const systems::System& system : catalogue.systems()) {
        std::string where = system.definedIn;
        if (where.empty()) {
            switch (system.group) {
                case systems::Group::Window:
                    where = "built in, the window's";
                    break;
                case systems::Group::Official:
                    where = "built in, GOST 32453-2017";
                    break;
                case systems::Group::Zoned:
                case systems::Group::User:
                    where = "built in";
                    break;
            }
        }
        text += row(system.id, system.displayName, system.names.english, where);
    }
    // The geoid models, for normal heights: "SYSTEM+ID".
    for (const systems::GeoidModel& model : catalogue.geoidModels()) {
        text +=
            row("+" + model.id, model.name.russian, "geoid model (normal heights)",
                model.builtIn ? "built in, " + model.file + " of PROJ's data" : model.definedIn);
    }
    return text;
}

std::string UsageText() {
    std::string systems = SystemIds("         ");
    systems.replace(0, 9, "systems: ");
    return "usage: coordconv-cli [options] FROM TO [FILE...] > results\n"
           "       coordconv-cli [options] FROM TO GIS-FILE -o GIS-FILE\n" +
           systems +
           "         and the user's (--list)\n"
           "Try 'coordconv-cli --help' for more.\n";
}

std::string HelpText() {
    const std::string_view text = R"help(Usage: coordconv-cli [options] FROM TO [FILE...] > results
       coordconv-cli [options] FROM TO GIS-FILE -o GIS-FILE   (GPX, KML, Shapefile ...)

Recomputes points between the datums WGS-84, PZ-90, PZ-90.11, GSK-2011, SK-95 and
SK-42, one point a line: by default with the parameters of GOST 32453-2017 and exact
arithmetic, or with the coordconv window's own constants and digits.

Systems (FROM, TO), in any case, or the window's names exactly ("ПЗ-90  (XYZ)"):
@SYSTEMS@  xyz  geocentric X, Y, Z in metres
  blh  latitude, longitude, height in metres
  xyh  Gauss-Krüger northing x, easting y (zone number in its millions), height
       in six-degree zones
  gk3  the same in three-degree zones 1 to 120 (central meridian 3n degrees;
       false easting n * 1 000 000 + 500 000 m, for GSK-2011 + 250 000 m as EPSG)
  utm  UTM northing x, easting y of WGS-84 (k = 0.9996, 10 000 000 m north of
       the equator in the south) and height; the zone, as 37N or 37S, is written
       after the height; eastings carry none, so a UTM FROM needs --zone
  and the user's own, from ~/.config/coordconv/systems.toml and --systems FILE:
  transverse Mercator systems (such as an MSK), with plane keys or datums of
  their own (--list shows every system and where it was defined)
  SYSTEM+MODEL  the system with normal heights through a geoid model instead of
       ellipsoidal ones: wgs84-blh+egm96, sk42-xyh+egm96 (as EPSG's 4326+5773).
       egm96 is built in (the grid of Debian's proj-data; over Russia it is
       decimetres to a metre from the state quasigeoid); [geoid.ID] tables of the
       catalogue declare others, or MODEL is a grid file's path (GTX, GeoTIFF,
       GeographicLib's PGM, ISG) on the system's own datum. A point outside the
       grid, or in a hole of it, is an error for its line, never a height left as
       it was; a grid file that is missing exits 66, one that is no grid 65. Only
       with GOST 32453-2017's parameters: the window's know no models

Input: the FILEs in order, or standard input (no FILE, or "-"); a line may be
up to 65536 bytes long (a longer one is an error, comments too).
Three numbers a line, separated by blanks, tabs, commas or semicolons, with
the point as decimal separator (or a comma: --decimal-comma). Without --columns,
a line apart by semicolons or tabs (--decimal-comma, --separator) or with a quoted
coordinate is written as it stands, its coordinates replaced; others as three
values joined by the --separator (one blank for auto). Empty lines and lines
whose first non-blank character is # are copied to the output unchanged, so the
lines stay aligned.
From a pipe or a terminal, the results of the lines that have come are written
as soon as no more input is ready (tail -f points | coordconv-cli ...).
What no point can be is an error for its line: packed angles with 60 minutes or
seconds, latitudes beyond 90 degrees (the window's 270 to 360 for southern ones
excepted), longitudes beyond 360 degrees either way, heights that put the point
within 1 km of the centre of the Earth or beyond (at or below -(b - 1 km)), an
easting whose millions name no zone from 1 to 60 (or not the --zone asked for),
a northing beyond the pole, and a latitude the window's formulas put beyond it.
A warning is said for a plane point more than 1 degree beyond its zone's edge,
for a point within 100 km of the centre of the Earth (its latitude is not
reliable there), and for a latitude the window's formulas put a little beyond
the pole. Packed latitudes and
longitudes come out in [0, 360) as the window writes them (30 S is 330 degrees);
in decimal degrees they are signed: latitudes in [-90, 90], longitudes in
(-180, 180].

GIS and CAD files, through GDAL: one FILE whose extension is a GIS format's
(.gpx .kml .kmz .geojson .json .shp .gpkg .dxf .xlsx .ods .fgb .gml .tab .mif
.sqlite), or any FILE with --format or --input-format, is written into -o (its
extension or --format names the format): every layer with its fields and
styles, every vertex of every geometry converted (x east and y north as GIS
files hold them; Z where the geometry has it, else height 0 and written 2D;
M kept), and TO's CRS recorded (an EPSG code such as 28407 or 4326+5773, else a
PROJ string). A .csv stays a text file of points unless --format CSV or
--input-format CSV is given. A table without geometry (CSV, XLSX) has its
point in fields named x, lon or easting; y, lat or northing; z, h or height
(--columns I,J,K numbers them in FROM's order instead), converted in place. A
zoned TO takes --zone, else the first point's zone for the whole file; KML and
GPX hold WGS-84 alone. A bad vertex stops the run naming the layer, the feature
(FID) and the vertex; -k leaves its feature out and goes on. Nothing is written
unless the run succeeds. Options that shape text (--angles but degrees,
--precision, --decimals, --skip, --separator, --encoding, --bom, --jobs ...)
are refused with a GIS file.

Options:
  --parameters gost2017|window
                           GOST 32453-2017: every datum through PZ-90.11 by its
                           published seven parameters, exact conversions (default);
                           or the window's: its constants and chains, its digits
  --angles packed|degrees|dms
                           angles as DDDMMSS.sss, like the window (default), as
                           decimal degrees, or as 55:45:30.5 (also 55°45'30.5",
                           55d45'30.5", a sign or N S E W / С Ю В З before or after;
                           written 55:45:30.50000); read and written alike unless
  --angles-out packed|degrees|dms
                           says how the angles of the results are written
  --zone N                 the zone, 0 to 60 (3-degree zones: 0 to 120; UTM: 37N,
                           37S); default 0: the zone of the longitude, or the
                           millions of the easting; a zone the point cannot be
                           projected into is an error. It names TO's zone when TO
                           has zones, else FROM's (and always a UTM FROM's)
  --precision N            significant digits of the results, 1 to 17 (default 12)
  --decimals N             N digits after the point instead, 0 to 12: N for metres,
                           and for angles the digits that step as far on the
                           ground (1" is about 30.9 m on the meridian, 1 degree
                           111 km): seconds of packed and D:M:S angles N + 1, decimal
                           degrees N + 5 (at most 12); --decimals 3 writes 1 mm,
                           0.0001" (3 mm) and 0.00000001 degree (1.1 mm)
  --decimals-metres N      digits after the point of metres alone, 0 to 12
  --decimals-angles N      digits after the point of angles alone (of the seconds
                           of packed and D:M:S angles), 0 to 12; these two win
                           over --decimals
  --skip N                 copy the first N lines of each input (headers); a header
                           with as many fields as the first point line, split the
                           same way, has the names of TO's coordinates in place of
                           theirs (X Y Z, B L H, x y H and a new "зона" after them;
                           a quoted name's inside its quotes), the rest unchanged
  --columns I,J,K          the fields (from 1) that hold the three coordinates; the
                           other fields are copied with their separators, a zone goes
                           in a new field after the third coordinate
  --separator S            what separates fields: semicolon, comma, tab or blank
                           (also ';' ',' ' ' '\t'; default auto: with --columns a
                           line holding a semicolon is split at its semicolons
                           alone, else one holding a tab at its tabs alone, else
                           at blanks and commas); blanks around a field are not
                           part of it, blanks inside a text field are copied.
                           Without --columns the results are joined by it (a blank
                           for auto), except in lines kept as they stand (above);
                           with --columns each line keeps its own. A field that
                           starts with a double quote ends at its closing quote
                           (RFC 4180): separators and blanks inside are its own,
                           "" is one quote; a quoted coordinate is read and
                           written inside its quotes
  --decimal-comma          a comma between digits is the decimal separator (a point
                           still is one), as Russian Excel saves CSV: lines are
                           split by the rule of --columns, and one split at blanks
                           and commas cannot hold a decimal comma. The results are
                           written with a comma too, at any --decimals, where the
                           coordinates stood
  --encoding utf-8|windows-1251
                           the input's encoding (default utf-8); hemisphere letters,
                           degree signs and quoted fields are read in it, messages
                           are UTF-8 whatever it is
  --output-encoding utf-8|windows-1251
                           the output's (default: the input's); text passing
                           through is recoded, and a character Windows-1251 lacks
                           is an error of its line
  --bom                    begin the output with a UTF-8 byte-order mark, so that
                           Excel opens a UTF-8 CSV right (never two: an input's own
                           is left out; text passing through must then be
                           UTF-8); not with Windows-1251 output
  -j, --jobs N             convert N blocks of lines at once (default: one for each
                           core); the output is the same whatever N
  -o, --output FILE        write to FILE when the run succeeds (with -k, bad lines
                           marked), else leave it as it was. FILE keeps its mode
                           and owner, a symbolic link its file; a FILE with other
                           hard links is replaced under this name only (the others
                           keep the old contents); a file of another user is
                           refused (the new one would be yours; use > instead); a
                           device, a pipe or /dev/stdout is written in place; "-"
                           is standard output
  --format NAME            the output's GDAL driver (GPKG, "ESRI Shapefile",
                           LIBKML, GPX, GeoJSON, DXF, CSV, XLSX ...; by default
                           -o's extension's); makes the run a GIS one
  --input-format NAME      the input's GDAL driver where its name does not say it
                           (CSV for a .csv through GDAL)
  --layer NAME             convert this layer of a GIS file alone (again for more);
                           by default every layer, a GPX file's waypoints, routes
                           and tracks (its route_points and track_points repeat
                           their vertices)
  --systems FILE           read the user's systems of a catalogue file (TOML; after
                           ~/.config/coordconv/systems.toml, in the order given;
                           the format is in the README and the man page); a file
                           with a fault stops the run (exit status 78)
  --list                   print every system: its id, its name and where it was
                           defined, and stop
  --describe               print the route from FROM to TO (its steps, the published
                           parameters and their stated accuracy) and stop
  --proj-pipeline          print the same route as a PROJ pipeline and stop, for
                           cct and ogr2ogr -ct: it takes and gives longitude,
                           latitude (degrees), height; easting, northing, height;
                           or X, Y, Z; the sets as coordinate-frame helmert steps,
                           each set undone as its exact inverse (an affine step).
                           Zoned systems need --zone. A route PROJ cannot run
                           exactly (the window's parameters, a geoid grid PROJ
                           does not read or on another datum) is refused, saying
                           why (exit status 69), never approximated
  --detect                 look at the beginning of FILE (the first 64 KiB or 200
                           lines) and print the options it seems to need, such as
                           --separator semicolon --skip 1 --columns 2,3,4 --angles
                           degrees, and on standard error why each was chosen: the
                           encoding (UTF-8, else Windows-1251), the separator that
                           splits most lines alike, the header lines, the decimal
                           comma, the first three numbers in a row that can be a
                           point, and for -blh the angle form (D:M:S by its marks;
                           degrees where DDDMMSS would give 60 minutes or seconds or
                           a fraction below 10000; DDDMMSS where degrees cannot be,
                           or as a guess when both can); for -xyh the eastings'
                           zones. Reads nothing else and converts nothing
  -k, --keep-going         write a bad line as it stood followed by
                           " # error: what is wrong", and go on: its point's name
                           stays, the lines stay aligned; a line longer than 64 KiB
                           is written "# error: line N: longer than ...". Both are
                           in the output's encoding; a byte of the line that is no
                           text there is written \xHH, a character <U+XXXX>
  -h, --help               this text
  --version                the version

With --parameters window a pair the window offers runs its one conversion and
prints what the window shows; any other pair of its seven runs the shortest chain
of them at full precision. The window's WGS-84 <-> SK-42 differs from GOST
32453-2017 by 1.3 to 5.1 m over Russia, RMS 3.4 m (at Moscow 1.58 m north,
3.53 m east): its WGS-84 <-> PZ-90 set matches no published one.
Metres below 0.0001 are written as 0, angles below 1e-10 degrees (0.01 mm); the
window's parameters write values below 0.0001 (in degrees: below 0.0001") as 0,
and a pair the window offers also reads them so, as the window does. With TO a
plane (-xyh) system a fourth column gives the zone used.

Exit status: 0 done, 64 bad command line, 65 bad input line (or vertex), 66 an
input file (or a catalogue file) cannot be opened, 73 the output file cannot be
created (read-only, or its directory not writable; GDAL refuses the format, a
layer or a feature), 74 input or output failed (also: an input file became
shorter during the run), 78 a catalogue file is faulty.
)help";
    const std::size_t at = text.find("@SYSTEMS@");
    return std::string(text.substr(0, at)) + SystemIds("  ") + std::string(text.substr(at + 9));
}

}  // namespace cli
