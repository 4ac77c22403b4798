#include "batch/describe.h"

namespace batch {

std::string DescribeRoute(const ConversionOptions& options) {
    systems::Words refusal;
    const auto route =
        systems::Route::Build(options.from, options.to, options.parameters, options.zone, refusal);
    return route ? route->Describe(options.language) : refusal.In(options.language);
}

}  // namespace batch
