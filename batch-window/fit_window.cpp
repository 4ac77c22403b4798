#include "batch-window/fit_window.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>

#include "batch/catalogue_save.h"
#include "batch/detect.h"
#include "fit/saved_system.h"
#include "systems/catalogue_file.h"

namespace batch_window {

namespace {

using controller::CoordinateForm;

constexpr const char* kLocalPlane = "plane";  // the target without a definition
constexpr int kIncludedColumn = 5;            // the box "в уравнивании"

struct ModelChoice {
    fit::Model model;
    const char* title;
};
constexpr ModelChoice kModels[] = {
    {fit::Model::Similarity2d, "подобие 2D — 4 параметра"},
    {fit::Model::Affine2d, "аффинное 2D — 6 параметров"},
    {fit::Model::Helmert7, "Гельмерт 7 — геоцентрические"},
};

struct AngleChoice {
    batch::AngleText angles;
    const char* title;
};
// Degrees first: what GNSS receivers and spreadsheets give.
constexpr AngleChoice kAngles[] = {
    {batch::AngleText::Degrees, "десятичные градусы"},
    {batch::AngleText::Packed, "ГГГММСС.ссс"},
    {batch::AngleText::Dms, "Г:М:С"},
};

// The Russian words of the fit's parameters (fit::Parameter::name).
QString ParameterTitle(const std::string& name) {
    static const std::pair<const char*, const char*> kTitles[] = {
        {"rotation", "поворот"}, {"scale", "масштаб"}, {"m", "масштаб"}};
    for (const auto& [english, russian] : kTitles)
        if (name == english) return QString::fromUtf8(russian);
    return QString::fromStdString(name);
}

QString UnitTitle(const std::string& unit) {
    return unit == "m" ? QStringLiteral("м") : QString::fromStdString(unit);
}

QString Metres(double value) {
    return std::isfinite(value) ? QString::number(value, 'f', 4) : QStringLiteral("—");
}

QString Value(const fit::Parameter& parameter) {
    return parameter.unit.empty() ? QString::number(parameter.value, 'g', 10)
                                  : QString::number(parameter.value, 'f', 4);
}

QTableWidgetItem* Cell(const QString& text, Qt::Alignment alignment = Qt::AlignRight) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

}  // namespace

FitWindow::FitWindow(const systems::Catalogue& catalogue, QWidget* parent)
    : QWidget(parent, Qt::Window), catalogue_(catalogue) {
    setWindowTitle(tr("Ключи по общим точкам"));
    source_ = new QComboBox;
    target_ = new QComboBox;
    plane_ = new QComboBox;
    model_ = new QComboBox;
    angles_ = new QComboBox;
    source_->setObjectName("fitSource");
    target_->setObjectName("fitTarget");
    plane_->setObjectName("fitPlane");
    model_->setObjectName("fitModel");
    angles_->setObjectName("fitAngles");
    for (const ModelChoice& choice : kModels)
        model_->addItem(tr(choice.title), QString::fromUtf8(fit::ModelName(choice.model)));
    for (const AngleChoice& choice : kAngles)
        angles_->addItem(tr(choice.title), static_cast<int>(choice.angles));
    FillSystems();

    auto* choices = new QFormLayout;
    choices->addRow(tr("Исходная система:"), source_);
    choices->addRow(tr("Целевая система:"), target_);
    choices->addRow(tr("Плоскость уравнивания:"), plane_);
    choices->addRow(tr("Модель:"), model_);
    choices->addRow(tr("Углы исходных точек:"), angles_);

    // The lists: a name, then three coordinates, as a spreadsheet's cells paste.
    auto* lists = new QGridLayout;
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    int column = 0;
    for (auto [list, title, name] :
         {std::tuple{&sourceList_, tr("Исходные точки (имя, три координаты):"), "sourceList"},
          std::tuple{&targetList_, tr("Целевые точки (имя, x, y, H):"), "targetList"}}) {
        *list = new QPlainTextEdit;
        (*list)->setObjectName(name);
        (*list)->setFont(fixed);
        (*list)->setLineWrapMode(QPlainTextEdit::NoWrap);
        (*list)->setPlaceholderText(
            tr("Вставьте строки из таблицы: имя и координаты через табуляцию, «;» или "
               "пробелы; десятичная запятая допускается."));
        auto* open = new QPushButton(tr("Открыть…"));
        QPlainTextEdit* edit = *list;
        connect(open, &QPushButton::clicked, this, [this, edit] { OpenList(edit); });
        lists->addWidget(new QLabel(title), 0, column);
        lists->addWidget(open, 0, column + 1, Qt::AlignRight);
        lists->addWidget(edit, 1, column, 1, 2);
        column += 2;
    }

    parameters_ = new QTableWidget(0, 3);
    parameters_->setObjectName("fitParameters");
    parameters_->setHorizontalHeaderLabels({tr("Параметр"), tr("Значение"), tr("Ст. ошибка")});
    parameters_->verticalHeader()->hide();
    parameters_->horizontalHeader()->setStretchLastSection(true);
    summary_ = new QLabel;
    summary_->setObjectName("fitSummary");
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    points_ = new QTableWidget(0, 6);
    points_->setObjectName("fitPoints");
    points_->setHorizontalHeaderLabels({tr("Точка"), tr("dx, м"), tr("dy, м"), tr("Плановая, м"),
                                        tr("Без точки, м"), tr("В уравнивании")});
    points_->horizontalHeaderItem(4)->setToolTip(
        tr("Плановая невязка точки, когда ключи найдены по остальным точкам"));
    points_->verticalHeader()->hide();
    save_ = new QPushButton(tr("Сохранить как систему…"));
    save_->setObjectName("fitSave");
    save_->setEnabled(false);

    auto* results = new QWidget;
    auto* resultsLayout = new QGridLayout(results);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    resultsLayout->addWidget(parameters_, 0, 0);
    resultsLayout->addWidget(points_, 0, 1, 3, 1);
    resultsLayout->addWidget(summary_, 1, 0);
    resultsLayout->addWidget(save_, 2, 0, Qt::AlignLeft | Qt::AlignBottom);
    resultsLayout->setColumnStretch(1, 2);
    resultsLayout->setColumnStretch(0, 1);

    auto* top = new QWidget;
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addLayout(choices, 1);
    topLayout->addLayout(lists, 3);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(top);
    splitter->addWidget(results);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    resize(1100, 720);

    // Typing fits once the keys rest; a choice or a box fits at once.
    auto* typed = new QTimer(this);
    typed->setSingleShot(true);
    typed->setInterval(300);
    connect(typed, &QTimer::timeout, this, &FitWindow::Refit);
    for (QPlainTextEdit* list : {sourceList_, targetList_})
        connect(list, &QPlainTextEdit::textChanged, typed, qOverload<>(&QTimer::start));
    for (QComboBox* choice : {source_, target_, plane_, model_, angles_})
        connect(choice, &QComboBox::currentIndexChanged, this, [this] {
            UpdateChoices();
            Refit();
        });
    connect(points_, &QTableWidget::itemChanged, this, &FitWindow::PointToggled);
    connect(save_, &QPushButton::clicked, this, &FitWindow::SaveAsSystemAsked);
    UpdateChoices();
    ShowFault(tr("Вставьте или откройте оба списка точек."));
}

void FitWindow::SetCatalogue(const systems::Catalogue& catalogue) {
    catalogue_ = catalogue;
    FillSystems();
    UpdateChoices();
    Refit();
}

void FitWindow::FillSystems() {
    const QString source = source_->currentData().toString();
    const QString target = target_->currentData().toString();
    const QString plane = plane_->currentData().toString();
    const QSignalBlocker quietSource(source_), quietTarget(target_), quietPlane(plane_);
    for (QComboBox* list : {source_, target_, plane_})
        list->clear();
    target_->addItem(tr("плоские (местные)"), QString::fromUtf8(kLocalPlane));
    plane_->addItem(tr("как у целевой системы"), QString());
    for (const systems::System& system : catalogue_.systems()) {
        const QString name = QString::fromStdString(system.names.russian);
        const QString id = QString::fromStdString(system.id);
        source_->addItem(name, id);
        target_->addItem(name, id);
        if (system.form == CoordinateForm::Plane) plane_->addItem(name, id);
    }
    const auto choose = [](QComboBox* list, const QString& id, const QString& otherwise) {
        const int at = list->findData(id.isEmpty() ? otherwise : id);
        list->setCurrentIndex(std::max(at, 0));
    };
    choose(source_, source, QStringLiteral("wgs84-blh"));
    choose(target_, target, QString::fromUtf8(kLocalPlane));
    choose(plane_, plane, QStringLiteral("sk42-xyh"));
}

// The plane of the fit is asked for only where the source has no plane of its own.
void FitWindow::UpdateChoices() {
    const systems::System* source =
        catalogue_.Find(source_->currentData().toString().toStdString());
    const bool planeModel = model_->currentData().toString() != "helmert7";
    plane_->setEnabled(planeModel && source && source->form != CoordinateForm::Plane);
    angles_->setEnabled(source && source->form == CoordinateForm::Geodetic);
}

void FitWindow::OpenList(QPlainTextEdit* list) {
    const QString path = QFileDialog::getOpenFileName(this, tr("Список точек"));
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(this, tr("Список точек"),
                             tr("Не удалось открыть %1: %2").arg(path, file.errorString()));
        return;
    }
    list->setPlainText(QString::fromUtf8(file.readAll()));
}

void FitWindow::ShowFault(const QString& text) {
    fitted_.reset();
    save_->setEnabled(false);
    parameters_->setRowCount(0);
    summary_->setText(text);
    summary_->setStyleSheet("color: #b00000");
    const QSignalBlocker quiet(points_);
    points_->setRowCount(0);
}

void FitWindow::Refit() {
    const systems::System* source =
        catalogue_.Find(source_->currentData().toString().toStdString());
    const std::string targetId = target_->currentData().toString().toStdString();
    const systems::System* target = targetId == kLocalPlane ? nullptr : catalogue_.Find(targetId);
    const fit::Model model = *fit::ModelNamed(model_->currentData().toString().toStdString());
    const auto angles = static_cast<batch::AngleText>(angles_->currentData().toInt());
    if (source == nullptr) return ShowFault(tr("Выберите исходную систему."));
    if (model == fit::Model::Helmert7 && target == nullptr) {
        return ShowFault(
            tr("Гельмерт 7 связывает геоцентрические координаты двух датумов, а у "
               "плоских (местных) их нет: выберите модель на плоскости."));
    }
    batch::FitChoices choices;
    choices.source = source;
    choices.target = target;
    choices.planeModel = model != fit::Model::Helmert7;
    if (plane_->isEnabled() && !plane_->currentData().toString().isEmpty())
        choices.plane = plane_->currentData().toString().toStdString();
    if (choices.planeModel && source->form != CoordinateForm::Plane && !choices.plane &&
        (target == nullptr || target->form != CoordinateForm::Plane)) {
        return ShowFault(
            tr("Модель на плоскости уравнивает плоские координаты: выберите "
               "плоскость уравнивания, в которую пересчитать исходные точки."));
    }
    if (const auto fault = batch::PlanFit(catalogue_, choices, plan_))
        return ShowFault(
            tr("Эти системы не уравнять: %1").arg(QString::fromStdString(fault->message)));

    // The lists: the name in the first field, the coordinates in the next three.
    std::vector<batch::NamedPoint> lists[2];
    const QPlainTextEdit* edits[2] = {sourceList_, targetList_};
    const char* names[2] = {"исходный список", "целевой список"};
    const systems::System* systemsOf[2] = {source, target ? target : &plan_.fitPlane};
    for (int side = 0; side < 2; ++side) {
        const std::string text = edits[side]->toPlainText().toStdString();
        if (text.find_first_not_of(" \t\r\n") == std::string::npos)
            return ShowFault(tr("Вставьте или откройте оба списка точек."));
        batch::ListRules rules;
        rules.line.columns = {2, 3, 4};
        rules.line.dms = side == 0 && angles == batch::AngleText::Dms &&
                         source->form == CoordinateForm::Geodetic;
        rules.line.decimalComma = batch::DetectOptions(text, *systemsOf[side]).decimalComma.value;
        rules.line.language = batch::Language::Russian;
        std::string error;
        if (!batch::ReadNamedPoints(text, names[side], rules, lists[side], error))
            return ShowFault(QString::fromStdString(error));
    }
    batch::Matched matched = batch::MatchByName(lists[0], lists[1]);
    pairs_ = matched.pairs;
    batch::PreparedSides sides;
    if (const auto fault =
            batch::PrepareSides(plan_, pairs_, angles, {2, 3, 4}, {names[0], names[1]}, sides,
                                batch::Language::Russian))
        return ShowFault(QString::fromStdString(fault->message));
    zone_ = sides.zone;

    std::vector<fit::CommonPoint> all, included;
    for (std::size_t i = 0; i < pairs_.size(); ++i) {
        all.push_back({pairs_[i].first.name, sides.source[i], sides.target[i]});
        if (!excluded_.contains(QString::fromStdString(pairs_[i].first.name)))
            included.push_back(all.back());
    }
    std::string fault;
    auto fitted = fit::Fit(included, model, 0, fault);
    if (!fitted) {
        ShowFault(tr("Не уравнять по %1 точкам: %2")
                      .arg(included.size())
                      .arg(QString::fromStdString(fault)));
        ShowFit(all);  // the points stay, so that a box can be checked again
        return;
    }
    fitted_ = std::move(fitted);
    fittedPoints_ = included;
    ShowFit(all);
    QStringList notes;
    notes << tr("Точек %1, степеней свободы %2, σ0 = %3 м, допуск %4 м (3σ0), число "
                "обусловленности %5.")
                 .arg(fitted_->pointCount)
                 .arg(fitted_->degreesOfFreedom)
                 .arg(Metres(fitted_->sigma0))
                 .arg(Metres(fitted_->tolerance))
                 .arg(fitted_->conditionNumber, 0, 'g', 3);
    if (!matched.ignored.empty()) {
        QStringList ignored;
        for (const std::string& name : matched.ignored)
            ignored << QString::fromStdString(name);
        notes << tr("Только в одном списке: %1.").arg(ignored.join(", "));
    }
    for (const std::string& warning : sides.warnings)
        notes << QString::fromStdString(warning);
    for (const std::string& warning : fitted_->warnings)
        notes << QString::fromStdString(warning);
    summary_->setText(notes.join('\n'));
    summary_->setStyleSheet(QString());
    save_->setEnabled(!choices.planeModel || plan_.targetProjected);
}

// The parameters, and the points: those in the fit worst first, then those taken out with
// where the fit puts them.
void FitWindow::ShowFit(const std::vector<fit::CommonPoint>& points) {
    const QSignalBlocker quiet(points_);
    parameters_->setRowCount(0);
    points_->setRowCount(0);
    const auto addPoint = [&](const QString& name, const std::array<double, 3>& residual,
                              double planimetric, double leftOut, bool included, bool flagged) {
        const int row = points_->rowCount();
        points_->insertRow(row);
        auto* box = Cell(QString(), Qt::AlignCenter);
        box->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        box->setCheckState(included ? Qt::Checked : Qt::Unchecked);
        QTableWidgetItem* cells[] = {Cell(name, Qt::AlignLeft), Cell(Metres(residual[0])),
                                     Cell(Metres(residual[1])), Cell(Metres(planimetric)),
                                     Cell(Metres(leftOut)),     box};
        cells[0]->setData(Qt::UserRole, flagged);
        for (int column = 0; column < 6; ++column) {
            QTableWidgetItem* cell = cells[column];
            QFont font = cell->font();
            font.setBold(flagged || (included && row == 0));
            cell->setFont(font);
            if (flagged) cell->setForeground(QColor(0xc0, 0, 0));
            if (!included) cell->setForeground(QColor(0x80, 0x80, 0x80));
            points_->setItem(row, column, cell);
        }
    };
    if (fitted_) {
        for (const fit::Parameter& parameter : fitted_->parameters) {
            const int row = parameters_->rowCount();
            parameters_->insertRow(row);
            const QString unit = UnitTitle(parameter.unit);
            parameters_->setItem(row, 0, Cell(ParameterTitle(parameter.name), Qt::AlignLeft));
            parameters_->setItem(row, 1, Cell(Value(parameter) + ' ' + unit));
            parameters_->setItem(
                row, 2, Cell(QString::number(parameter.standardError, 'f', 4) + ' ' + unit));
        }
        for (const fit::PointResidual& point : fitted_->points)
            addPoint(QString::fromStdString(point.name), point.residual, point.planimetric,
                     point.leaveOneOutPlanimetric, true, point.flagged);
    }
    const bool planeModel = !fitted_ || fitted_->model != fit::Model::Helmert7;
    for (const fit::CommonPoint& point : points) {
        const QString name = QString::fromStdString(point.name);
        if (!excluded_.contains(name) && fitted_) continue;
        // A point out of the fit: where the fit puts it (the plane models' x, y).
        std::array<double, 3> residual{NAN, NAN, NAN};
        if (fitted_ && planeModel) {
            const auto fitted = fit::Apply(*fitted_, point.source);
            residual = {point.target[0] - fitted[0], point.target[1] - fitted[1], 0};
        }
        const double planimetric = std::hypot(residual[0], residual[1]);
        addPoint(name, residual, planimetric, planimetric, !excluded_.contains(name), false);
    }
    points_->resizeColumnsToContents();
    parameters_->resizeColumnsToContents();
}

void FitWindow::PointToggled(QTableWidgetItem* item) {
    if (item->column() != kIncludedColumn) return;
    const QString name = points_->item(item->row(), 0)->text();
    excluded_.removeAll(name);
    if (item->checkState() != Qt::Checked) excluded_ << name;
    // Refit rebuilds the table this item belongs to: after the signal returns.
    QTimer::singleShot(0, this, &FitWindow::Refit);
}

bool FitWindow::SaveAsSystem(const QString& id, const QString& name, QString* error) {
    if (!fitted_ || !save_->isEnabled()) {
        *error = tr("Нечего сохранить: ключи не найдены или целевая система не плоская.");
        return false;
    }
    static const QRegularExpression kId("^[a-z0-9][a-z0-9-]*$");
    if (!kId.match(id).hasMatch()) {
        *error = tr("Id «%1»: строчные латинские буквы, цифры и «-».").arg(id);
        return false;
    }
    if (name.trimmed().isEmpty()) {
        *error = tr("Дайте системе название.");
        return false;
    }
    const bool helmert = fitted_->model == fit::Model::Helmert7;
    const std::string ownId = id.toStdString();
    if (const systems::System* taken = catalogue_.Find(ownId);
        taken || (helmert && catalogue_.FindDatum(ownId))) {
        *error = tr("Id «%1» уже занят%2; выберите другой.")
                     .arg(id, taken && !taken->definedIn.empty()
                                  ? tr(" (%1)").arg(QString::fromStdString(taken->definedIn))
                                  : QString());
        return false;
    }
    if (catalogue_.Find(name.toStdString())) {
        *error = tr("Название «%1» уже есть в каталоге; дайте другое.").arg(name);
        return false;
    }
    const std::string file = systems::UserCatalogueFile();
    if (file.empty()) {
        *error = tr("Не найти папку настроек: не заданы ни XDG_CONFIG_HOME, ни HOME.");
        return false;
    }
    const batch::FitChoices& choices = plan_.choices;
    fit::SavedSystem saved{.id = ownId,
                           .name = name.toStdString(),
                           .source = choices.source,
                           .target = choices.target,
                           .fitPlane = &plan_.fitPlane,
                           .zone = zone_,
                           .program = "coordconv-batch"};
    if (helmert && choices.target->zones != systems::Zones::None) {
        batch::NamedPairs kept;
        for (const auto& pair : pairs_)
            if (!excluded_.contains(QString::fromStdString(pair.first.name))) kept.push_back(pair);
        if (const auto fault = batch::TargetZone(*choices.target, kept, "целевой список",
                                                 plan_.zone, saved.zone)) {
            *error = tr("Не сохранено, точки в разных зонах: %1")
                         .arg(QString::fromStdString(fault->message));
            return false;
        }
    }
    std::string fault;
    const auto tables = fit::SavedTables(saved, *fitted_, fittedPoints_, 0, fault);
    batch::CatalogueSave save;
    save.id = ownId;
    save.name = saved.name;
    save.datum = helmert;
    save.file = file;
    save.catalogue = &catalogue_;
    if (tables && batch::CheckSaveId(save, fault) == batch::SaveFault::None &&
        batch::SaveTables(save, *tables, fault) == batch::SaveFault::None) {
        emit systemSaved(id);
        return true;
    }
    *error = tr("Не сохранено: %1").arg(QString::fromStdString(fault));
    return false;
}

void FitWindow::SaveAsSystemAsked() {
    bool given = false;
    const QString id =
        QInputDialog::getText(this, tr("Сохранить как систему"),
                              tr("Id системы (строчные латинские буквы, цифры и «-»):"),
                              QLineEdit::Normal, QStringLiteral("msk-"), &given);
    if (!given) return;
    const QString name =
        QInputDialog::getText(this, tr("Сохранить как систему"), tr("Название системы:"),
                              QLineEdit::Normal, tr("МСК по общим точкам"), &given);
    if (!given) return;
    QString error;
    if (!SaveAsSystem(id.trimmed(), name.trimmed(), &error)) {
        QMessageBox::warning(this, tr("Сохранить как систему"), error);
        return;
    }
    QMessageBox::information(this, tr("Сохранить как систему"),
                             tr("Система %1 добавлена в каталог %2.")
                                 .arg(id, QString::fromStdString(systems::UserCatalogueFile())));
}

}  // namespace batch_window
