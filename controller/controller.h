// The conversion controller: the catalogue of coordinate systems and their routes, the
// number texts of the dialog, and the dialog's operations over an abstract set of controls.
#pragma once

#include "controller/catalogue.h"
#include "controller/control_ids.h"
#include "controller/dialog_controls.h"
#include "controller/dialog_operations.h"
#include "controller/number_text.h"
#include "controller/routes.h"
