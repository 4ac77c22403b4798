// The page «Ключи по общим точкам»: a transformation fitted to points known in two systems
// (pasted from a spreadsheet or opened from files), every point's residual with a box that
// takes it out of the fit, and the fit saved as a system of the user's catalogue.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <string>
#include <vector>

#include "batch/fit_sides.h"
#include "fit/fit.h"
#include "systems/catalogue.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

namespace batch_window {

class FitWindow : public QWidget {
    Q_OBJECT

  public:
    explicit FitWindow(const systems::Catalogue& catalogue, QWidget* parent = nullptr);

    // The catalogue the lists of systems come from (after it is read again); choices stay.
    void SetCatalogue(const systems::Catalogue& catalogue);
    // Saves the fit shown as system `id` named `name` in the user's catalogue, as
    // coordconv-fit --save does; false with the reason (in Russian) when it is not saved.
    bool SaveAsSystem(const QString& id, const QString& name, QString* error);
    // The fit shown, if any.
    const std::optional<fit::Result>& Fitted() const { return fitted_; }

  public slots:
    // Fits again with the choices, the lists and the points taken out as they are now.
    void Refit();
    void SaveAsSystemAsked();

  signals:
    // A system was added to the user's catalogue file.
    void systemSaved(const QString& id);

  private:
    void FillSystems();
    void UpdateChoices();
    void OpenList(QPlainTextEdit* list);
    void ShowFault(const QString& text);
    void ShowFit(const std::vector<fit::CommonPoint>& points);
    void PointToggled(QTableWidgetItem* item);

    systems::Catalogue catalogue_;
    QComboBox* source_;
    QComboBox* target_;
    QComboBox* plane_;
    QComboBox* model_;
    QComboBox* angles_;
    QPlainTextEdit* sourceList_;
    QPlainTextEdit* targetList_;
    QTableWidget* parameters_;
    QLabel* summary_;
    QTableWidget* points_;
    QPushButton* save_;

    QStringList excluded_;  // names of points unchecked, out of the fit
    // What a save needs of the fit shown.
    std::optional<fit::Result> fitted_;
    std::vector<fit::CommonPoint> fittedPoints_;
    batch::FitPlan plan_;
    batch::NamedPairs pairs_;
    int zone_ = 0;
};

}  // namespace batch_window
