// The conversion dialog: template 100, its table of responses, its set-up, and the
// binding of the controller's operations to its controls.
#pragma once

#include "app/dialog_controls_adapter.h"
#include "framework/dialog.h"

namespace app {

class Reverse : public framework::TDialog {
    Q_OBJECT
  public:
    explicit Reverse(QWidget* parent = nullptr);

    // Fills the source list, applies its first system and writes "0" into the inputs.
    void SetUpDialog() override;

  protected:
    bool FindResponse(int notification, int id) override;

  private:
    void CmClose();
    void CmAbout();
    void CmConvert();
    void CmMove();
    void CbnSourceSelChange();
    void CbnTargetSelChange();
    void ClearResults();

    DialogControlsAdapter controls_;
};

// The five lines of the About box.
QString AboutText();

}  // namespace app
