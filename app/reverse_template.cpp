#include "app/reverse_template.h"

#include "controller/control_ids.h"

namespace app {

namespace {

using framework::ControlKind;
using framework::ControlTemplate;
using framework::TextAlignment;
using namespace controller;

constexpr auto Button = ControlKind::PushButton;
constexpr auto List = ControlKind::DropDownList;
constexpr auto Label = ControlKind::Label;
constexpr auto Edit = ControlKind::Edit;
constexpr auto Left = TextAlignment::Left;
constexpr auto Right = TextAlignment::Right;

// clang-format off
//  id                   kind    text                      x    y    w   h  visible enabled tab   align  read-only
constexpr ControlTemplate kControls[] = {
    {AboutButton,        Button, "Справка",              140, 104,  56, 12, true,  true,  true,  Left,  false},
    {SourceList,         List,   "ComboBox3",              4,   8,  88, 74, true,  true,  true,  Left,  false},
    {TargetList,         List,   "ComboBox5",            108,   8,  88, 74, true,  true,  true,  Left,  false},
    {InputLabels[0],     Label,  "X",                      4,  24,  12,  8, true,  true,  false, Left,  false},
    {InputLabels[1],     Label,  "Y",                      4,  40,   8,  9, true,  true,  false, Left,  false},
    {InputLabels[2],     Label,  "Z",                      4,  56,   8,  9, true,  true,  false, Left,  false},
    {InputFields[0],     Edit,   "0",                     24,  24,  68, 13, true,  true,  true,  Left,  false},
    {InputFields[1],     Edit,   "0",                     24,  40,  68, 13, true,  true,  true,  Left,  false},
    {InputFields[2],     Edit,   "0",                     24,  56,  68, 13, true,  true,  true,  Left,  false},
    {ResultLabels[0],    Label,  "X",                    108,  24,  12,  9, true,  true,  false, Left,  false},
    {ResultLabels[1],    Label,  "Y",                    108,  40,  12,  8, true,  true,  false, Left,  false},
    {ResultLabels[2],    Label,  "Z",                    108,  56,  12,  8, true,  true,  false, Left,  false},
    {ResultFields[0],    Edit,   "0",                    128,  24,  68, 13, true,  true,  false, Left,  true},
    {ResultFields[1],    Edit,   "0",                    128,  40,  68, 13, true,  true,  false, Left,  true},
    {ResultFields[2],    Edit,   "0",                    128,  56,  68, 13, true,  true,  false, Left,  true},
    {ConvertButton,      Button, "Перевод --->",           4,  88,  88, 13, true,  true,  true,  Left,  false},
    {ClearResultsButton, Button, "Отменить",              72, 104,  56, 12, false, false, true,  Left,  false},
    {CloseButton,        Button, "Закрыть",                4, 104,  56, 12, true,  true,  true,  Left,  false},
    {MoveButton,         Button, " <--- Переместить",    108,  88,  88, 13, true,  true,  true,  Left,  false},
    {SourceCaption,      Label,  "Из системы координат:",  4,   0,  88,  8, true,  true,  false, Left,  false},
    {TargetCaption,      Label,  "в систему координат",  108,   0,  88,  8, true,  true,  false, Left,  false},
    {RequestedZoneLabel, Label,  "Пересчитать в зону",     0,  73,  68,  9, false, true,  false, Left,  false},
    {RequestedZoneField, Edit,   "0",                     76,  72,  16, 13, false, true,  true,  Right, false},
    {UsedZoneLabel,      Label,  "Зона",                 128,  73,  40,  9, false, true,  false, Left,  false},
    {UsedZoneField,      Edit,   "0",                    176,  72,  16, 13, false, true,  false, Right, true},
};
// clang-format on

}  // namespace

const framework::DialogTemplate& ConversionDialogTemplate() {
    static const framework::DialogTemplate kTemplate{203, 119, "MS Sans Serif", 8, kControls};
    return kTemplate;
}

}  // namespace app
