// The datums of GOST 32453-2017 "Global navigation satellite system. Coordinate systems.
// Methods of transformations for determination of coordinates of points": their
// ellipsoids, and the seven-parameter sets that carry each to PZ-90.11 (coordinate-frame
// rotations in arc-seconds, the scale difference as a ratio: ppm · 1e-6).
#pragma once

#include "engine/records.h"

namespace engine {

// WGS-84 as defined (NIMA TR8350.2): the inverse flattening in full.
inline constexpr Ellipsoid EllipsoidWgs84Defined{6378137.0, 298.257223563};
// PZ-90.11 (GOST 32453-2017, 4.2); PZ-90 (1990) has 1/f = 298.257839303 (EllipsoidPz90).
inline constexpr Ellipsoid EllipsoidPz9011{6378136.0, 298.25784};
// GSK-2011 (GOST 32453-2017, 4.3).
inline constexpr Ellipsoid EllipsoidGsk2011{6378136.5, 298.2564151};

//                                                   dX       dY        dZ       ωx
//                                                   ωy        ωz        m
// SK-42 → PZ-90.11, appendix А.1 (EPSG:15844 then EPSG:7704).
inline constexpr DatumShift ShiftSk42ToPz9011{23.557,   -140.844, -79.778,  -0.0023,
                                              -0.34646, -0.79421, -0.228e-6};
// SK-95 → PZ-90.11, appendix А.3 (EPSG:1257 then EPSG:7704).
inline constexpr DatumShift ShiftSk95ToPz9011{24.457,  -130.784, -81.538,  -0.0023,
                                              0.00354, -0.13421, -0.228e-6};
// GSK-2011 → PZ-90.11, appendix А.5 (EPSG:7705).
inline constexpr DatumShift ShiftGsk2011ToPz9011{0.0,       0.014,    -0.008,    -0.000562,
                                                 -0.000019, 0.000053, -0.0006e-6};
// WGS-84 → PZ-90.11, appendix Г (EPSG:7961 then EPSG:7703).
inline constexpr DatumShift ShiftWgs84ToPz9011{-0.013,  0.106,    0.022,    -0.0023,
                                               0.00354, -0.00421, -0.008e-6};
// PZ-90 (1990) → PZ-90.11, appendix В (EPSG:7704).
inline constexpr DatumShift ShiftPz90ToPz9011{-1.443,  0.156,    0.222,    -0.0023,
                                              0.00354, -0.13421, -0.228e-6};

}  // namespace engine
