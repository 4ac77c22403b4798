#include "controller/catalogue.h"

#include <vector>

namespace controller {

namespace {

using enum CoordinateSystem;

struct SystemEntry {
    std::string_view displayName;
    std::vector<CoordinateSystem> offeredTargets;
};

const SystemEntry& Entry(CoordinateSystem system) {
    static const SystemEntry entries[] = {
        {"WGS-84 (XYZ)", {Wgs84Blh, Pz90Xyz}},
        {"WGS-84 (BLH)", {Wgs84Xyz, Pz90Blh}},
        {"ПЗ-90  (XYZ)", {Wgs84Xyz, Sk42Xyz, Pz90Blh}},
        {"ПЗ-90  (BLH)", {Wgs84Blh, Pz90Xyz, Sk42Blh}},
        {"СК-42  (XYZ)", {Pz90Xyz, Sk42Blh}},
        {"СК-42  (BLH)", {Pz90Blh, Sk42Xyz, Sk42Xyh}},
        {"СК-42  (XYH)", {Sk42Blh}},
    };
    return entries[static_cast<int>(system)];
}

}  // namespace

std::string_view DisplayName(CoordinateSystem system) {
    return Entry(system).displayName;
}

std::optional<CoordinateSystem> FindSystemByName(std::string_view name) {
    for (CoordinateSystem system : AllSystems) {
        if (DisplayName(system) == name) return system;
    }
    return std::nullopt;
}

std::span<const CoordinateSystem> OfferedTargets(CoordinateSystem source) {
    return Entry(source).offeredTargets;
}

std::array<std::string_view, 3> ValueLabels(CoordinateSystem system) {
    switch (FormOf(system)) {
        case CoordinateForm::Geocentric:
            return {"X", "Y", "Z"};
        case CoordinateForm::Geodetic:
            return {"B", "L", "H"};
        case CoordinateForm::Plane:
            break;
    }
    return {"X", "Y", "H"};
}

}  // namespace controller
