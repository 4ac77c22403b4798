#include "systems/catalogue.h"

#include <algorithm>
#include <cmath>

namespace systems {

namespace {

using controller::CoordinateForm;
using controller::CoordinateSystem;

// One row of the built-in table; the datum by id, the names made from it and the form.
struct Row {
    std::string_view id;
    std::string_view datum;
    CoordinateForm form;
    Zones zones;
    Group group;
    std::string_view displayName;  // the window's own for its seven, and one like them
    int epsg = 0;  // the CRS of a system without zones in EPSG's dataset; 0: none there
    const engine::ZoneScheme* scheme = nullptr;  // of a system with zones
};

using enum CoordinateForm;
// The EPSG codes are those of EPSG's dataset as PROJ 9.1.1 holds it (`projinfo EPSG:n`): WGS 84
// 4978 and 4326, PZ-90 4922 and 4740, Pulkovo 1942 4284, PZ-90.11 7679 and 9475, GSK-2011 7681
// and 7683, Pulkovo 1995 4200; SK-42 and SK-95 have no geocentric CRS there. Geodetic systems
// take the two-dimensional CRS GIS files carry, their heights beside it.
constexpr Row kRows[] = {
    {"wgs84-xyz", "wgs84", Geocentric, Zones::None, Group::Window, "WGS-84 (XYZ)", 4978},
    {"wgs84-blh", "wgs84", Geodetic, Zones::None, Group::Window, "WGS-84 (BLH)", 4326},
    {"pz90-xyz", "pz90", Geocentric, Zones::None, Group::Window, "ПЗ-90  (XYZ)", 4922},
    {"pz90-blh", "pz90", Geodetic, Zones::None, Group::Window, "ПЗ-90  (BLH)", 4740},
    {"sk42-xyz", "sk42", Geocentric, Zones::None, Group::Window, "СК-42  (XYZ)", 0},
    {"sk42-blh", "sk42", Geodetic, Zones::None, Group::Window, "СК-42  (BLH)", 4284},
    {"sk42-xyh", "sk42", Plane, Zones::GaussKruger6, Group::Window, "СК-42  (XYH)", 0,
     &engine::GaussKruger6},
    {"pz9011-xyz", "pz9011", Geocentric, Zones::None, Group::Official, "ПЗ-90.11 (XYZ)", 7679},
    {"pz9011-blh", "pz9011", Geodetic, Zones::None, Group::Official, "ПЗ-90.11 (BLH)", 9475},
    {"gsk2011-xyz", "gsk2011", Geocentric, Zones::None, Group::Official, "ГСК-2011 (XYZ)", 7681},
    {"gsk2011-blh", "gsk2011", Geodetic, Zones::None, Group::Official, "ГСК-2011 (BLH)", 7683},
    {"gsk2011-xyh", "gsk2011", Plane, Zones::GaussKruger6, Group::Official, "ГСК-2011 (XYH)", 0,
     &engine::GaussKruger6},
    {"sk95-xyz", "sk95", Geocentric, Zones::None, Group::Official, "СК-95 (XYZ)", 0},
    {"sk95-blh", "sk95", Geodetic, Zones::None, Group::Official, "СК-95 (BLH)", 4200},
    {"sk95-xyh", "sk95", Plane, Zones::GaussKruger6, Group::Official, "СК-95 (XYH)", 0,
     &engine::GaussKruger6},
    // The 3° families' false eastings are EPSG's for each datum: "Pulkovo 1942 (and 1995) /
    // 3-degree Gauss-Kruger zone n" n·10⁶ + 500 000 m, "GSK-2011 / GSK 3GK zone n" + 250 000 m.
    {"sk42-gk3", "sk42", Plane, Zones::GaussKruger3, Group::Zoned, "СК-42 (3° зоны)", 0,
     &engine::GaussKruger3Pulkovo},
    {"sk95-gk3", "sk95", Plane, Zones::GaussKruger3, Group::Zoned, "СК-95 (3° зоны)", 0,
     &engine::GaussKruger3Pulkovo},
    {"gsk2011-gk3", "gsk2011", Plane, Zones::GaussKruger3, Group::Zoned, "ГСК-2011 (3° зоны)", 0,
     &engine::GaussKruger3Gsk2011},
    {"wgs84-utm", "wgs84", Plane, Zones::Utm, Group::Zoned, "WGS-84 (UTM)", 0, &engine::Utm},
};

// The form's words after the datum's name: "SK-42 geodetic B, L, H" and, as the windows
// list them, "СК-42 — геодезические B, L, H".
Words FormNames(const Datum& datum, CoordinateForm form, Zones zones) {
    Words what;
    switch (form) {
        case Geocentric:
            what = {" geocentric X, Y, Z", " — геоцентрические X, Y, Z"};
            break;
        case Geodetic:
            what = {" geodetic B, L, H", " — геодезические B, L, H"};
            break;
        case Plane:
            switch (zones) {
                case Zones::GaussKruger6:
                    what = {" plane x, y, H (Gauss-Krueger)", " — плоские x, y, H (Гаусс–Крюгер)"};
                    break;
                case Zones::GaussKruger3:
                    what = {" plane x, y, H (Gauss-Krueger, 3-degree zones)",
                            " — плоские x, y, H (Гаусс–Крюгер, трёхградусные зоны)"};
                    break;
                case Zones::Utm:
                    what = {" plane x, y, H (UTM)", " — плоские x, y, H (UTM)"};
                    break;
                case Zones::None:
                    what = {" plane x, y, H (transverse Mercator)",
                            " — плоские x, y, H (поперечная проекция Меркатора)"};
                    break;
            }
            break;
    }
    return {datum.name.english + what.english, datum.name.russian + what.russian};
}

std::vector<System> MakeBuiltInSystems() {
    const std::span<const Datum> datums = BuiltInDatums();
    std::vector<System> systems;
    for (const Row& row : kRows) {
        System system;
        system.id = row.id;
        system.datum = *std::find_if(datums.begin(), datums.end(),
                                     [&](const Datum& datum) { return datum.id == row.datum; });
        system.form = row.form;
        system.zones = row.zones;
        if (row.scheme != nullptr) system.scheme = *row.scheme;
        system.group = row.group;
        system.names = FormNames(system.datum, row.form, row.zones);
        if (row.group == Group::Official) system.names.russian += " (ГОСТ 32453-2017)";
        system.displayName = row.displayName;
        system.epsg = row.epsg;
        if (row.group == Group::Window) system.window = controller::AllSystems[systems.size()];
        systems.push_back(std::move(system));
    }
    return systems;
}

}  // namespace

PlaneKeys Similarity(double dx, double dy, double rotationSeconds, double scalePpm) {
    // θ from arc-seconds: π/648000 radians each.
    constexpr double kRadiansPerSecond = 3.14159265358979323846 / 648000;
    const double s = 1 + scalePpm * 1e-6;
    const double theta = rotationSeconds * kRadiansPerSecond;
    PlaneKeys keys;
    keys.kind = PlaneKeys::Kind::Similarity;
    keys.x0 = dx;
    keys.y0 = dy;
    keys.a = keys.d = s * std::cos(theta);
    keys.c = s * std::sin(theta);
    keys.b = -keys.c;
    keys.rotationSeconds = rotationSeconds;
    keys.scalePpm = scalePpm;
    return keys;
}

PlaneKeys Affine(const std::array<double, 6>& x0aby0cd) {
    PlaneKeys keys;
    keys.kind = PlaneKeys::Kind::Affine;
    keys.x0 = x0aby0cd[0];
    keys.a = x0aby0cd[1];
    keys.b = x0aby0cd[2];
    keys.y0 = x0aby0cd[3];
    keys.c = x0aby0cd[4];
    keys.d = x0aby0cd[5];
    return keys;
}

int LargestZone(const System& system) {
    return system.zones == Zones::None ? 0 : system.scheme.zones;
}

std::optional<int> ParseZone(const System& system, std::string_view text) {
    // UTM's hemisphere follows the number: "37N", "37S" (either case).
    const bool hemispheres = system.scheme.southernFalseNorthing != 0;
    int sign = 1;
    bool hemisphere = false;  // a UTM zone other than 0 needs its hemisphere
    if (hemispheres && !text.empty()) {
        const char last = text.back();
        if (last == 'S' || last == 's') sign = -1;
        hemisphere = last == 'S' || last == 's' || last == 'N' || last == 'n';
        if (hemisphere) text.remove_suffix(1);
    }
    if (text.empty() || text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int zone = 0;
    for (const char c : text)
        zone = zone * 10 + (c - '0');
    if (zone == 0) return 0;
    if (zone > LargestZone(system) || hemispheres != hemisphere) return std::nullopt;
    return sign * zone;
}

std::string ZoneText(const System& system, int zone) {
    if (system.scheme.southernFalseNorthing == 0 || zone == 0) return std::to_string(zone);
    return std::to_string(zone < 0 ? -zone : zone) + (zone < 0 ? "S" : "N");
}

std::span<const System> BuiltInSystems() {
    static const std::vector<System> kSystems = MakeBuiltInSystems();
    return kSystems;
}

Catalogue::Catalogue()
    : datums_(BuiltInDatums().begin(), BuiltInDatums().end()),
      systems_(BuiltInSystems().begin(), BuiltInSystems().end()),
      geoidModels_(BuiltInGeoidModels().begin(), BuiltInGeoidModels().end()) {
    for (std::size_t i = 0; i < datums_.size(); ++i)
        datumIds_.emplace(Lower(datums_[i].id), i);
    for (std::size_t i = 0; i < systems_.size(); ++i) {
        systemIds_.emplace(Lower(systems_[i].id), i);
        systemNames_.emplace(systems_[i].displayName, i);
    }
}

const Datum* Catalogue::FindDatum(std::string_view id) const {
    const auto found = datumIds_.find(Lower(id));
    return found == datumIds_.end() ? nullptr : &datums_[found->second];
}

const System* Catalogue::Find(std::string_view name) const {
    auto found = systemIds_.find(Lower(name));
    if (found == systemIds_.end()) found = systemNames_.find(std::string(name));
    return found == systemNames_.end() ? nullptr : &systems_[found->second];
}

bool Catalogue::AddDatum(Datum datum) {
    if (FindDatum(datum.id) != nullptr || datum.toPz9011.size() != 1) return false;
    const Datum* next = FindDatum(datum.toPz9011.front().to);
    if (next == nullptr) return false;
    datum.toPz9011.front().toName = next->name;
    datum.toPz9011.insert(datum.toPz9011.end(), next->toPz9011.begin(), next->toPz9011.end());
    datumIds_.emplace(Lower(datum.id), datums_.size());
    datums_.push_back(std::move(datum));
    return true;
}

bool Catalogue::AddSystem(System system) {
    if (Find(system.id) != nullptr) return false;
    systemIds_.emplace(Lower(system.id), systems_.size());
    systemNames_.emplace(system.displayName, systems_.size());
    systems_.push_back(std::move(system));
    return true;
}

const GeoidModel* Catalogue::FindGeoidModel(std::string_view id) const {
    const std::string lower = Lower(id);
    const auto found =
        std::find_if(geoidModels_.begin(), geoidModels_.end(),
                     [&lower](const GeoidModel& model) { return model.id == lower; });
    return found == geoidModels_.end() ? nullptr : &*found;
}

bool Catalogue::AddGeoidModel(GeoidModel model) {
    if (FindGeoidModel(model.id) != nullptr) return false;
    geoidModels_.push_back(std::move(model));
    return true;
}

const Catalogue& BuiltIn() {
    static const Catalogue kBuiltIn;
    return kBuiltIn;
}

}  // namespace systems
