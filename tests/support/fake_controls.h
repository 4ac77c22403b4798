// An in-memory stand-in for the dialog's controls (text, list entries and selection,
// visibility, enabled state), and the invariants the dialog keeps after every operation.
#pragma once

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "controller/controller.h"
#include "properties.h"

namespace controller::testing {

struct FakeControl {
    std::string text = "0";
    std::vector<std::string> entries;
    int selected = -1;
    bool visible = true;
    bool enabled = true;
};

class FakeControls : public DialogControls {
  public:
    // The controls as the dialog is created, before it is set up: the zone controls and
    // "Отменить" hidden, "Отменить" disabled as well; labels are written by the set-up.
    FakeControls() {
        for (int id = CloseButton; id <= UsedZoneField; ++id)
            controls_[id];
        controls_[AboutButton];
        for (int id : ZoneGroup)
            controls_[id].visible = false;
        controls_[ClearResultsButton] = {"", {}, -1, false, false};
    }

    std::string Text(int id) const override { return controls_.at(id).text; }
    void SetText(int id, std::string_view text) override { controls_.at(id).text = text; }
    void ClearList(int id) override {
        controls_.at(id).entries.clear();
        controls_.at(id).selected = -1;
    }
    void AppendToList(int id, std::string_view entry) override {
        controls_.at(id).entries.emplace_back(entry);
    }
    void SelectListIndex(int id, int index) override {
        auto& list = controls_.at(id);
        list.selected = index >= 0 && index < static_cast<int>(list.entries.size()) ? index : -1;
    }
    int SelectedListIndex(int id) const override { return controls_.at(id).selected; }
    std::string SelectedListText(int id) const override {
        const auto& list = controls_.at(id);
        return list.selected >= 0 ? list.entries[list.selected] : std::string();
    }
    void Show(int id) override { controls_.at(id).visible = true; }
    void Hide(int id) override { controls_.at(id).visible = false; }
    void Enable(int id) override { controls_.at(id).enabled = true; }
    void Disable(int id) override { controls_.at(id).enabled = false; }

    FakeControl& operator[](int id) { return controls_.at(id); }

    // What the user does: pick a list entry by its text, with the list's notification.
    bool Pick(int list, std::string_view entry) {
        auto& c = controls_.at(list);
        const auto at = std::find(c.entries.begin(), c.entries.end(), entry);
        if (at == c.entries.end()) return false;
        c.selected = static_cast<int>(at - c.entries.begin());
        list == SourceList ? CbnSourceSelChange(*this) : CbnTargetSelChange(*this);
        return true;
    }
    void Type(const std::array<int, 3>& fields, const std::vector<std::string>& texts) {
        for (int i = 0; i < 3; ++i)
            controls_[fields[i]].text = texts.at(i);
    }
    std::vector<std::string> Texts(const std::array<int, 3>& fields) const {
        return {Text(fields[0]), Text(fields[1]), Text(fields[2])};
    }
    static std::vector<std::string> Zeros() { return {"0", "0", "0"}; }

    // The dialog's invariants, or what breaks them: both lists select an entry, the
    // target list is the source's offered one, the zone group is shown and enabled
    // exactly for plane targets, "Отменить" never appears, results are number texts.
    const char* Problem() const {
        const auto& source = controls_.at(SourceList);
        const auto& target = controls_.at(TargetList);
        if (source.entries.size() != 7 || source.selected < 0 || target.selected < 0)
            return "a list has no selection";
        const auto offered = OfferedTargets(*FindSystemByName(source.entries[source.selected]));
        if (target.entries.size() != offered.size()) return "the target list is not offered";
        for (std::size_t i = 0; i < offered.size(); ++i) {
            if (target.entries[i] != DisplayName(offered[i]))
                return "the target list is not offered";
        }
        const bool plane =
            target.entries[target.selected] == DisplayName(CoordinateSystem::Sk42Xyh);
        for (int id : ZoneGroup) {
            if (controls_.at(id).visible != plane || controls_.at(id).enabled != plane)
                return "a zone control is shown or enabled wrongly";
        }
        const auto& clear = controls_.at(ClearResultsButton);
        if (clear.visible || clear.enabled) return "\"Отменить\" appeared";
        for (int id : ResultFields) {
            if (!testing_support::IsResultText(controls_.at(id).text))
                return "a result is no number text";
        }
        return nullptr;
    }

    // One user action, chosen by `what` (0 to 6) with a choice and a text, then what it
    // promises beyond the invariants: a new source keeps the inputs and clears the
    // results; a new target clears the results; a conversion changes neither inputs nor
    // lists, and a conversion to plane coordinates writes the zone used into both zone
    // fields; a move makes the target the source, the results the inputs with their values
    // (a result that is not finite as 0) and the used zone the requested one (61 as 1).
    const char* Act(int what, int choice, const std::string& text) {
        const FakeControls before = *this;
        switch (what % 7) {
            case 0:
            case 1: {
                const int list = what % 7 ? TargetList : SourceList;
                controls_[list].selected = choice % int(controls_[list].entries.size());
                list == SourceList ? CbnSourceSelChange(*this) : CbnTargetSelChange(*this);
                if (Texts(ResultFields) != Zeros()) return "the results stayed";
                return Texts(InputFields) == before.Texts(InputFields) ? Problem() : "inputs lost";
            }
            case 2:
            case 3:
                controls_[what % 7 == 2 ? InputFields[choice % 3] : RequestedZoneField].text = text;
                return Problem();
            case 4:
                CmConvert(*this);
                if (Texts(InputFields) != before.Texts(InputFields)) return "the inputs changed";
                if (controls_[UsedZoneField].visible &&
                    Text(UsedZoneField) != Text(RequestedZoneField))
                    return "the zone used is not the requested zone";
                return Problem();
            case 5: {
                CmMove(*this);
                if (SelectedListText(SourceList) != before.SelectedListText(TargetList))
                    return "the target did not become the source";
                for (int i = 0; i < 3; ++i) {
                    const double result = ParseReal(before.Text(ResultFields[i]));
                    if (ParseReal(Text(InputFields[i])) != (std::isfinite(result) ? result : 0))
                        return "a result moved wrongly";
                }
                const std::string used = before.Text(UsedZoneField);
                if (Text(RequestedZoneField) != (used == "61" ? "1" : used) ||
                    Text(UsedZoneField) != "0")
                    return "the used zone did not move";
                return Problem();
            }
            default:
                controls_[ResultFields[choice % 3]].text = text;
                CmMove(*this);
                return Problem();
        }
    }

  private:
    std::map<int, FakeControl> controls_;
};

}  // namespace controller::testing
