// The full catalogue of coordinate systems: the window's seven, then the official systems
// of GOST 32453-2017 (PZ-90.11, GSK-2011, SK-95), each a datum and a form.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "controller/catalogue.h"
#include "engine/records.h"

namespace batch {

enum class Datum { Wgs84, Pz90, Sk42, Pz9011, Gsk2011, Sk95 };

// The window's seven first, in its order, so that they convert to its CoordinateSystem.
enum class SystemId {
    Wgs84Xyz,
    Wgs84Blh,
    Pz90Xyz,
    Pz90Blh,
    Sk42Xyz,
    Sk42Blh,
    Sk42Xyh,
    Pz9011Xyz,
    Pz9011Blh,
    Gsk2011Xyz,
    Gsk2011Blh,
    Gsk2011Xyh,
    Sk95Xyz,
    Sk95Blh,
    Sk95Xyh,
};
inline constexpr int SystemCount = 15;

struct SystemInfo {
    std::string_view shortName;    // "pz9011-blh"
    std::string_view displayName;  // "ПЗ-90.11 (BLH)"; the window's own for its seven
    Datum datum;
    controller::CoordinateForm form;
};

const SystemInfo& Info(SystemId system);
// The name a list of choices shows: the datum, the form and, for the systems beyond the
// window's seven, the standard ("ПЗ-90.11 — геодезические B, L, H (ГОСТ 32453-2017)").
std::string ChoiceName(SystemId system);
// A short name in any case, or a display name exactly.
std::optional<SystemId> FindSystem(std::string_view name);
// The window's system, for one of its seven.
std::optional<controller::CoordinateSystem> WindowSystem(SystemId system);

// The datum's reference ellipsoid, WGS-84 as defined (1/f = 298.257223563), and its
// published set to PZ-90.11 (none for PZ-90.11 itself).
engine::Ellipsoid EllipsoidOf(Datum datum);
std::optional<engine::DatumShift> ShiftToPz9011(Datum datum);

}  // namespace batch
