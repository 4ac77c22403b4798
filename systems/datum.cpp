#include "systems/datum.h"

#include "engine/constants.h"
#include "engine/datums.h"

namespace systems {

engine::DatumShift InCoordinateFrame(const engine::DatumShift& published, Convention convention) {
    switch (convention) {
        case Convention::CoordinateFrame:
            return published;
        case Convention::PositionVector:
            return {published.dX,  published.dY,  published.dZ, -published.wX,
                    -published.wY, -published.wZ, published.m};
    }
    return published;
}

std::span<const Datum> BuiltInDatums() {
    // The ellipsoids and sets of engine/datums.h; each source names its place in
    // GOST 32453-2017, the EPSG codes of the same sets and the accuracy EPSG states.
    static const std::vector<Datum> kDatums = {
        {"pz9011", {"PZ-90.11", "ПЗ-90.11"}, engine::EllipsoidPz9011, {}, {}},
        {"wgs84",
         {"WGS-84", "WGS-84"},
         engine::EllipsoidWgs84Defined,
         {{"pz9011",
           {"PZ-90.11", "ПЗ-90.11"},
           engine::ShiftWgs84ToPz9011,
           {"GOST 32453-2017 appendix G (EPSG:7961 then 7703, stated 0.17 m and 0.07 m)",
            "ГОСТ 32453-2017, приложение Г (EPSG:7961, затем 7703; заявлено 0,17 м и 0,07 м)"}}},
         {}},
        {"pz90",
         {"PZ-90", "ПЗ-90"},
         engine::EllipsoidPz90,
         {{"pz9011",
           {"PZ-90.11", "ПЗ-90.11"},
           engine::ShiftPz90ToPz9011,
           {"GOST 32453-2017 appendix V (EPSG:7704, stated 0.2 m)",
            "ГОСТ 32453-2017, приложение В (EPSG:7704; заявлено 0,2 м)"}}},
         {}},
        {"sk42",
         {"SK-42", "СК-42"},
         engine::EllipsoidKrasovsky,
         {{"pz9011",
           {"PZ-90.11", "ПЗ-90.11"},
           engine::ShiftSk42ToPz9011,
           {"GOST 32453-2017 A.1 (EPSG:15844 then 7704, stated 4 m and 0.2 m)",
            "ГОСТ 32453-2017, А.1 (EPSG:15844, затем 7704; заявлено 4 м и 0,2 м)"}}},
         {}},
        {"gsk2011",
         {"GSK-2011", "ГСК-2011"},
         engine::EllipsoidGsk2011,
         {{"pz9011",
           {"PZ-90.11", "ПЗ-90.11"},
           engine::ShiftGsk2011ToPz9011,
           {"GOST 32453-2017 A.5 (EPSG:7705, stated 0.03 m)",
            "ГОСТ 32453-2017, А.5 (EPSG:7705; заявлено 0,03 м)"}}},
         {}},
        {"sk95",
         {"SK-95", "СК-95"},
         engine::EllipsoidKrasovsky,
         {{"pz9011",
           {"PZ-90.11", "ПЗ-90.11"},
           engine::ShiftSk95ToPz9011,
           {"GOST 32453-2017 A.3 (EPSG:1257 then 7704, stated 1 m and 0.2 m)",
            "ГОСТ 32453-2017, А.3 (EPSG:1257, затем 7704; заявлено 1 м и 0,2 м)"}}},
         {}},
    };
    return kDatums;
}

}  // namespace systems
