#include "app/dialog_controls_adapter.h"

#include <QSignalBlocker>

#include "controller/control_ids.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace app {

namespace {

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

std::string DialogControlsAdapter::Text(int id) const {
    if (auto* edit = dialog_.ControlAs<framework::TEdit>(id)) return edit->text().toStdString();
    if (auto* label = dialog_.ControlAs<framework::TStatic>(id)) {
        return label->text().toStdString();
    }
    return {};
}

void DialogControlsAdapter::SetText(int id, std::string_view text) {
    if (auto* edit = dialog_.ControlAs<framework::TEdit>(id)) {
        edit->setText(FromUtf8(text));
        edit->setCursorPosition(0);  // a field shows the beginning of its text
    } else if (auto* label = dialog_.ControlAs<framework::TStatic>(id)) {
        label->setText(FromUtf8(text));
        ExplainField(id, text);
    }
}

// A value's label names it (B, L, H, X, Y, Z); the field's tooltip names its form and unit.
void DialogControlsAdapter::ExplainField(int label, std::string_view name) {
    using namespace controller;
    for (int i = 0; i < 3; ++i) {
        const int field = label == InputLabels[i]    ? InputFields[i]
                          : label == ResultLabels[i] ? ResultFields[i]
                                                     : 0;
        if (auto* edit = dialog_.ControlAs<framework::TEdit>(field)) {
            edit->setToolTip(name == "B" || name == "L"
                                 ? QStringLiteral("градусы, минуты, секунды: ДДДММСС.ссс")
                                 : QStringLiteral("метры"));
        }
    }
}

// Lists changed by the program raise no selection-change notification.
void DialogControlsAdapter::ClearList(int id) {
    if (auto* list = dialog_.ControlAs<framework::TComboBox>(id)) {
        const QSignalBlocker quiet(list);
        list->clear();
    }
}

void DialogControlsAdapter::AppendToList(int id, std::string_view entry) {
    if (auto* list = dialog_.ControlAs<framework::TComboBox>(id)) {
        const QSignalBlocker quiet(list);
        list->addItem(FromUtf8(entry));
    }
}

void DialogControlsAdapter::SelectListIndex(int id, int index) {
    if (auto* list = dialog_.ControlAs<framework::TComboBox>(id)) {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(index);
    }
}

int DialogControlsAdapter::SelectedListIndex(int id) const {
    const auto* list = dialog_.ControlAs<framework::TComboBox>(id);
    return list ? list->currentIndex() : -1;
}

std::string DialogControlsAdapter::SelectedListText(int id) const {
    const auto* list = dialog_.ControlAs<framework::TComboBox>(id);
    return list && list->currentIndex() >= 0 ? list->currentText().toStdString() : std::string();
}

void DialogControlsAdapter::Show(int id) {
    if (QWidget* control = dialog_.Control(id)) control->show();
}

void DialogControlsAdapter::Hide(int id) {
    if (QWidget* control = dialog_.Control(id)) control->hide();
}

void DialogControlsAdapter::Enable(int id) {
    if (QWidget* control = dialog_.Control(id)) control->setEnabled(true);
}

void DialogControlsAdapter::Disable(int id) {
    if (QWidget* control = dialog_.Control(id)) control->setEnabled(false);
}

}  // namespace app
