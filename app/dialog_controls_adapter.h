// The controller's view of the conversion dialog's controls, over the real widgets.
#pragma once

#include "controller/dialog_controls.h"

namespace framework {
class TDialog;
}

namespace app {

class DialogControlsAdapter : public controller::DialogControls {
  public:
    explicit DialogControlsAdapter(framework::TDialog& dialog) : dialog_(dialog) {}

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

  private:
    void ExplainField(int label, std::string_view name);

    framework::TDialog& dialog_;
};

}  // namespace app
