// Prints one fit of a point set of tests/data/fit.cases, to full precision, for
// numpy_oracle.py:  fit_report MODEL SET  →  "name value standard-error" lines, then "sigma0 σ".
#include <cstdio>

#include "fit_cases.h"

int main(int argc, char** argv) {
    const auto model = argc == 3 ? fit::ModelNamed(argv[1]) : std::nullopt;
    if (!model) {
        std::fprintf(stderr, "usage: fit_report MODEL SET\n");
        return 64;
    }
    std::string fault;
    const auto result = fit::Fit(fit_testing::PointSets().at(argv[2]), *model, 0, fault);
    if (!result) {
        std::fprintf(stderr, "%s\n", fault.c_str());
        return 65;
    }
    for (const fit::Parameter& parameter : result->parameters)
        std::printf("%s %.17g %.17g\n", parameter.name.c_str(), parameter.value,
                    parameter.standardError);
    std::printf("sigma0 %.17g 0\n", result->sigma0);
}
