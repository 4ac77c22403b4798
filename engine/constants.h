// The three reference ellipsoids, the four directed datum-shift sets between them,
// and the stop tolerance of the geocentric-to-geodetic iteration.
#pragma once

#include "engine/records.h"

namespace engine {

// SK-42 (Krasovsky 1940): GOST R 51794-2001 table 1, EPSG:7024.
inline constexpr Ellipsoid EllipsoidKrasovsky{6378245.0, 298.3};
// PZ-90: GOST R 51794-2001 table 1, EPSG:7054.
inline constexpr Ellipsoid EllipsoidPz90{6378136.0, 298.257839303};
// WGS-84 as this system uses it: the inverse flattening is exactly 298.257, three decimals
// (NIMA TR8350.2 and EPSG:7030 give 298.257223563).
inline constexpr Ellipsoid EllipsoidWgs84{6378137.0, 298.257};

// The window's sets, coordinate-frame rotations in ″. PZ-90 <-> SK-42: GOST R 51794-2001
// (EPSG:15844, "Pulkovo 1942 to PZ-90 (1)"); WGS-84 <-> PZ-90: the window's own (dZ 1 m,
// ωz −0.02″), which matches no published set.
//                                         dX      dY     dZ    wX    wY     wZ     m
inline constexpr DatumShift ShiftPz90ToSk42{-25.0, 141.0, 80.0, 0.0, 0.35, 0.66, 0.0};
inline constexpr DatumShift ShiftSk42ToPz90{25.0, -141.0, -80.0, 0.0, -0.35, -0.66, 0.0};
inline constexpr DatumShift ShiftWgs84ToPz90{0.0, 0.0, 1.0, 0.0, 0.0, -0.02, 0.0};
inline constexpr DatumShift ShiftPz90ToWgs84{0.0, 0.0, -1.0, 0.0, 0.0, 0.02, 0.0};

// Stop tolerance of GeocentricToGeodetic, radians (about 0.6 mm on the ground).
inline constexpr double LatitudeTolerance = 1e-10;

}  // namespace engine
