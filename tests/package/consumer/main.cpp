// Converts one point with the installed engine and controller, and one through a user's
// catalogue with the installed systems library; links its geoid grid readers (libtiff among
// them, which the package names to its users).
#include <array>
#include <cstdio>

#include "controller/controller.h"
#include "engine/engine.h"
#include "systems/catalogue_file.h"
#include "systems/geoid_grid.h"
#include "systems/route.h"

namespace {

// A local system as a GIS writes it: a transverse Mercator on Krasovsky's ellipsoid with
// its +towgs84 (illustrative numbers).
constexpr char kCatalogue[] = R"([system.msk-consumer]
name = "МСК для проверки"
proj = "+proj=tmerc +lon_0=38.48333333333333 +k=1 +x_0=1250000 +y_0=-5412900.566 +ellps=krass +towgs84=23.57,-140.95,-79.8,0,0.35,0.79,-0.22 +units=m +no_defs"
)";

// WGS-84 B = 55.75°, L = 38.5°, H = 150 m in the catalogue's system: x, y, H.
bool PrintUserSystemPoint() {
    systems::Catalogue catalogue = systems::BuiltIn();
    if (const auto fault = systems::ReadCatalogueText(kCatalogue, "consumer.toml", catalogue)) {
        std::fprintf(stderr, "%s\n", fault->Text().c_str());
        return false;
    }
    systems::Words refusal;
    const auto route =
        systems::Route::Build(*catalogue.Find("wgs84-blh"), *catalogue.Find("msk-consumer"),
                              systems::Parameters::Gost2017, 0, refusal);
    if (!route) {
        std::fprintf(stderr, "%s\n", refusal.english.c_str());
        return false;
    }
    systems::RoutePoint point;
    point.values = {55.75, 38.5, 150};
    route->Convert(point);
    std::printf("%.3f %.3f %.3f\n", point.values[0], point.values[1], point.values[2]);
    return point.fault == systems::Fault::None;
}

}  // namespace

int main() {
    engine::GeocentricPoint point;
    engine::GeodeticToGeocentric({55.75, 37.6, 200}, point, engine::EllipsoidKrasovsky);

    std::array<double, 3> values{554500, 373700, 100};
    int zone = 0;
    controller::ConvertPoint(controller::CoordinateSystem::Wgs84Blh,
                             controller::CoordinateSystem::Wgs84Xyz, values, zone);
    std::printf("%.3f %s\n", point.X,
                controller::FormatGeneral(values[0], controller::ResultDigits).c_str());
    const bool noGrid = systems::ReadGeoidGrid("").fault == systems::GridFault::Unreadable;
    return PrintUserSystemPoint() && noGrid ? 0 : 1;
}
