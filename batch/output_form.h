// How the results are written: the form of the angles, the digits after the point that mean
// the same ground distance in metres and in angles, the names over the result columns, the
// separator between the values.
#pragma once

#include <array>
#include <string_view>

#include "batch/conversion_options.h"
#include "controller/catalogue.h"

namespace batch {

// The form the angles of the results are written in: --angles-out, else that of --angles.
AngleText WrittenAngles(const ConversionOptions& options);

// The digits after the point of an angle in `form` that step about as far on the ground as
// `metreDecimals` digits of metres do (at most 12).
int SameGroundAngleDecimals(int metreDecimals, AngleText form);

// The names of the three coordinates of a form, and of the zone after them ("" where the
// form has no zone): what a header copied by --skip carries over the results.
struct ResultNames {
    std::array<std::string_view, 3> coordinates;
    std::string_view zone;
};
const ResultNames& NamesOf(controller::CoordinateForm form);

// What joins the values and the zone of a line written without --columns.
std::string_view OutputSeparator(Separator separator);

}  // namespace batch
