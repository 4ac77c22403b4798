#include "fake_controls.h"

#include "controller/control_ids.h"

namespace controller::testing {

FakeControls::FakeControls() {
    const struct {
        int id;
        const char* text;
        bool visible;
    } kTemplate[] = {
        {AboutButton, "Справка", true},
        {SourceList, "ComboBox3", true},
        {TargetList, "ComboBox5", true},
        {105, "X", true},
        {106, "Y", true},
        {107, "Z", true},
        {108, "0", true},
        {109, "0", true},
        {110, "0", true},
        {111, "X", true},
        {112, "Y", true},
        {113, "Z", true},
        {114, "0", true},
        {115, "0", true},
        {116, "0", true},
        {ConvertButton, "Перевод --->", true},
        {ClearResultsButton, "Отменить", false},
        {CloseButton, "Закрыть", true},
        {MoveButton, " <--- Переместить", true},
        {SourceCaption, "Из системы координат:", true},
        {TargetCaption, "в систему координат", true},
        {RequestedZoneLabel, "Пересчитать в зону", false},
        {RequestedZoneField, "0", false},
        {UsedZoneLabel, "Зона", false},
        {UsedZoneField, "0", false},
    };
    for (const auto& c : kTemplate) {
        controls_[c.id] = FakeControl{c.text, {}, -1, c.visible, true};
    }
    controls_[ClearResultsButton].enabled = false;
}

std::string FakeControls::Text(int id) const {
    Record("read " + std::to_string(id));
    return controls_.at(id).text;
}

void FakeControls::SetText(int id, std::string_view text) {
    Record("set " + std::to_string(id) + " " + std::string(text));
    controls_.at(id).text = text;
}

void FakeControls::ClearList(int id) {
    Record("clear " + std::to_string(id));
    controls_.at(id).entries.clear();
    controls_.at(id).selected = -1;
}

void FakeControls::AppendToList(int id, std::string_view entry) {
    Record("append " + std::to_string(id) + " " + std::string(entry));
    controls_.at(id).entries.emplace_back(entry);
}

void FakeControls::SelectListIndex(int id, int index) {
    Record("select " + std::to_string(id) + " " + std::to_string(index));
    auto& list = controls_.at(id);
    list.selected = index >= 0 && index < static_cast<int>(list.entries.size()) ? index : -1;
}

bool FakeControls::Pick(int list, std::string_view entry) {
    auto& control = controls_.at(list);
    for (std::size_t i = 0; i < control.entries.size(); ++i) {
        if (control.entries[i] == entry) {
            control.selected = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

int FakeControls::SelectedListIndex(int id) const {
    return controls_.at(id).selected;
}

std::string FakeControls::SelectedListText(int id) const {
    Record("read selection " + std::to_string(id));
    const auto& list = controls_.at(id);
    return list.selected >= 0 ? list.entries[list.selected] : std::string();
}

void FakeControls::Show(int id) {
    Record("show " + std::to_string(id));
    controls_.at(id).visible = true;
}

void FakeControls::Hide(int id) {
    Record("hide " + std::to_string(id));
    controls_.at(id).visible = false;
}

void FakeControls::Enable(int id) {
    Record("enable " + std::to_string(id));
    controls_.at(id).enabled = true;
}

void FakeControls::Disable(int id) {
    Record("disable " + std::to_string(id));
    controls_.at(id).enabled = false;
}

}  // namespace controller::testing
