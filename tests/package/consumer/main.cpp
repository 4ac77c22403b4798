// Converts one point with the installed engine and controller, and reads a catalogue file
// with the installed systems library (which asks nothing of its users for its TOML reader).
#include <array>
#include <cstdio>

#include "controller/controller.h"
#include "engine/engine.h"
#include "systems/catalogue_file.h"

int main() {
    engine::GeocentricPoint point;
    engine::GeodeticToGeocentric({55.75, 37.6, 200}, point, engine::EllipsoidKrasovsky);

    std::array<double, 3> values{554500, 373700, 100};
    int zone = 0;
    controller::ConvertPoint(controller::CoordinateSystem::Wgs84Blh,
                             controller::CoordinateSystem::Wgs84Xyz, values, zone);
    std::printf("%.3f %s\n", point.X,
                controller::FormatGeneral(values[0], controller::ResultDigits).c_str());
    systems::Catalogue catalogue;
    const auto fault = systems::ReadCatalogueText(
        "[system.mine]\nname = \"Mine\"\ndatum = \"sk42\"\nform = \"geodetic\"\n", "mine.toml",
        catalogue);
    return fault || catalogue.Find("mine") == nullptr ? 1 : 0;
}
