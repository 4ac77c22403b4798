// Control ids of the conversion dialog (template 100), used as the controls' names.
#pragma once

#include <array>

namespace controller {

inline constexpr int AboutButton = 9;
inline constexpr int CloseButton = 101;
inline constexpr int MoveButton = 102;
inline constexpr int SourceList = 103;
inline constexpr int TargetList = 104;
inline constexpr std::array<int, 3> InputLabels{105, 106, 107};
inline constexpr std::array<int, 3> InputFields{108, 109, 110};
inline constexpr std::array<int, 3> ResultLabels{111, 112, 113};
inline constexpr std::array<int, 3> ResultFields{114, 115, 116};
inline constexpr int ConvertButton = 117;
inline constexpr int ClearResultsButton = 118;  // "Отменить": created hidden and disabled
inline constexpr int SourceCaption = 119;
inline constexpr int TargetCaption = 120;
inline constexpr int RequestedZoneLabel = 121;
inline constexpr int RequestedZoneField = 123;
inline constexpr int UsedZoneLabel = 124;
inline constexpr int UsedZoneField = 125;

// The zone controls, in the order in which they are always shown, hidden, enabled and
// disabled.
inline constexpr std::array<int, 4> ZoneGroup{RequestedZoneField, RequestedZoneLabel, UsedZoneField,
                                              UsedZoneLabel};

}  // namespace controller
