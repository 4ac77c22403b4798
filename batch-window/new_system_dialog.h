// "Новая система…": a transverse Mercator system of the user's (an МСК, a site grid) typed
// field by field, checked by the catalogue reader itself and appended to the user's file.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <optional>

#include "systems/catalogue.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace batch_window {

class NewSystemDialog : public QDialog {
    Q_OBJECT

  public:
    // `catalogue`: the systems the window holds, from which the datums are offered and
    // against which the new system is checked; `file`: the catalogue file it goes into.
    NewSystemDialog(const systems::Catalogue& catalogue, QString file, QWidget* parent = nullptr);

    // The id of the system written (after the dialog is accepted).
    QString SystemId() const;

    // Russian letters as Latin ones, anything but letters and digits as one '-': the id a
    // name suggests ("МСК-50, зона 1" → "msk-50-zona-1").
    static QString SuggestedId(const QString& name);

    // Builds the system, has the reader check its table and appends it to the file; on any
    // fault the dialog stays open and says why.
    void accept() override;

  private:
    std::optional<systems::System> SystemFromFields();
    void Refuse(const QString& why, QWidget* field);

    systems::Catalogue catalogue_;  // a copy: a refused system leaves the window's untouched
    QString file_;
    QLineEdit* name_;
    QLineEdit* id_;
    bool idTyped_ = false;  // the user wrote the id: the name no longer suggests one
    QComboBox* datum_;
    std::array<QLineEdit*, 5> projection_;  // as kProjectionFields in the .cpp
    QGroupBox* keys_;
    std::array<QLineEdit*, 4> keyFields_;  // as kKeyFields
    QLabel* problem_;
};

}  // namespace batch_window
