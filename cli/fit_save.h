// --save: the fitted system (and datum) appended to a catalogue file, which is checked as the
// catalogue will read it and replaced whole, never left half written or losing what it held.
#pragma once

#include <string>

#include "cli/fit_options.h"

namespace cli {

// Whether ID (and with helmert7 the datum ID) may be saved into options.saveFile: taken ids
// are refused unless --replace, and --replace replaces only that file's. 0, or the exit
// status with error.
int CheckSaveId(const FitOptions& options, std::string& error);

// Appends the tables to options.saveFile (with --replace, first taking out that file's tables
// of ID), once the catalogue with the new file reads without a fault. 0, or the exit status
// with error.
int SaveTables(const FitOptions& options, const std::string& tables, std::string& error);

}  // namespace cli
