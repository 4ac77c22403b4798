#include "engine/constants.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

TEST(Constants, EccentricitiesOfTheThreeEllipsoids) {
    EXPECT_NEAR(EccentricitySquared(EllipsoidWgs84), 0.0066943850, 5e-11);
    EXPECT_NEAR(EccentricitySquared(EllipsoidPz90), 0.0066943662, 5e-11);
    EXPECT_NEAR(EccentricitySquared(EllipsoidKrasovsky), 0.0066934216, 5e-11);
    // The same constant the Gauss–Krüger series carry.
    EXPECT_NEAR(EccentricitySquared(EllipsoidKrasovsky) * EllipsoidKrasovsky.a / 2, 21346.1415,
                5e-5);
}

DatumShift Negated(const DatumShift& s) {
    return {-s.dX, -s.dY, -s.dZ, -s.wX, -s.wY, -s.wZ, -s.m};
}

void ExpectSameShift(const DatumShift& a, const DatumShift& b) {
    EXPECT_EQ(a.dX, b.dX);
    EXPECT_EQ(a.dY, b.dY);
    EXPECT_EQ(a.dZ, b.dZ);
    EXPECT_EQ(a.wX, b.wX);
    EXPECT_EQ(a.wY, b.wY);
    EXPECT_EQ(a.wZ, b.wZ);
    EXPECT_EQ(a.m, b.m);
}

TEST(Constants, EachReverseShiftIsTheNegatedForwardShift) {
    ExpectSameShift(Negated(ShiftPz90ToSk42), ShiftSk42ToPz90);
    ExpectSameShift(Negated(ShiftWgs84ToPz90), ShiftPz90ToWgs84);
}

}  // namespace
}  // namespace engine
