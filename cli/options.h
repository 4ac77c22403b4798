// The command line of coordconv-cli.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/conversion_options.h"
#include "batch/point_line.h"
#include "systems/catalogue.h"

namespace cli {

using batch::Parameters;

// The conversion, and what only the command line asks: the files, the route's description.
struct Options : batch::ConversionOptions {
    bool describe = false;                    // print the route and stop
    bool projPipeline = false;                // print the route as a PROJ pipeline and stop
    bool detect = false;                      // print the options a file seems to need and stop
    std::vector<std::string> files;           // inputs in order; none, or "-": standard input
    std::string output;                       // "" for standard output
    std::vector<std::string> catalogueFiles;  // --systems, in order
    // GIS and CAD files through GDAL: the output's and the input's drivers, the layers.
    std::string format, inputFormat;
    std::vector<std::string> layers;
    // The options given that shape text alone (--precision, --skip ...), as written: a GIS
    // file refuses them.
    std::vector<std::string> textOptions;
    systems::Catalogue catalogue;  // the built-in systems, the user's and those of the files
};

enum class Command {
    Convert,
    List,  // --list: every system of the catalogue
    Help,
    Version,
    UsageError,
    CatalogueUnreadable,  // a catalogue file cannot be read (error says which)
    CatalogueFault,       // a catalogue file is faulty (error names file, line and key)
    GridUnreadable,       // a geoid model's grid file is missing or unreadable (error names it)
    GridMalformed,        // a geoid model's grid file is no grid, or an absurd one
};

// Reads the arguments after the program name. On a usage error, error says what is wrong.
Command ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& error);

std::string HelpText();
// Every system of the catalogue: its id, its name and where it was defined.
std::string ListText(const systems::Catalogue& catalogue);
std::string UsageText();

}  // namespace cli
