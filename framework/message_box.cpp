#include "framework/message_box.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPointer>

#include "framework/control_id.h"

namespace framework {

namespace {

// The OK button of a box counts as the dialog command IDOK, so that a field losing the
// focus to it starts no validation of its own.
void MarkOkButton(QMessageBox* box) {
    if (QAbstractButton* ok = box->button(QMessageBox::Ok)) SetControlId(ok, IdOk);
}

}  // namespace

void ShowOwnerlessBox(QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QPointer<QMessageBox> box = new QMessageBox(icon, caption, text, QMessageBox::Ok, nullptr);
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    MarkOkButton(box);

    QEventLoop loop;
    QObject::connect(box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    QObject::connect(box, &QObject::destroyed, &loop, &QEventLoop::quit);
    box->show();
    box->activateWindow();
    loop.exec();
    delete box.data();
}

void ShowWarning(QWidget* owner, const QString& caption, const QString& text) {
    QPointer<QWidget> field = owner;
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::WindowModal);
    MarkOkButton(&box);
    box.exec();
    if (field) {
        field->window()->activateWindow();
        field->setFocus(Qt::OtherFocusReason);
    }
}

QString ProgramFileName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

}  // namespace framework
