// What the dialog operations need of the dialog's controls, addressed by control id.
// The window implements it over its real controls; tests over an in-memory fake.
#pragma once

#include <string>
#include <string_view>

namespace controller {

class DialogControls {
  public:
    virtual ~DialogControls() = default;

    // The whole text of a field or label (UTF-8).
    virtual std::string Text(int id) const = 0;
    virtual void SetText(int id, std::string_view text) = 0;

    // Drop-down lists: entries in the order appended; selecting from the program raises
    // no selection-change notification.
    virtual void ClearList(int id) = 0;
    virtual void AppendToList(int id, std::string_view entry) = 0;
    virtual void SelectListIndex(int id, int index) = 0;
    virtual int SelectedListIndex(int id) const = 0;         // −1 when nothing is selected
    virtual std::string SelectedListText(int id) const = 0;  // "" when nothing is selected

    virtual void Show(int id) = 0;
    virtual void Hide(int id) = 0;
    virtual void Enable(int id) = 0;
    virtual void Disable(int id) = 0;
};

}  // namespace controller
