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

void UnshiftGeocentric(const GeocentricPoint& to, GeocentricPoint& from, const DatumShift& shift) {
    const double rho = 648000 / Pi();
    // W·u = w × u with w = −(ωx, ωy, ωz)/ρ, as the rows of ShiftGeocentric's matrix show.
    const double wx = -shift.wX / rho, wy = -shift.wY / rho, wz = -shift.wZ / rho;
    const double k = 1 / ((1 + shift.m) * (1 + wx * wx + wy * wy + wz * wz));
    const double X = to.X - shift.dX, Y = to.Y - shift.dY, Z = to.Z - shift.dZ;
    const double wv = wx * X + wy * Y + wz * Z;  // (wwᵀ)v = w (w·v)
    from.X = k * (X - (wy * Z - wz * Y) + wx * wv);
    from.Y = k * (Y - (wz * X - wx * Z) + wy * wv);
    from.Z = k * (Z - (wx * Y - wy * X) + wz * wv);
}

}  // namespace engine
