// The command line of coordconv-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
};

enum class Command { Convert, Help, Version, UsageError };

// Reads the arguments after the program name. On a usage error, error says what is wrong.
Command ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& error);

std::string HelpText();
std::string UsageText();

}  // namespace cli
