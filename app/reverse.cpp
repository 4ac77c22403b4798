#include "app/reverse.h"

#include "app/reverse_template.h"
#include "controller/control_ids.h"
#include "controller/dialog_operations.h"
#include "framework/controls.h"
#include "framework/message_box.h"

#ifndef COORDCONV_VERSION
#define COORDCONV_VERSION "unknown"
#endif

namespace app {

using framework::ButtonClicked;
using framework::SelectionChanged;

Reverse::Reverse(QWidget* parent) : TDialog(ConversionDialogTemplate(), parent), controls_(*this) {
    // The source values take signed decimal numbers, the requested zone digits only.
    for (int id : controller::InputFields) {
        ControlAs<framework::TEdit>(id)->SetValidator(
            std::make_unique<framework::TFilterValidator>("0-9.+-"));
    }
    ControlAs<framework::TEdit>(controller::RequestedZoneField)
        ->SetValidator(std::make_unique<framework::TFilterValidator>("0-9"));
}

bool Reverse::FindResponse(int notification, int id) {
    static const framework::Response<Reverse> kResponses[] = {
        {ButtonClicked, controller::CloseButton, &Reverse::CmClose},
        {ButtonClicked, controller::ClearResultsButton, &Reverse::ClearResults},
        {ButtonClicked, controller::AboutButton, &Reverse::CmAbout},
        {ButtonClicked, controller::ConvertButton, &Reverse::CmConvert},
        {ButtonClicked, controller::MoveButton, &Reverse::CmMove},
        {SelectionChanged, controller::SourceList, &Reverse::CbnSourceSelChange},
        {SelectionChanged, controller::TargetList, &Reverse::CbnTargetSelChange},
    };
    return framework::RespondFrom(this, kResponses, notification, id) ||
           TDialog::FindResponse(notification, id);
}

void Reverse::SetUpDialog() {
    Control(controller::RequestedZoneField)
        ->setToolTip(QStringLiteral("номер шестиградусной зоны (0 — зона, в которой лежит точка)"));
    controller::SetUpDialogControls(controls_);
}

void Reverse::CmClose() {
    CloseWindow(framework::IdCancel);
}

void Reverse::CmAbout() {
    framework::ShowOwnerlessBox(QMessageBox::NoIcon, QStringLiteral("Справка"), AboutText());
}

void Reverse::CmConvert() {
    controller::CmConvert(controls_);
}

void Reverse::CmMove() {
    controller::CmMove(controls_);
}

void Reverse::CbnSourceSelChange() {
    controller::CbnSourceSelChange(controls_);
}

void Reverse::CbnTargetSelChange() {
    controller::CbnTargetSelChange(controls_);
}

void Reverse::ClearResults() {
    controller::ClearResults(controls_);
}

QString AboutText() {
    return QStringLiteral(
               "Перевычисления координат\n"
               " между WGS-84, ПЗ-90 и СК-42: XYZ, BLH и Гаусс–Крюгер (XYH)\n"
               " углы в виде ГГГММСС.ссс: 554530.5 — это 55°45′30.5″\n"
               "Версия %1\n"
               " coordconv")
        .arg(QStringLiteral(COORDCONV_VERSION));
}

}  // namespace app
