// What batch::DetectOptions found in the first lines of an input, said in the window's
// Russian: a line "Определено: …" under the choices, each choice with its evidence.
#pragma once

#include <QString>

#include "batch/detect.h"

namespace batch_window {

// One reason: "4 из 4 строк делятся на 5 полей"; a guess says so.
QString ReasonInRussian(const batch::Reason& reason);

// Every guess with its value and reason, joined by "; ", after "Определено: ".
QString DetectionInRussian(const batch::Detection& detection);

}  // namespace batch_window
