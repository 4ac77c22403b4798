#include "app/test_app.h"

#include <QIcon>

#include "app/reverse.h"
#include "engine/math_error.h"
#include "framework/frame_window.h"
#include "framework/message_box.h"

// The icons are compiled into this library; a static library must load them itself.
static void LoadIcons() {
    Q_INIT_RESOURCE(coordconv);
}

namespace app {

void TTestApp::CreateMainWindow() {
    auto* dialog = new Reverse(nullptr);
    auto* frame = new framework::TFrameWindow(nullptr, QStringLiteral("Перевычисление координат"),
                                              dialog, true);
    LoadIcons();
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/coordconv-48.png"));
    icon.addFile(QStringLiteral(":/icons/coordconv-256.png"));
    frame->setWindowIcon(icon);
    SetMainWindow(frame);
}

int ProgramMain(int, char**) {
    InstallMathErrorBox();
    TTestApp application;
    return application.Run();
}

void InstallMathErrorBox() {
    engine::SetMathErrorHandler([](const char* function, const char* kind) {
        framework::ShowOwnerlessBox(
            QMessageBox::Critical, framework::ProgramFileName(),
            QString::fromStdString(engine::FormatMathError(function, kind)));
    });
}

}  // namespace app
