#include "engine/helmert.h"

#include "engine/angles.h"

namespace engine {

void ShiftGeocentric(const GeocentricPoint& from, GeocentricPoint& to, const DatumShift& shift) {
    const double rho = 648000 / Pi();
    const double k = 1 + shift.m;
    const double X = from.X;
    const double Y = from.Y;
    const double Z = from.Z;

    to.X = k * (X + shift.wZ * Y / rho - shift.wY * Z / rho) + shift.dX;
    to.Y = k * (-shift.wZ * X / rho + Y + shift.wX * Z / rho) + shift.dY;
    to.Z = k * (shift.wY * X / rho - shift.wX * Y / rho + Z) + shift.dZ;
}

}  // namespace engine
