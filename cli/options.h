// The command line of coordconv-cli.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "batch/conversion_options.h"
#include "batch/point_line.h"

namespace cli {

using batch::Parameters;

// The conversion, and what only the command line asks: the files, the route's description.
struct Options : batch::ConversionOptions {
    bool describe = false;           // print the route and stop
    bool detect = false;             // print the options a file seems to need and stop
    std::vector<std::string> files;  // inputs in order; none, or "-": standard input
    std::string output;              // "" for standard output
};

enum class Command { Convert, Help, Version, UsageError };

// Reads the arguments after the program name. On a usage error, error says what is wrong.
Command ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& error);

std::string HelpText();
std::string UsageText();

}  // namespace cli
