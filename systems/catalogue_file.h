// The user's catalogue files: TOML tables of datums ([datum.ID]) and systems ([system.ID]),
// each system a datum (built-in or the file's own) and a form (geodetic, geocentric, or a
// transverse Mercator with optional plane keys), or a PROJ string pasted from a GIS. A file
// is taken whole or not at all: its first fault is reported with the file, line and key.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "systems/catalogue.h"

namespace systems {

// What is wrong with a catalogue file, at the line of the key it names.
struct CatalogueFault {
    std::string file;
    int line = 0;             // 0 for the file as a whole
    std::string key;          // "system.msk-1.tmerc.k"; empty for a TOML syntax error
    std::string message;      // English: "k must be above 0", "unknown key"
    bool unreadable = false;  // the file could not be opened or read (exit 66, not 78)

    // "FILE:LINE: key: message" (the parts that are known).
    std::string Text() const;
};

// Reads a catalogue's text (file names the file in faults and in the systems' definedIn)
// and adds its datums and systems to `catalogue`: all of them, or none and the first fault.
// The format is described at the top of catalogue_file.cpp.
std::optional<CatalogueFault> ReadCatalogueText(std::string_view text, const std::string& file,
                                                Catalogue& catalogue);
// The same from a file.
std::optional<CatalogueFault> ReadCatalogueFile(const std::string& file, Catalogue& catalogue);

// The user's own catalogue: $XDG_CONFIG_HOME/coordconv/systems.toml, else
// $HOME/.config/coordconv/systems.toml; empty when neither variable is set.
std::string UserCatalogueFile();

// The built-in catalogue with the user's file (when it exists) and then `files` in order,
// or the first fault (and `catalogue` unchanged).
std::optional<CatalogueFault> LoadCatalogue(std::span<const std::string> files,
                                            Catalogue& catalogue);

// A user's transverse Mercator system as a [system.ID] table that ReadCatalogueText reads
// back to the same system: name, datum (by id), tmerc parameters, keys when present, each
// number to the last bit. Its datum must be known where it is read, as any user datum (a
// PROJ string's +towgs84 datum is "ID/datum", which only its own file defines). Geodetic
// and geocentric systems are written with their form; zoned systems are not for this.
std::string SystemToml(const System& system);

}  // namespace systems
