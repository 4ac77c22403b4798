// The command line of coordconv-cli.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/systems.h"
#include "controller/number_text.h"
#include "controller/routes.h"

namespace cli {

// GOST 32453-2017's sets through PZ-90.11 with exact arithmetic, or the window's own
// constants and chains.
enum class Parameters { Gost2017, Window };

struct Options {
    SystemId from = SystemId::Wgs84Xyz;
    SystemId to = SystemId::Wgs84Blh;
    Parameters parameters = Parameters::Gost2017;
    controller::AngleForm angles = controller::AngleForm::Display;
    int zone = 0;
    int precision = controller::ResultDigits;
    bool keepGoing = false;
    bool describe = false;         // print the route and stop
    bool dms = false;              // angles as D:M:S (travelling as decimal degrees inside)
    int skip = 0;                  // header lines copied unchanged at the top of each input
    std::array<int, 3> columns{};  // 1-based fields of the coordinates; zeros: the whole line
    unsigned jobs = 0;             // blocks converted at once; 0: one for each core
    int decimals = -1;  // digits after the point for every value; −1: significant digits
    std::vector<std::string> files;  // inputs in order; none, or "-": standard input
    std::string output;              // "" for standard output
};

enum class Command { Convert, Help, Version, UsageError };

// Reads the arguments after the program name. On a usage error, error says what is wrong.
Command ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& error);

std::string HelpText();
std::string UsageText();

}  // namespace cli
