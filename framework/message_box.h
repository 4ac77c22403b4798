// Message boxes. An owner-less box leaves every window of the program usable while it
// waits, so several can be open at once; a warning is modal to its owner's window.
#pragma once

#include <QMessageBox>
#include <QString>

namespace framework {

// Shows a box without owner and returns when the user has dismissed it (or the program
// is ending). The caller's objects may be gone by then: touch nothing after it returns
// unless the program is still running.
void ShowOwnerlessBox(QMessageBox::Icon icon, const QString& caption, const QString& text);

// A warning with an exclamation icon and an OK button, modal to the owner's window;
// afterwards the owner has the focus again.
void ShowWarning(QWidget* owner, const QString& caption, const QString& text);

// The name of the program file without its directory: the caption of error boxes.
QString ProgramFileName();

}  // namespace framework
