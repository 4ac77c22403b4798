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

AffineMap ComposeShifts(const DatumShift& into, const DatumShift& outOf) {
    return ComposeShifts(std::span(&into, 1), std::span(&outOf, 1));
}

AffineMap ComposeShifts(std::span<const DatumShift> into, std::span<const DatumShift> outOf) {
    // Every step is affine: the translation is the image of the origin, and the columns of
    // the matrix the images of the axes less it.
    const auto both = [&](const GeocentricPoint& p) {
        GeocentricPoint point = p, next;
        for (const DatumShift& shift : into) {
            ShiftGeocentric(point, next, shift);
            point = next;
        }
        for (auto shift = outOf.rbegin(); shift != outOf.rend(); ++shift) {
            UnshiftGeocentric(point, next, *shift);
            point = next;
        }
        return point;
    };
    const GeocentricPoint origin = both({0, 0, 0});
    AffineMap map{};
    map.t[0] = origin.X, map.t[1] = origin.Y, map.t[2] = origin.Z;
    // Unit vectors of 10⁶ m keep the columns' rounding below 10⁻¹⁶ of a coordinate.
    constexpr double kUnit = 1e6;
    for (int column = 0; column < 3; ++column) {
        const GeocentricPoint image =
            both({column == 0 ? kUnit : 0, column == 1 ? kUnit : 0, column == 2 ? kUnit : 0});
        map.a[0][column] = (image.X - origin.X) / kUnit;
        map.a[1][column] = (image.Y - origin.Y) / kUnit;
        map.a[2][column] = (image.Z - origin.Z) / kUnit;
    }
    return map;
}

void ApplyAffine(const GeocentricPoint& from, GeocentricPoint& to, const AffineMap& map) {
    const double X = from.X, Y = from.Y, Z = from.Z;
    to.X = map.a[0][0] * X + map.a[0][1] * Y + map.a[0][2] * Z + map.t[0];
    to.Y = map.a[1][0] * X + map.a[1][1] * Y + map.a[1][2] * Z + map.t[1];
    to.Z = map.a[2][0] * X + map.a[2][1] * Y + map.a[2][2] * Z + map.t[2];
}

}  // namespace engine
