#include "controller/dialog_operations.h"

#include <array>
#include <string>

#include "controller/catalogue.h"
#include "controller/control_ids.h"
#include "controller/number_text.h"
#include "controller/routes.h"

namespace controller {

namespace {

// Every field text is read whole: a cut text would silently change the coordinate.
double ReadValue(const DialogControls& controls, int field) {
    return DropSmallValue(ParseReal(controls.Text(field)));
}

int ReadZone(const DialogControls& controls, int field) {
    return LimitZone(ParseZone(controls.Text(field)));
}

void SetLabels(DialogControls& controls, const std::array<int, 3>& labels,
               CoordinateSystem system) {
    const auto texts = ValueLabels(system);
    for (int i = 0; i < 3; ++i)
        controls.SetText(labels[i], texts[i]);
}

}  // namespace

void SetUpDialogControls(DialogControls& controls) {
    for (CoordinateSystem system : AllSystems)
        controls.AppendToList(SourceList, DisplayName(system));
    controls.SelectListIndex(SourceList, 0);
    std::string source;
    if (controls.SelectedListIndex(SourceList) >= 0) source = controls.SelectedListText(SourceList);
    ApplySourceSystem(controls, source);
    for (int field : InputFields)
        controls.SetText(field, FormatGeneral(0, MovedValueDigits));
}

void CmConvert(DialogControls& controls) {
    std::array<double, 3> values;
    for (int i = 0; i < 3; ++i)
        values[i] = ReadValue(controls, InputFields[i]);

    const auto source = FindSystemByName(controls.SelectedListText(SourceList));
    const auto target = FindSystemByName(controls.SelectedListText(TargetList));
    if (source && target) {
        int zone = 0;
        ConvertPoint(*source, *target, values, zone,
                     [&controls] { return ReadZone(controls, RequestedZoneField); });
        if (*source == CoordinateSystem::Sk42Blh && *target == CoordinateSystem::Sk42Xyh) {
            controls.SetText(RequestedZoneField, FormatZone(zone));
            controls.SetText(UsedZoneField, FormatZone(zone));
        }
    }

    const bool angles = target && FormOf(*target) == CoordinateForm::Geodetic;
    for (int i = 0; i < 3; ++i) {
        const double value = DropSmallValue(values[i]);
        controls.SetText(ResultFields[i], angles && i < 2 ? FormatPackedAngle(value, ResultDigits)
                                                          : FormatGeneral(value, ResultDigits));
    }
}

void CbnSourceSelChange(DialogControls& controls) {
    ApplySourceSystem(controls, controls.SelectedListText(SourceList));
}

void CbnTargetSelChange(DialogControls& controls) {
    for (int id : ZoneGroup) {
        controls.Hide(id);
        controls.Disable(id);
    }
    const auto target = FindSystemByName(controls.SelectedListText(TargetList));
    if (target) {
        SetLabels(controls, ResultLabels, *target);
        if (*target == CoordinateSystem::Sk42Xyh) {
            for (int id : ZoneGroup) {
                controls.Show(id);
                controls.Enable(id);
            }
        }
    }
    ClearResults(controls);
}

void ApplySourceSystem(DialogControls& controls, std::string_view name) {
    if (const auto source = FindSystemByName(name)) {
        SetLabels(controls, InputLabels, *source);
        controls.ClearList(TargetList);
        for (CoordinateSystem target : OfferedTargets(*source)) {
            controls.AppendToList(TargetList, DisplayName(target));
        }
        controls.SelectListIndex(TargetList, 0);
    }
    CbnTargetSelChange(controls);
}

void SelectSourceByName(DialogControls& controls, std::string_view name) {
    if (const auto system = FindSystemByName(name)) {
        controls.SelectListIndex(SourceList, static_cast<int>(*system));
    }
}

void ClearResults(DialogControls& controls) {
    for (int field : ResultFields)
        controls.SetText(field, "0");
}

void CmMove(DialogControls& controls) {
    for (int i = 0; i < 3; ++i) {
        const double value = ReadValue(controls, ResultFields[i]);
        controls.SetText(InputFields[i], FormatGeneral(value, MovedValueDigits));
    }
    controls.SetText(RequestedZoneField, FormatZone(ReadZone(controls, UsedZoneField)));
    controls.SetText(UsedZoneField, "0");

    const std::string target = controls.SelectedListText(TargetList);
    SelectSourceByName(controls, target);
    ApplySourceSystem(controls, target);
}

}  // namespace controller
