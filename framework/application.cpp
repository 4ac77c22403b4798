#include "framework/application.h"

#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

#include <QApplication>

#include "framework/frame_window.h"
#include "framework/message_box.h"

namespace framework {

TApplication* TApplication::instance_ = nullptr;

TApplication::TApplication() {
    instance_ = this;
}

TApplication::~TApplication() {
    delete mainWindow_.data();
    if (instance_ == this) instance_ = nullptr;
}

void TApplication::SetMainWindow(TFrameWindow* frame) {
    mainWindow_ = frame;
}

bool TApplication::CanClose() {
    return !mainWindow_ || mainWindow_->CanClose();
}

int TApplication::Run() {
    InitInstance();
    return QApplication::exec();
}

void TApplication::InitInstance() {
    CreateMainWindow();
    if (!mainWindow_) throw std::runtime_error("Не удалось создать главное окно");
    // The main window gone, the loop ends with status 0. The windows themselves are
    // destroyed only after the loop, so no handler still running in a nested loop (an
    // open message box) outlives its objects.
    QObject::connect(mainWindow_, &TFrameWindow::WindowDestroyed, mainWindow_,
                     [frame = mainWindow_] {
                         frame->hide();
                         QCoreApplication::exit(0);
                     });
    mainWindow_->Create();
    mainWindow_->show();
    mainWindow_->activateWindow();
}

namespace {

void ShowUnhandledException(const char* message) {
    const QString text =
        message && *message ? QString::fromUtf8(message) : QStringLiteral("Unknown Exception");
    ShowOwnerlessBox(QMessageBox::Critical, QStringLiteral("Unhandled Exception"), text);
}

// Exceptions must not travel through Qt's event dispatch: one that escapes a handler is
// shown once and ends the program with status −1.
class GuardedApplication : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            Fail(e.what());
        } catch (...) {
            Fail(nullptr);
        }
        return false;
    }

  private:
    void Fail(const char* message) {
        if (failed_) return;
        failed_ = true;
        ShowUnhandledException(message);
        QCoreApplication::exit(-1);
    }
    bool failed_ = false;
};

}  // namespace

int RunProgram(int argc, char** argv, EntryFunction entry) {
    // The command line is not the windowing system's either: Qt sees the program name only.
    static int qtArgc = 1;
    static char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("coordconv"), nullptr};
    std::optional<GuardedApplication> qt;
    if (!QCoreApplication::instance()) qt.emplace(qtArgc, qtArgv);
    QApplication::setQuitOnLastWindowClosed(false);
    try {
        return entry(argc, argv);
    } catch (const std::exception& e) {
        ShowUnhandledException(e.what());
    } catch (...) {
        ShowUnhandledException(nullptr);
    }
    return -1;
}

}  // namespace framework
