// An in-memory stand-in for the dialog's controls: every control's text, list entries and
// selection, visibility and enabled state, and a log of the calls in the order made.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "controller/dialog_controls.h"

namespace controller::testing {

struct FakeControl {
    std::string text;
    std::vector<std::string> entries;
    int selected = -1;
    bool visible = true;
    bool enabled = true;
};

class FakeControls : public DialogControls {
  public:
    // The controls as template 100 creates them, before the dialog is set up.
    FakeControls();

    std::string Text(int id) const override;
    void SetText(int id, std::string_view text) override;
    void ClearList(int id) override;
    void AppendToList(int id, std::string_view entry) override;
    void SelectListIndex(int id, int index) override;
    int SelectedListIndex(int id) const override;
    std::string SelectedListText(int id) const override;
    void Show(int id) override;
    void Hide(int id) override;
    void Enable(int id) override;
    void Disable(int id) override;

    // Selects the entry of a list with this text, as the user picks it (no notification
    // is raised); false when the list has no such entry.
    bool Pick(int list, std::string_view entry);

    FakeControl& operator[](int id) { return controls_.at(id); }
    const FakeControl& operator[](int id) const { return controls_.at(id); }

    // "read 108", "set 114 0", "hide 123", "select 104 0", … in call order.
    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

  private:
    void Record(std::string entry) const { log_.push_back(std::move(entry)); }

    std::map<int, FakeControl> controls_;
    mutable std::vector<std::string> log_;
};

}  // namespace controller::testing
