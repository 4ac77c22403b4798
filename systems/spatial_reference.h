// The coordinate reference system a GIS file records for a system's coordinates: the code of
// EPSG's dataset where it holds the very system, else a PROJ string made from the catalogue.
// GIS programs read the code or the string to place the file; the conversion itself is always
// coordconv's own route, never one of theirs.
#pragma once

#include <string>

#include "systems/catalogue.h"

namespace systems {

struct CrsDefinition {
    // The horizontal (geodetic, projected) or geocentric CRS: an EPSG code, else a PROJ string
    // whose +towgs84 is the datum's way to WGS-84 through GOST 32453-2017's sets, as metadata.
    int epsg = 0;
    std::string proj;
    // A projected system with plane keys has no PROJ form: a local CRS of this name.
    std::string localName;
    // Normal heights: the model's vertical CRS, by code (EGM96 height, 5773) or else by name.
    int verticalEpsg = 0;
    std::string verticalName;

    // "EPSG:28407", "EPSG:4326+5773", the PROJ string, or "local CRS NAME" (for messages).
    std::string Text() const;
};

// The CRS of the system's coordinates in `zone` (a zoned system's zone as the engine counts
// it, UTM's southern zones negative; ignored for a system without zones).
CrsDefinition SpatialReference(const System& system, int zone);

}  // namespace systems
