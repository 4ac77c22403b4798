#include "batch-window/new_system_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

#include "batch-window/user_catalogue.h"
#include "systems/catalogue_file.h"

namespace batch_window {

namespace {

using Projection = engine::TransverseMercatorParameters;

// The projection's fields: the label, the object's and the catalogue's names, what a new
// dialog shows, and where the number goes.
struct ProjectionField {
    const char* label;
    const char* tomlKey;
    const char* initial;
    double Projection::*value;
};
constexpr ProjectionField kProjectionFields[] = {
    {"Осевой меридиан (°):", "lon_0", "", &Projection::centralMeridian},
    {"Широта начала (°):", "lat_0", "0", &Projection::originLatitude},
    {"Масштаб:", "k", "1", &Projection::scale},
    {"Сдвиг на восток, x_0 (м):", "x_0", "0", &Projection::falseEasting},
    {"Сдвиг на север, y_0 (м):", "y_0", "0", &Projection::falseNorthing},
};

// The plane keys as a similarity, in the order systems::Similarity takes them.
struct KeyField {
    const char* label;
    const char* tomlKey;
};
constexpr KeyField kKeyFields[] = {
    {"Сдвиг x (м):", "dx"},
    {"Сдвиг y (м):", "dy"},
    {"Поворот (″):", "rotation"},
    {"Масштаб (ppm):", "scale_ppm"},
};

// The Latin letters of each Russian one, а to я (the passport style of transliteration).
constexpr const char* kLatin[] = {"a",  "b",  "v",  "g",    "d", "e", "zh", "z", "i",  "y", "k",
                                  "l",  "m",  "n",  "o",    "p", "r", "s",  "t", "u",  "f", "kh",
                                  "ts", "ch", "sh", "shch", "",  "y", "",   "e", "yu", "ya"};
static_assert(std::size(kLatin) == u'я' - u'а' + 1);

// A number typed with a decimal comma or point; none unless the whole text is a finite one.
std::optional<double> Number(const QLineEdit* field) {
    bool ok = false;
    const double value = QString(field->text()).replace(',', '.').trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

NewSystemDialog::NewSystemDialog(const systems::Catalogue& catalogue, QString file, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), file_(std::move(file)) {
    setWindowTitle(tr("Новая система"));
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);  // ids and messages on one line
    auto* form = new QFormLayout;
    name_ = new QLineEdit;
    name_->setPlaceholderText(tr("МСК-50, зона 1"));
    id_ = new QLineEdit;
    id_->setValidator(new QRegularExpressionValidator(QRegularExpression("[a-z0-9-]*"), id_));
    id_->setToolTip(
        tr("Строчные латинские буквы, цифры и «-»: так систему называет "
           "coordconv-cli"));
    datum_ = new QComboBox;
    for (const systems::Datum& datum : catalogue_.datums()) {
        datum_->addItem(QString::fromStdString(datum.name.russian + " — " + datum.id),
                        QString::fromStdString(datum.id));
    }
    // Most МСК sit on SK-42: the usual choice first.
    datum_->setCurrentIndex(std::max(0, datum_->findData(QStringLiteral("sk42"))));
    name_->setObjectName("name");
    id_->setObjectName("id");
    datum_->setObjectName("datum");
    form->addRow(tr("Название:"), name_);
    form->addRow(tr("Идентификатор:"), id_);
    form->addRow(tr("Система отсчёта:"), datum_);
    for (std::size_t i = 0; i < projection_.size(); ++i) {
        projection_[i] = new QLineEdit(kProjectionFields[i].initial);
        projection_[i]->setObjectName(kProjectionFields[i].tomlKey);
        form->addRow(tr(kProjectionFields[i].label), projection_[i]);
    }
    keys_ = new QGroupBox(tr("Ключи"));
    keys_->setObjectName("keys");
    keys_->setCheckable(true);
    keys_->setChecked(false);
    auto* keysForm = new QFormLayout(keys_);
    for (std::size_t i = 0; i < keyFields_.size(); ++i) {
        keyFields_[i] = new QLineEdit("0");
        keyFields_[i]->setObjectName(kKeyFields[i].tomlKey);
        keysForm->addRow(tr(kKeyFields[i].label), keyFields_[i]);
    }
    problem_ = new QLabel;
    problem_->setObjectName("problem");
    problem_->setWordWrap(true);
    problem_->setStyleSheet("color: red");
    problem_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Добавить в каталог"));
    connect(buttons, &QDialogButtonBox::accepted, this, &NewSystemDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &NewSystemDialog::reject);
    // The id follows the name until the user writes one.
    connect(name_, &QLineEdit::textChanged, this, [this](const QString& name) {
        if (!idTyped_) id_->setText(SuggestedId(name));
    });
    connect(id_, &QLineEdit::textEdited, this,
            [this](const QString& id) { idTyped_ = !id.isEmpty(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(keys_);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
}

QString NewSystemDialog::SystemId() const {
    return id_->text();
}

QString NewSystemDialog::SuggestedId(const QString& name) {
    QString id;
    for (const QChar c : name.toLower()) {
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
            id += c;
        } else if (c >= QChar(u'а') && c <= QChar(u'я')) {
            id += QLatin1String(kLatin[c.unicode() - u'а']);
        } else if (c == QChar(u'ё')) {
            id += 'e';
        } else if (!id.isEmpty() && !id.endsWith('-')) {
            id += '-';
        }
    }
    while (id.endsWith('-'))
        id.chop(1);
    return id;
}

void NewSystemDialog::Refuse(const QString& why, QWidget* field) {
    problem_->setText(why);
    problem_->show();
    if (field) field->setFocus();
}

std::optional<systems::System> NewSystemDialog::SystemFromFields() {
    const QString name = name_->text().trimmed();
    if (name.isEmpty()) {
        Refuse(tr("Дайте системе название."), name_);
        return std::nullopt;
    }
    if (id_->text().isEmpty()) {
        Refuse(tr("Дайте системе идентификатор: строчные латинские буквы, цифры и «-»."), id_);
        return std::nullopt;
    }
    systems::System system;
    system.id = id_->text().toStdString();
    system.displayName = name.toStdString();
    system.names = {system.displayName, system.displayName};
    system.datum = *catalogue_.FindDatum(datum_->currentData().toString().toStdString());
    system.form = controller::CoordinateForm::Plane;
    system.group = systems::Group::User;
    for (std::size_t i = 0; i < projection_.size(); ++i) {
        const auto value = Number(projection_[i]);
        if (!value) {
            Refuse(tr("«%1» — не число: %2")
                       .arg(tr(kProjectionFields[i].label).chopped(1), projection_[i]->text()),
                   projection_[i]);
            return std::nullopt;
        }
        system.projection.*kProjectionFields[i].value = *value;
    }
    if (keys_->isChecked()) {
        std::array<double, 4> keys{};
        for (std::size_t i = 0; i < keyFields_.size(); ++i) {
            const auto value = Number(keyFields_[i]);
            if (!value) {
                Refuse(tr("Ключи: «%1» — не число: %2")
                           .arg(tr(kKeyFields[i].label).chopped(1), keyFields_[i]->text()),
                       keyFields_[i]);
                return std::nullopt;
            }
            keys[i] = *value;
        }
        system.keys = systems::Similarity(keys[0], keys[1], keys[2], keys[3]);
    }
    return system;
}

void NewSystemDialog::accept() {
    const auto system = SystemFromFields();
    if (!system) return;
    // The reader itself checks the table, against the catalogue as the file holds it now (it
    // may have been edited since the window read it): the dialog refuses exactly what the
    // file would, an id taken included, and never appends to a file that has a fault.
    const std::string table = systems::SystemToml(*system);
    systems::Catalogue trial;
    if (const auto fault = systems::LoadCatalogue({}, trial)) {
        Refuse(tr("В файле каталога ошибка, исправьте её сначала: %1")
                   .arg(QString::fromStdString(fault->Text())),
               nullptr);
        return;
    }
    if (const auto fault = systems::ReadCatalogueText(table, file_.toStdString(), trial)) {
        // The field the key names, if it is one of the dialog's ("system.ID.tmerc.k").
        const QString key = QString::fromStdString(fault->key);
        const QString prefix = QString::fromStdString("system." + system->id);
        QWidget* field = key == prefix ? id_ : nullptr;
        const std::pair<QString, QWidget*> named[] = {{".name", name_}, {".datum", datum_}};
        for (const auto& [suffix, widget] : named)
            if (key == prefix + suffix) field = widget;
        for (std::size_t i = 0; i < projection_.size(); ++i)
            if (key == prefix + ".tmerc." + kProjectionFields[i].tomlKey) field = projection_[i];
        for (std::size_t i = 0; i < keyFields_.size(); ++i)
            if (key == prefix + ".keys." + kKeyFields[i].tomlKey) field = keyFields_[i];
        Refuse(tr("Каталог не примет такую систему: %1")
                   .arg(QString::fromStdString((fault->key.empty() ? "" : fault->key + ": ") +
                                               fault->message)),
               field);
        return;
    }
    QString error;
    if (!AppendToCatalogue(file_, QByteArray::fromStdString(table), &error)) {
        Refuse(tr("Не удалось дописать систему в %1: %2").arg(file_, error), nullptr);
        return;
    }
    QDialog::accept();
}

}  // namespace batch_window
