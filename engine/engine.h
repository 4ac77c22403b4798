// The geodetic engine: stateless conversions between geodetic, geocentric and plane
// coordinates of the datums WGS-84, PZ-90, PZ-90.11, GSK-2011, SK-95 and SK-42.
#pragma once

#include "engine/angles.h"
#include "engine/constants.h"
#include "engine/datums.h"
#include "engine/gauss_kruger.h"
#include "engine/geocentric.h"
#include "engine/helmert.h"
#include "engine/math_error.h"
#include "engine/molodensky.h"
#include "engine/records.h"
#include "engine/transverse_mercator.h"
#include "engine/zones.h"
