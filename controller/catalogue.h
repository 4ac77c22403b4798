// The seven coordinate systems the dialog offers, their display strings and value
// labels, and which targets each source offers.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string_view>

namespace controller {

// In catalogue order, which is also the order of the source list.
enum class CoordinateSystem {
    Wgs84Xyz,
    Wgs84Blh,
    Pz90Xyz,
    Pz90Blh,
    Sk42Xyz,
    Sk42Blh,
    Sk42Xyh,
};

inline constexpr std::array<CoordinateSystem, 7> AllSystems{
    CoordinateSystem::Wgs84Xyz, CoordinateSystem::Wgs84Blh, CoordinateSystem::Pz90Xyz,
    CoordinateSystem::Pz90Blh,  CoordinateSystem::Sk42Xyz,  CoordinateSystem::Sk42Blh,
    CoordinateSystem::Sk42Xyh};

// The three values of a system are geocentric X, Y, Z; geodetic B, L, H with the angles
// in display form (DDDMMSS.sss); or Gauss–Krüger x, y and H.
enum class CoordinateForm { Geocentric, Geodetic, Plane };

constexpr CoordinateForm FormOf(CoordinateSystem system) {
    switch (system) {
        case CoordinateSystem::Wgs84Xyz:
        case CoordinateSystem::Pz90Xyz:
        case CoordinateSystem::Sk42Xyz:
            return CoordinateForm::Geocentric;
        case CoordinateSystem::Sk42Xyh:
            return CoordinateForm::Plane;
        case CoordinateSystem::Wgs84Blh:
        case CoordinateSystem::Pz90Blh:
        case CoordinateSystem::Sk42Blh:
            return CoordinateForm::Geodetic;
    }
    return CoordinateForm::Geodetic;
}

// The display string: the list entry and the key by which selections are recognised.
// The Cyrillic datum names are followed by two blanks, "WGS-84" by one.
std::string_view DisplayName(CoordinateSystem system);

// Exact, case-sensitive comparison with the seven display strings.
std::optional<CoordinateSystem> FindSystemByName(std::string_view name);

// The targets the dialog offers for a source, in list order (one to three).
std::span<const CoordinateSystem> OfferedTargets(CoordinateSystem source);

// The labels of the three values ("X", "Y", "Z" / "B", "L", "H" / "X", "Y", "H").
std::array<std::string_view, 3> ValueLabels(CoordinateSystem system);

}  // namespace controller
