// The application: its main window is a frame captioned "Перевычисление координат"
// whose client is the conversion dialog.
#pragma once

#include "framework/application.h"

namespace app {

class TTestApp : public framework::TApplication {
  protected:
    void CreateMainWindow() override;
};

// The entry function: ignores its arguments, runs the application, returns its status.
int ProgramMain(int argc, char** argv);

// Shows the mathematics library's error reports in a box without owner.
void InstallMathErrorBox();

}  // namespace app
