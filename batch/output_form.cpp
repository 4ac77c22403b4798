#include "batch/output_form.h"

#include <algorithm>

namespace batch {

AngleText WrittenAngles(const ConversionOptions& options) {
    if (options.anglesOut) return *options.anglesOut;
    if (options.dms) return AngleText::Dms;
    switch (options.angles) {
        case controller::AngleForm::Display:
            return AngleText::Packed;
        case controller::AngleForm::Degrees:
            return AngleText::Degrees;
    }
    return AngleText::Packed;
}

int SameGroundAngleDecimals(int metreDecimals, AngleText form) {
    // On the meridian 1" of arc is about 30.9 m and 1 degree about 111 km. N decimals of a
    // degree step 1.1 m at N = 0, so degrees take N + 5 (1e-8 degree is 1.1 mm for N = 3);
    // a second steps 30.9 m, so seconds take N + 1 (1e-4" is 3 mm for N = 3).
    constexpr int kMostDecimals = 12;  // 1e-12 degree is 0.1 µm: the doubles hold no more
    int extra = 0;
    switch (form) {
        case AngleText::Degrees:
            extra = 5;
            break;
        case AngleText::Packed:
        case AngleText::Dms:
            extra = 1;
            break;
    }
    return std::min(metreDecimals + extra, kMostDecimals);
}

const ResultNames& NamesOf(controller::CoordinateForm form) {
    // Indexed by the form, in the order of controller::CoordinateForm.
    static constexpr ResultNames kNames[] = {
        {{"X", "Y", "Z"}, ""},      // geocentric
        {{"B", "L", "H"}, ""},      // geodetic
        {{"x", "y", "H"}, "зона"},  // Gauss-Krüger plane: Russian, as the files it goes into
    };
    static_assert(static_cast<int>(controller::CoordinateForm::Geocentric) == 0 &&
                  static_cast<int>(controller::CoordinateForm::Geodetic) == 1 &&
                  static_cast<int>(controller::CoordinateForm::Plane) == 2);
    return kNames[static_cast<int>(form)];
}

std::string_view OutputSeparator(Separator separator) {
    switch (separator) {
        case Separator::Semicolon:
            return ";";
        case Separator::Comma:
            return ",";
        case Separator::Tab:
            return "\t";
        case Separator::Auto:
        case Separator::Blank:
            return " ";
    }
    return " ";
}

}  // namespace batch
