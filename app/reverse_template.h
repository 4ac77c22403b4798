// Dialog template 100: the conversion dialog's 25 controls in template order, which is
// also the order of the tab stops.
#pragma once

#include "framework/dialog.h"

namespace app {

const framework::DialogTemplate& ConversionDialogTemplate();

}  // namespace app
