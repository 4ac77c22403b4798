// Normal heights through geoid models. A model is a grid of height anomalies ζ = h − H over
// the ellipsoid of one datum; a system with normal heights, "SYSTEM+MODEL" (as EPSG writes
// 4326+5773), reads and writes H where its plain form has h. EGM96 is built in, read from
// the grid Debian's proj-data installs; the user's catalogue declares others.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "systems/datum.h"
#include "systems/geoid_grid.h"
#include "systems/text.h"

namespace systems {

struct GeoidModel {
    std::string id;     // "egm96"; the path itself for a grid given by path
    Words name;         // "EGM96"
    std::string file;   // the grid file; for a built-in model its name, looked for in GridPlaces
    std::string datum;  // whose ellipsoidal heights ζ refers to; empty: the system's own
    Words accuracy;     // how far the model is from the state quasigeoid, as far as known
    std::string definedIn;  // empty for a built-in model, else "FILE:LINE"
    bool builtIn = false;
    int verticalEpsg = 0;  // the code of its heights' vertical CRS in EPSG's dataset; 0: none
};

// The built-in models: egm96.
std::span<const GeoidModel> BuiltInGeoidModels();

// Where a built-in model's grid is looked for, in order: each folder of $PROJ_DATA, then of
// $PROJ_LIB (PROJ's own variables), then /usr/share/proj.
std::vector<std::string> GridPlaces();

// A system's normal heights: its model, the datum the model refers to, and its grid, read.
struct Heights {
    GeoidModel model;
    Datum datum;
    std::shared_ptr<const GeoidGrid> grid;
    std::string file;    // the grid file read
    std::string format;  // "GTX", "GeoTIFF", "PGM", "ISG"
};

// Two systems' heights come from the same model (their normal heights are the same heights).
bool SameModel(const Heights* a, const Heights* b);

}  // namespace systems
