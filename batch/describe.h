// What coordconv-cli --describe prints: the route from FROM to TO, each step with its
// parameters, their published source and stated accuracy, and what the arithmetic costs. The
// window's parameters join only the window's seven systems: for any other it says there is no
// route. With batch::ConversionOptions.language Russian, the same in Russian.
#pragma once

#include <string>

#include "batch/conversion_options.h"

namespace batch {

std::string DescribeRoute(const ConversionOptions& options);

}  // namespace batch
