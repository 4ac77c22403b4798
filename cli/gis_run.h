// coordconv-cli with a GIS or CAD file: the command line's checks and the run through GDAL
// (the formats library), its messages and exit status.
#pragma once

#include <string>

#include "cli/options.h"

namespace cli {

// True when the run goes through GDAL: --format or --input-format given, or a FILE or -o whose
// extension is a GIS file's (a .csv stays a text file of points unless a format is named).
bool IsGisRun(const Options& options);

// Converts the one GIS FILE into -o; returns the exit status. A command line that does not fit
// a GIS run is a usage error, said with `usage` after it.
int RunGis(const Options& options, const std::string& usage);

}  // namespace cli
