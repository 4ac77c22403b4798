// The application: creates its main window, runs the event loop until the main window
// is gone, and returns the loop's status. RunProgram is the process's entry around it.
#pragma once

#include <QPointer>

#include "framework/frame_window.h"

namespace framework {

class TApplication {
  public:
    TApplication();
    virtual ~TApplication();
    TApplication(const TApplication&) = delete;
    TApplication& operator=(const TApplication&) = delete;

    // Creates the main window, shows it and runs the event loop; 0 after a normal close.
    int Run();

    // The per-instance set-up that Run begins with: the main window created and shown.
    void InitInstance();

    // Asks the main window whether the program may close.
    bool CanClose();

    TFrameWindow* MainWindow() const { return mainWindow_; }
    static TApplication* Instance() { return instance_; }

  protected:
    // Creates the main window and makes it the application's main window.
    virtual void CreateMainWindow() = 0;
    void SetMainWindow(TFrameWindow* frame);

  private:
    QPointer<TFrameWindow> mainWindow_;
    static TApplication* instance_;
};

using EntryFunction = int (*)(int argc, char** argv);

// The process's entry: sets up the windowing system (ignoring the command line), runs
// entry, and shows an exception that escapes it in a box captioned "Unhandled Exception",
// ending with status −1.
int RunProgram(int argc, char** argv, EntryFunction entry);

}  // namespace framework
