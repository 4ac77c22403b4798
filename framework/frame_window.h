// The main window: a resizable top-level frame whose client is a dialog. It fits itself
// to the dialog once, keeps the dialog filling its client area on every resize, and
// closes itself when the dialog's window is gone.
#pragma once

#include <QPointer>
#include <QWidget>

#include "framework/dialog.h"

namespace framework {

class TFrameWindow : public QWidget {
    Q_OBJECT
  public:
    // The frame takes the client as its child; with shrinkToClient it fits itself to it
    // and never becomes smaller.
    TFrameWindow(QWidget* parent, const QString& caption, TDialog* client, bool shrinkToClient);

    // Creates the window: the client is set up and the frame fits itself to it.
    void Create();

    TDialog* Client() const { return client_; }

    // Asks the client dialog, if its window still exists, and through it every control.
    bool CanClose();

    // Closes the window after asking; emits WindowDestroyed when it is gone.
    bool IsWindowDestroyed() const { return windowDestroyed_; }

  signals:
    void WindowDestroyed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void PlaceClient();

    QPointer<TDialog> client_;
    bool shrinkToClient_;
    bool windowDestroyed_ = false;
};

}  // namespace framework
