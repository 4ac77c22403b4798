// Coordinate systems as data: one table of the built-in systems (the window's seven, the
// official ones of GOST 32453-2017, the 3° and UTM families) and the user's own systems from
// catalogue files, each a datum and a form. Lists, help texts and choices are made from it.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controller/catalogue.h"
#include "engine/records.h"
#include "engine/zones.h"
#include "systems/datum.h"
#include "systems/heights.h"

namespace systems {

// The zones of a projected system: none (one transverse Mercator), Gauss–Krüger in 6° or
// 3° zones (the zone number in the easting's millions), or UTM (zone and hemisphere apart).
enum class Zones { None, GaussKruger6, GaussKruger3, Utm };

// Plane "keys" from the projection's plane (x north, y east) to a local plane:
//   x′ = x₀ + a·x + b·y,   y′ = y₀ + c·x + d·y.
// A four-parameter similarity is a = d = s·cos θ, c = −b = s·sin θ with s = 1 + m: the
// rotation θ turns north towards east.
struct PlaneKeys {
    enum class Kind { Similarity, Affine };
    Kind kind = Kind::Similarity;
    double x0 = 0, y0 = 0;
    double a = 1, b = 0, c = 0, d = 1;
    // As the user wrote a similarity: rotation in ″, scale difference in ppm.
    double rotationSeconds = 0, scalePpm = 0;
};
PlaneKeys Similarity(double dx, double dy, double rotationSeconds, double scalePpm);
PlaneKeys Affine(const std::array<double, 6>& x0aby0cd);

// Where a system stands in lists of choices.
enum class Group { Window, Official, Zoned, User };

struct System {
    std::string id;           // "sk42-xyh": lower-case letters, digits and '-'
    std::string displayName;  // the window's own for its seven ("СК-42  (XYH)"), else names.russian
    Words names;  // "SK-42 plane x, y, H (six-degree zones)" / "СК-42 — плоские ..."
    Datum datum;
    controller::CoordinateForm form = controller::CoordinateForm::Geodetic;
    Zones zones = Zones::None;                           // of a projected system
    engine::ZoneScheme scheme;                           // of a system with zones
    engine::TransverseMercatorParameters projection;     // of a projected system without zones
    std::optional<PlaneKeys> keys;                       // of a projected system
    std::optional<controller::CoordinateSystem> window;  // one of the window's seven
    Group group = Group::User;
    std::string definedIn;  // empty for a built-in system, else "FILE:LINE"
    // The code of its CRS in EPSG's dataset, for a system without zones; 0: none there (the
    // zones' codes are in spatial_reference.cpp).
    int epsg = 0;
    // Normal heights through a geoid model ("SYSTEM+MODEL"); none: ellipsoidal heights.
    std::shared_ptr<const Heights> heights;
};

// True when both systems sit on the same datum (no datum shift between them).
inline bool SameDatum(const System& a, const System& b) {
    return a.datum.id == b.datum.id;
}

// The zones a system's points may be asked in: none for a system without zones, else the
// largest zone number (60 or 120).
int LargestZone(const System& system);
// A zone as the user writes it for this system ("13"; UTM "37N", "37S"; "0" lets the point
// choose): the zone as the engine counts it (UTM's southern zones negative), or none when the
// text names no zone of the system.
std::optional<int> ParseZone(const System& system, std::string_view text);
// The zone as users read it: "13", UTM's "37N" or "37S".
std::string ZoneText(const System& system, int zone);

// The built-in systems, in the order lists show them: the window's seven first, in its order.
std::span<const System> BuiltInSystems();

// The built-in systems and those the user's catalogue files add.
class Catalogue {
  public:
    Catalogue();  // the built-in datums and systems

    std::span<const Datum> datums() const { return datums_; }
    std::span<const System> systems() const { return systems_; }

    // A datum or a system by id, or a system by its display name exactly.
    const Datum* FindDatum(std::string_view id) const;
    // Ids in any case; display names exactly.
    const System* Find(std::string_view name) const;

    // Adds a datum whose link leads to a datum already here; its path to PZ-90.11 is that
    // datum's after its own set. False (and nothing added) when the id is taken or the link
    // leads nowhere.
    bool AddDatum(Datum datum);
    // Adds a system; false (and nothing added) when the id is taken.
    bool AddSystem(System system);

    // The geoid models, built-in and declared; one by id in any case.
    std::span<const GeoidModel> geoidModels() const { return geoidModels_; }
    const GeoidModel* FindGeoidModel(std::string_view id) const;
    // Adds a model; false (and nothing added) when the id is taken.
    bool AddGeoidModel(GeoidModel model);

  private:
    std::vector<Datum> datums_;
    std::vector<System> systems_;
    std::vector<GeoidModel> geoidModels_;
    // Ids in lower case and display names, to their places: a catalogue of thousands of
    // systems is read in linear time.
    std::unordered_map<std::string, std::size_t> datumIds_, systemIds_, systemNames_;
};

// The catalogue of the built-in systems alone.
const Catalogue& BuiltIn();

// A system found by a name that may carry a model ("sk42-xyh+egm96", "wgs84-blh+/data/g.gtx").
struct SystemLookup {
    enum class Fault {
        None,
        Unknown,         // no such system, or no such model
        NoHeights,       // geocentric coordinates carry no height to make normal
        GridUnreadable,  // the grid file is missing or cannot be read (exit 66)
        GridMalformed,   // the grid file is not a grid, or an absurd one (exit 65)
    };
    std::optional<System> system;
    Fault fault = Fault::None;
    std::string message;  // English, naming the model and its file
};

// The system `name` names in the catalogue: a plain one, or one with normal heights through
// a model of the catalogue or a grid file given by path (heights on the system's own datum).
// Each grid is read once per process and shared; a file changed on disk is read again.
SystemLookup FindSystem(const Catalogue& catalogue, std::string_view name);

}  // namespace systems
