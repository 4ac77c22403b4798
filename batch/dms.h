// Angles as degrees, minutes and seconds: 55:45:30.5, 55°45'30.5", 55°45′30.5″ or
// 55d45'30.5", each with an optional sign or a hemisphere letter (N S E W, or Russian
// С Ю В З) before or after.
#pragma once

#include <string_view>

#include "batch/messages.h"

namespace batch {

// Reads one angle into signed decimal degrees; false with why set to what a message about
// its field says when the text is no angle (a latitude takes N S С Ю, a longitude E W В З;
// minutes and seconds below 60).
bool ReadDms(std::string_view text, bool latitude, double& degrees, MessageId& why);

// Seconds written with this many decimals unless asked otherwise: 0.00001" is 0.3 mm.
inline constexpr int DmsDecimals = 5;

// Writes signed degrees as D:MM:SS.sssss (seconds with `decimals` decimals, 0 to 12, rounded
// once with carry); room for 40 characters at out.
char* WriteDms(char* out, double degrees, int decimals = DmsDecimals);

}  // namespace batch
