#include "systems/heights.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

#include "systems/catalogue.h"

namespace systems {

namespace {

// EGM96 (Lemoine et al. 1998, NASA/TP-1998-206861) on its 15′ grid as PROJ distributes it:
// geoid undulations over WGS-84, taken here as height anomalies. The figures of its
// interpolation are GeographicLib's (GeoidEval(1), "egm96-15", bilinear).
const GeoidModel kEgm96{
    "egm96",
    {"EGM96", "EGM96"},
    "egm96_15.gtx",
    "wgs84",
    {"a global model: over Russia decimetres to a metre from the state quasigeoid; its "
     "geoid undulations taken as height anomalies (centimetres apart on plains, decimetres "
     "in mountains); bilinear interpolation on the 15' grid adds 4 cm RMS, 1.15 m at most",
     "глобальная модель: на территории России отличается от государственной модели "
     "квазигеоида на дециметры и до метра; её высоты геоида приняты за аномалии высоты "
     "(на равнинах разница — сантиметры, в горах — дециметры); билинейная интерполяция по "
     "сетке 15' добавляет 4 см (СКО), до 1,15 м"},
    "",
    true,
    5773};  // "EGM96 height" (projinfo EPSG:5773)

// The names PROJ has given the EGM96 grid: proj-data's older GTX and its GeoTIFF.
constexpr std::string_view kEgm96Files[] = {"egm96_15.gtx", "us_nga_egm96_15.tif"};

// Grids read in this process, by path, with the file's size and time when read: a file
// changed on disk since is read again.
struct ReadGrid {
    GridFile grid;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
};
std::mutex gridsMutex;
std::map<std::string, ReadGrid> grids;

GridFile GridOf(const std::string& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    const auto time = std::filesystem::last_write_time(path, error);
    const std::lock_guard lock(gridsMutex);
    if (!error) {
        const auto found = grids.find(path);
        if (found != grids.end() && found->second.size == size && found->second.time == time)
            return found->second.grid;
    }
    GridFile read = ReadGeoidGrid(path);
    if (read.fault == GridFault::None && !error) grids[path] = {read, size, time};
    return read;
}

// The first of a built-in model's files found in GridPlaces(), or empty.
std::string Locate(const GeoidModel& model) {
    std::vector<std::string_view> names{model.file};
    if (model.id == kEgm96.id) names.assign(std::begin(kEgm96Files), std::end(kEgm96Files));
    for (const std::string& place : GridPlaces()) {
        for (const std::string_view name : names) {
            const std::filesystem::path path = std::filesystem::path(place) / name;
            std::error_code error;
            if (std::filesystem::is_regular_file(path, error)) return path.string();
        }
    }
    return {};
}

// A model named after '+' is a path when it holds a '/' or ends as a grid file does.
bool IsPath(std::string_view name) {
    if (name.find('/') != std::string_view::npos) return true;
    const std::string lower = Lower(name);
    for (const std::string_view end : {".gtx", ".tif", ".tiff", ".pgm", ".isg", ".gri"}) {
        if (lower.size() > end.size() && lower.ends_with(end)) return true;
    }
    return false;
}

// Control characters as \xHH.
std::string Printable(std::string_view text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        out += escaped;
    }
    return out;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

std::span<const GeoidModel> BuiltInGeoidModels() {
    static const GeoidModel kModels[] = {kEgm96};
    return kModels;
}

std::vector<std::string> GridPlaces() {
    std::vector<std::string> places;
    for (const char* variable : {"PROJ_DATA", "PROJ_LIB"}) {
        const char* value = std::getenv(variable);
        for (std::string_view rest = value ? value : ""; !rest.empty();) {
            const std::size_t colon = rest.find(':');
            if (colon != 0) places.emplace_back(rest.substr(0, colon));
            rest = colon == std::string_view::npos ? "" : rest.substr(colon + 1);
        }
    }
    places.emplace_back("/usr/share/proj");
    return places;
}

bool SameModel(const Heights* a, const Heights* b) {
    return a != nullptr && b != nullptr && a->file == b->file && a->datum.id == b->datum.id;
}

SystemLookup FindSystem(const Catalogue& catalogue, std::string_view name) {
    using Fault = SystemLookup::Fault;
    SystemLookup lookup;
    if (const System* plain = catalogue.Find(name)) {
        lookup.system = *plain;
        return lookup;
    }
    // The model follows the first '+': ids hold none, and a path may hold more.
    const std::size_t plus = name.find('+');
    const System* base =
        plus == std::string_view::npos ? nullptr : catalogue.Find(name.substr(0, plus));
    if (base == nullptr) {
        lookup.fault = Fault::Unknown;
        lookup.message = "unknown system " +
                         Quoted(plus == std::string_view::npos ? name : name.substr(0, plus));
        return lookup;
    }
    const std::string_view modelName = name.substr(plus + 1);
    GeoidModel model;
    if (const GeoidModel* declared = catalogue.FindGeoidModel(modelName)) {
        model = *declared;
    } else if (IsPath(modelName)) {
        model.id = std::string(modelName);
        model.name = {model.id, model.id};
        model.file = model.id;
        model.accuracy = {"its accuracy as its maker states it (a grid given by path)",
                          "точность — как заявляет её автор (сетка указана путём)"};
    } else {
        lookup.fault = Fault::Unknown;
        std::string known;
        for (const GeoidModel& each : catalogue.geoidModels())
            known += (known.empty() ? "" : ", ") + each.id;
        lookup.message = "unknown geoid model " + Quoted(modelName) + " (known: " + known +
                         "; or a grid file's path)";
        return lookup;
    }
    if (base->form == controller::CoordinateForm::Geocentric) {
        lookup.fault = Fault::NoHeights;
        lookup.message = base->id + " is geocentric X, Y, Z: it has no height to make normal";
        return lookup;
    }
    if (base->heights) {
        lookup.fault = Fault::Unknown;
        lookup.message = base->id + " already has normal heights";
        return lookup;
    }

    auto heights = std::make_shared<Heights>();
    const Datum* datum = model.datum.empty() ? &base->datum : catalogue.FindDatum(model.datum);
    if (datum == nullptr) {  // the catalogue reader refuses such a model
        lookup.fault = Fault::Unknown;
        lookup.message = "geoid model " + model.id + ": unknown datum " + Quoted(model.datum);
        return lookup;
    }
    heights->datum = *datum;
    heights->file = model.builtIn ? Locate(model) : model.file;
    if (heights->file.empty()) {
        lookup.fault = Fault::GridUnreadable;
        std::string places;
        for (const std::string& place : GridPlaces())
            places += (places.empty() ? "" : ", ") + place;
        lookup.message = "geoid model " + model.id + ": its grid (egm96_15.gtx or " +
                         "us_nga_egm96_15.tif) is in none of " + places +
                         " (Debian's proj-data installs it; PROJ_DATA names other folders)";
        return lookup;
    }
    const GridFile grid = GridOf(heights->file);
    switch (grid.fault) {
        case GridFault::None:
            break;
        case GridFault::Unreadable:
        case GridFault::Malformed:
            lookup.fault =
                grid.fault == GridFault::Unreadable ? Fault::GridUnreadable : Fault::GridMalformed;
            // A grid by path is named once; a hostile file's bytes never reach the terminal.
            lookup.message = (model.definedIn.empty() && !model.builtIn
                                  ? "geoid grid " + heights->file
                                  : "geoid model " + model.id + ": " + heights->file) +
                             ": " + Printable(grid.reason);
            return lookup;
    }
    heights->grid = grid.grid;
    heights->format = grid.format;
    heights->model = std::move(model);

    System system = *base;
    system.window.reset();  // the window knows no heights but ellipsoidal ones
    system.id = base->id + "+" + heights->model.id;
    system.displayName = base->displayName + " + " + heights->model.name.russian;
    system.names.english += ", normal heights through " + heights->model.name.english;
    system.names.russian += ", нормальные высоты по " + heights->model.name.russian;
    system.heights = std::move(heights);
    lookup.system = std::move(system);
    return lookup;
}

}  // namespace systems
