// The command line of coordconv-cli.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "controller/catalogue.h"
#include "controller/number_text.h"
#include "controller/routes.h"

namespace cli {

struct Options {
    controller::CoordinateSystem from = controller::CoordinateSystem::Wgs84Xyz;
    controller::CoordinateSystem to = controller::CoordinateSystem::Wgs84Blh;
    controller::AngleForm angles = controller::AngleForm::Display;
    int zone = 0;
    int precision = controller::ResultDigits;
    bool keepGoing = false;
};

enum class Command { Convert, Help, Version, UsageError };

// Reads the arguments after the program name. On a usage error, error says what is wrong.
Command ParseCommandLine(int argc, const char* const* argv, Options& options, std::string& error);

// wgs84-xyz … sk42-xyh in any case, or a display string exactly as the dialog shows it.
std::optional<controller::CoordinateSystem> SystemFromName(std::string_view name);

// The short name of a system: "wgs84-xyz" … "sk42-xyh".
std::string_view ShortName(controller::CoordinateSystem system);

std::string HelpText();
std::string UsageText();

}  // namespace cli
