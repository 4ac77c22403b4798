#include "framework/frame_window.h"

#include <QCloseEvent>

#include "framework/application.h"
#include "framework/dialog.h"

namespace framework {

TFrameWindow::TFrameWindow(QWidget* parent, const QString& caption, TDialog* client,
                           bool shrinkToClient)
    : QWidget(parent), client_(client), shrinkToClient_(shrinkToClient) {
    setWindowTitle(caption);
    if (client_) {
        client_->setParent(this);
        // The dialog's window gone: the frame closes itself, once the current event is done.
        connect(client_, &TDialog::WindowDestroyed, this,
                [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); });
    }
}

void TFrameWindow::Create() {
    if (!client_) return;
    client_->SetUpDialog();
    if (shrinkToClient_) {
        resize(client_->ClientSize());
        setMinimumSize(client_->ClientSize());  // larger, never so small it cuts controls off
        shrinkToClient_ = false;                // the user may resize freely from now on
    }
    PlaceClient();
    if (QWidget* first = client_->FirstTabStop()) first->setFocus(Qt::OtherFocusReason);
}

bool TFrameWindow::CanClose() {
    return !client_ || client_->CanClose();
}

void TFrameWindow::closeEvent(QCloseEvent* event) {
    if (windowDestroyed_) return;
    TApplication* application = TApplication::Instance();
    const bool mayClose = application ? application->CanClose() : CanClose();
    if (!mayClose) {
        event->ignore();
        return;
    }
    event->accept();
    windowDestroyed_ = true;
    emit WindowDestroyed();
}

void TFrameWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceClient();
}

void TFrameWindow::PlaceClient() {
    if (!client_) return;
    // The dialog's border lies just outside the client area.
    const int border = TDialog::BorderWidth;
    client_->setGeometry(-border, -border, width() + 2 * border, height() + 2 * border);
}

}  // namespace framework
