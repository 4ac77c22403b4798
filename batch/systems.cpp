#include "batch/systems.h"

#include "engine/constants.h"
#include "engine/datums.h"

namespace batch {

namespace {

using enum controller::CoordinateForm;

constexpr SystemInfo kSystems[SystemCount] = {
    {"wgs84-xyz", "WGS-84 (XYZ)", Datum::Wgs84, Geocentric},
    {"wgs84-blh", "WGS-84 (BLH)", Datum::Wgs84, Geodetic},
    {"pz90-xyz", "ПЗ-90  (XYZ)", Datum::Pz90, Geocentric},
    {"pz90-blh", "ПЗ-90  (BLH)", Datum::Pz90, Geodetic},
    {"sk42-xyz", "СК-42  (XYZ)", Datum::Sk42, Geocentric},
    {"sk42-blh", "СК-42  (BLH)", Datum::Sk42, Geodetic},
    {"sk42-xyh", "СК-42  (XYH)", Datum::Sk42, Plane},
    {"pz9011-xyz", "ПЗ-90.11 (XYZ)", Datum::Pz9011, Geocentric},
    {"pz9011-blh", "ПЗ-90.11 (BLH)", Datum::Pz9011, Geodetic},
    {"gsk2011-xyz", "ГСК-2011 (XYZ)", Datum::Gsk2011, Geocentric},
    {"gsk2011-blh", "ГСК-2011 (BLH)", Datum::Gsk2011, Geodetic},
    {"gsk2011-xyh", "ГСК-2011 (XYH)", Datum::Gsk2011, Plane},
    {"sk95-xyz", "СК-95 (XYZ)", Datum::Sk95, Geocentric},
    {"sk95-blh", "СК-95 (BLH)", Datum::Sk95, Geodetic},
    {"sk95-xyh", "СК-95 (XYH)", Datum::Sk95, Plane},
};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

const SystemInfo& Info(SystemId system) {
    return kSystems[static_cast<int>(system)];
}

std::string ChoiceName(SystemId system) {
    static constexpr std::string_view kDatums[] = {"WGS-84",   "ПЗ-90",    "СК-42",
                                                   "ПЗ-90.11", "ГСК-2011", "СК-95"};
    const SystemInfo& info = Info(system);
    std::string name(kDatums[static_cast<int>(info.datum)]);
    switch (info.form) {
        case Geocentric:
            name += " — геоцентрические X, Y, Z";
            break;
        case Geodetic:
            name += " — геодезические B, L, H";
            break;
        case Plane:
            name += " — плоские x, y, H (Гаусс–Крюгер)";
            break;
    }
    if (!WindowSystem(system)) name += " (ГОСТ 32453-2017)";
    return name;
}

std::optional<SystemId> FindSystem(std::string_view name) {
    for (int i = 0; i < SystemCount; ++i) {
        if (EqualIgnoringCase(name, kSystems[i].shortName) || name == kSystems[i].displayName)
            return static_cast<SystemId>(i);
    }
    return std::nullopt;
}

std::optional<controller::CoordinateSystem> WindowSystem(SystemId system) {
    const int index = static_cast<int>(system);
    if (index >= static_cast<int>(controller::AllSystems.size())) return std::nullopt;
    return controller::AllSystems[index];
}

engine::Ellipsoid EllipsoidOf(Datum datum) {
    switch (datum) {
        case Datum::Wgs84:
            return engine::EllipsoidWgs84Defined;
        case Datum::Pz90:
            return engine::EllipsoidPz90;
        case Datum::Pz9011:
            return engine::EllipsoidPz9011;
        case Datum::Gsk2011:
            return engine::EllipsoidGsk2011;
        default:
            return engine::EllipsoidKrasovsky;
    }
}

std::optional<engine::DatumShift> ShiftToPz9011(Datum datum) {
    switch (datum) {
        case Datum::Wgs84:
            return engine::ShiftWgs84ToPz9011;
        case Datum::Pz90:
            return engine::ShiftPz90ToPz9011;
        case Datum::Sk42:
            return engine::ShiftSk42ToPz9011;
        case Datum::Sk95:
            return engine::ShiftSk95ToPz9011;
        case Datum::Gsk2011:
            return engine::ShiftGsk2011ToPz9011;
        default:
            return std::nullopt;
    }
}

}  // namespace batch
