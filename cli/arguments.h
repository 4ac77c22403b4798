// Small readers of option values shared by coordconv-cli and coordconv-fit.
#pragma once

#include <optional>
#include <string_view>

#include "batch/conversion_options.h"

namespace cli {

// A whole decimal integer within [low, high].
bool ReadInteger(std::string_view text, int low, int high, int& value);

// "packed", "degrees" or "dms".
std::optional<batch::AngleText> ReadAngleText(std::string_view text);

}  // namespace cli
