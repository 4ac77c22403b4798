// The command line of coordconv-fit: two lists of named points, their systems, the model,
// and what to do with the fit (print it as text or JSON, save it as a system).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "batch/conversion_options.h"
#include "fit/fit.h"
#include "systems/catalogue.h"

namespace cli {

// One list of points: its system as named, and its file ("-": standard input).
struct FitSide {
    std::string system;
    std::string file;
};

struct FitOptions {
    fit::Model model = fit::Model::Similarity2d;
    FitSide source, target;
    int nameColumn = 1;        // the field of the point's name, from 1
    batch::Columns columns{};  // of the coordinates; zeros: the three after the name
    int skip = 0;              // header lines at the top of each file
    batch::AngleText angles = batch::AngleText::Packed;
    std::optional<std::string> plane;  // --plane: the projection a geodetic source is fitted in
    std::optional<std::string> zone;   // --zone as written
    bool heights = false;              // also fit a height plane (plane models)
    std::vector<std::string> exclude;  // names left out of the fit
    double tolerance = 0;              // metres; 0: three times sigma0
    bool json = false;
    std::optional<std::string> saveId;  // --save ID
    std::string saveName;               // --name
    bool replace = false;
    std::vector<std::string> catalogueFiles;  // --systems, in order
    std::string saveFile;                     // where --save writes (FitSaveFile)
    systems::Catalogue catalogue;
};

enum class FitCommand { Fit, Help, Version, UsageError, CatalogueUnreadable, CatalogueFault };

// Reads the arguments after the program name and loads the catalogue. On an error, error says
// what is wrong.
FitCommand ParseFitCommandLine(int argc, const char* const* argv, FitOptions& options,
                               std::string& error);

std::string FitHelpText();
std::string FitUsageText();

}  // namespace cli
