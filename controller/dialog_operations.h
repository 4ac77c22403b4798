// The dialog's operations: the conversion run, the selection changes, the move of the
// results back to the input side, and the zone handling around them. They keep no state:
// the systems are what the lists show, the values what the fields hold.
#pragma once

#include <string_view>

#include "controller/dialog_controls.h"

namespace controller {

// The start-up of the dialog: the seven systems in the source list with the first
// selected, ApplySourceSystem for it, and "0" in the three input fields.
void SetUpDialogControls(DialogControls& controls);

// "Перевод --->": reads the three inputs and the two systems, runs the pair's chain and
// writes the three results; the route to plane coordinates also writes the zone used.
void CmConvert(DialogControls& controls);

// The user picked a source: relabel, rebuild the target list, and what follows from it.
void CbnSourceSelChange(DialogControls& controls);

// The user picked a target (also run by ApplySourceSystem): result labels, the zone
// controls shown only for plane coordinates, results cleared.
void CbnTargetSelChange(DialogControls& controls);

// Input labels and the target list for a source given by its display string, then
// CbnTargetSelChange. An unknown name changes nothing but the latter.
void ApplySourceSystem(DialogControls& controls, std::string_view name);

// Selects a system in the source list by its display string; an unknown name selects
// nothing.
void SelectSourceByName(DialogControls& controls, std::string_view name);

// The three result fields become "0".
void ClearResults(DialogControls& controls);

// " <--- Переместить": the results become the inputs, the used zone the requested zone,
// the target the source.
void CmMove(DialogControls& controls);

}  // namespace controller
