// What coordconv-cli --describe prints: the route from FROM to TO, each step with its
// parameters, their published source and stated accuracy, and what the arithmetic costs.
#pragma once

#include <string>

#include "cli/options.h"

namespace cli {

std::string DescribeRoute(const Options& options);

}  // namespace cli
