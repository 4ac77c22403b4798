// What coordconv-fit prints: the fit as stable text for people and diff, or one JSON object.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fit/fit.h"

namespace cli {

struct FitReport {
    fit::Result fit;                     // the model asked for
    std::optional<fit::Result> heights;  // --heights: the height plane on the same points
    std::vector<std::string> about;      // "source: …" lines above the parameters
    std::vector<std::string> ignored;    // names in one list only
    std::vector<std::string> excluded;   // names left out by --exclude
    std::vector<std::string> warnings;
    bool toleranceGiven = false;  // --tolerance, not 3 sigma0
    std::string saved;            // "system ID in FILE" once saved
};

std::string FitText(const FitReport& report);
std::string FitJson(const FitReport& report);

}  // namespace cli
