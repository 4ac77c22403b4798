// The geodetic engine: stateless conversions between geodetic, geocentric and
// Gauss–Krüger coordinates of WGS-84, PZ-90 and SK-42.
#pragma once

#include "engine/angles.h"
#include "engine/constants.h"
#include "engine/gauss_kruger.h"
#include "engine/geocentric.h"
#include "engine/helmert.h"
#include "engine/math_error.h"
#include "engine/molodensky.h"
#include "engine/records.h"
