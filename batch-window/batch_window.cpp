#include "batch-window/batch_window.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QTemporaryFile>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>

#include "batch-window/conversion_job.h"
#include "batch-window/detection_text.h"
#include "batch-window/fit_window.h"
#include "batch-window/new_system_dialog.h"
#include "batch-window/user_catalogue.h"
#include "batch/describe.h"
#include "batch/line_blocks.h"
#include "batch/line_converter.h"
#include "formats/formats.h"
#include "systems/catalogue_file.h"

namespace batch_window {

namespace {

// The groups of the lists of systems, in their order, each under its header.
constexpr std::pair<systems::Group, const char*> kGroups[] = {
    {systems::Group::Window, "Системы окна пересчёта"},
    {systems::Group::Official, "ГОСТ 32453-2017"},
    {systems::Group::Zoned, "3° зоны и UTM"},
    {systems::Group::User, "Пользовательские"},
};

// The systems the lists held, in their order, when the settings kept a choice as its index.
constexpr const char* kIndexedSystems[] = {
    "wgs84-xyz",   "wgs84-blh",   "pz90-xyz",   "pz90-blh",   "sk42-xyz",
    "sk42-blh",    "sk42-xyh",    "pz9011-xyz", "pz9011-blh", "gsk2011-xyz",
    "gsk2011-blh", "gsk2011-xyh", "sk95-xyz",   "sk95-blh",   "sk95-xyh",
};
constexpr const char* kDefaultSource = "wgs84-blh";
constexpr const char* kDefaultTarget = "sk42-xyh";

// Chooses the system of this id in a list; false when the list has none.
bool Choose(QComboBox* choices, const QString& id) {
    const int index = id.isEmpty() ? -1 : choices->findData(id);
    if (index >= 0) choices->setCurrentIndex(index);
    return index >= 0;
}

// A remembered choice of system: its id under "<key>System", else the index the settings
// kept under `key` before there were ids.
QString SavedSystem(const QSettings& settings, const QString& key) {
    if (settings.contains(key + "System")) return settings.value(key + "System").toString();
    bool isIndex = false;
    const int index = settings.value(key).toInt(&isIndex);
    if (!isIndex || index < 0 || index >= static_cast<int>(std::size(kIndexedSystems))) return {};
    return kIndexedSystems[index];
}

// The system whose zone the zone field gives: the target when it has zones, else the source.
const systems::System* ZonedSystem(const systems::System& from, const systems::System& to) {
    if (systems::LargestZone(to) > 0) return &to;
    if (systems::LargestZone(from) > 0) return &from;
    return nullptr;
}

// The zones of a system with zones, as the refusals and the tooltip name them. A scheme with
// a southern false northing (UTM) takes the hemisphere after the number.
QString ZonesOf(const systems::System& system) {
    const QString numbers = QString("1–%1").arg(systems::LargestZone(system));
    return system.scheme.southernFalseNorthing != 0
               ? BatchWindow::tr("%1 с полушарием: 37N, 37S").arg(numbers)
               : numbers;
}

bool IsAutomaticZone(const QString& text) {
    return text.isEmpty() || text.compare(BatchWindow::tr("авто"), Qt::CaseInsensitive) == 0;
}

using controller::CoordinateForm;

// What a geoid model is, for its tooltip: its grid file (a built-in model's looked for in
// GridPlaces()), how accurate it is, where the catalogue declares it. Paragraphs of rich
// text, so that the long accuracy wraps.
QString ModelTip(const systems::GeoidModel& model) {
    const auto text = [](const std::string& words) { return QString::fromStdString(words); };
    QString places;
    for (const std::string& place : systems::GridPlaces())
        places += (places.isEmpty() ? "" : ", ") + text(place);
    QStringList lines = {
        model.builtIn ? BatchWindow::tr("Сетка: %1 (ищется в %2)").arg(text(model.file), places)
                      : BatchWindow::tr("Сетка: %1").arg(text(model.file))};
    lines += model.accuracy.russian.empty()
                 ? BatchWindow::tr("Точность модели не указана.")
                 : BatchWindow::tr("Точность: %1").arg(text(model.accuracy.russian));
    if (!model.definedIn.empty())
        lines += BatchWindow::tr("Определена в %1").arg(text(model.definedIn));
    QString tip;
    for (const QString& line : lines)
        tip += "<p>" + line.toHtmlEscaped() + "</p>";
    return tip;
}

// Why a system with normal heights cannot be had, in Russian, naming the model and its grid
// file; FindSystem's English reason follows in brackets, as catalogue faults give theirs.
QString HeightsProblem(const systems::SystemLookup& lookup, const QString& model,
                       const QString& file) {
    using Fault = systems::SystemLookup::Fault;
    QString text;
    switch (lookup.fault) {
        case Fault::GridUnreadable:
            text = BatchWindow::tr(
                "Модель геоида «%1»: файл её сетки %2 не найден или не "
                "читается. Нормальных высот по ней нет; исправив это, "
                "выберите «Системы → Перечитать каталог».");
            break;
        case Fault::GridMalformed:
            text = BatchWindow::tr(
                "Модель геоида «%1»: файл %2 — не сетка аномалий высоты или "
                "испорченная сетка. Нормальных высот по ней нет; исправив "
                "файл, выберите «Системы → Перечитать каталог».");
            break;
        case Fault::None:  // never: a found system is no problem
        case Fault::Unknown:
        case Fault::NoHeights:
            text = BatchWindow::tr("Нормальных высот по модели геоида «%1» (сетка %2) здесь нет.");
            break;
    }
    return text.arg(model, file) + " (" + QString::fromStdString(lookup.message) + ")";
}

// Lines of text without their '\n' (a '\r' stays: the conversion sees the line end), at
// most `count`; an overlong line is kept just past the longest a line may be, so that it
// shows as the error it is. Unless text is the whole input, a line that text cuts off is
// left out (an overlong one stays: it is an error however it ends).
std::vector<std::string> FirstLines(std::string_view text, bool wholeInput, int count) {
    std::vector<std::string> lines;
    while (static_cast<int>(lines.size()) < count && !text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::size_t length = std::min(newline, text.size());
        if (newline == std::string_view::npos && !wholeInput && length <= batch::MaxLineLength)
            break;
        lines.emplace_back(text.substr(0, std::min(length, batch::MaxLineLength + 1)));
        text.remove_prefix(std::min(length + 1, text.size()));
    }
    return lines;
}

// Line `number` (from 1) of device as FirstLines keeps it, found by counting line ends with
// memchr over large reads: a line millions of lines in takes a moment, not seconds.
std::string NthLine(QIODevice& device, qint64 number) {
    std::vector<char> piece(1 << 20);
    std::string line;
    qint64 lineEnds = 0;  // the '\n' passed so far
    for (qint64 got; (got = device.read(piece.data(), static_cast<qint64>(piece.size()))) > 0;) {
        const char* at = piece.data();
        const char* const end = at + got;
        while (lineEnds < number - 1 && at < end) {
            const auto* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
            at = newline ? newline + 1 : end;
            lineEnds += newline != nullptr;
        }
        if (lineEnds < number - 1) continue;
        const auto* newline = static_cast<const char*>(std::memchr(at, '\n', end - at));
        const std::size_t room = batch::MaxLineLength + 1 - line.size();
        line.append(at, std::min<std::size_t>((newline ? newline : end) - at, room));
        if (newline || line.size() > batch::MaxLineLength) break;
    }
    return line;
}

}  // namespace

// The headers of the result columns, by the form of the target (a zone where it has zones);
// a height is said to be normal when a geoid model makes it so.
QStringList BatchWindow::ResultHeaders(const systems::System& target, bool normalHeights) {
    const QString height = normalHeights ? tr("H (норм.), м") : QString("H, м");
    switch (target.form) {
        case CoordinateForm::Geocentric:
            return {"X, м", "Y, м", "Z, м"};
        case CoordinateForm::Geodetic:
            return {"B", "L", height};
        case CoordinateForm::Plane:
            break;
    }
    if (target.zones == systems::Zones::None) return {"x, м", "y, м", height};
    return {"x, м", "y, м", height, "Зона"};
}

BatchWindow::BatchWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Пакетный пересчёт координат"));
    setAcceptDrops(true);
    batch::CountMathErrors();

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    auto* choices = new QGroupBox(tr("Пересчёт"));
    BuildChoices(choices);
    layout->addWidget(choices);
    detected_ = new QLabel;
    detected_->setWordWrap(true);
    detected_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detected_->setObjectName("detected");
    detected_->hide();
    layout->addWidget(detected_);
    route_ = new QLabel;
    route_->setWordWrap(true);
    QFont small = route_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    route_->setFont(small);
    route_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(route_);

    inputName_ =
        new QLabel(tr("Откройте файл точек, перетащите его сюда или вставьте точки "
                      "из буфера обмена."));
    layout->addWidget(inputName_);
    preview_ = new QTableWidget;
    preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview_->setSelectionBehavior(QAbstractItemView::SelectRows);
    preview_->horizontalHeader()->setStretchLastSection(false);
    // A source line is elided, its whole text in the tooltip: rows keep one height.
    preview_->setWordWrap(false);
    preview_->setTextElideMode(Qt::ElideRight);
    preview_->verticalHeader()->setDefaultSectionSize(preview_->fontMetrics().height() + 8);

    auto* problems = new QGroupBox(tr("Ошибочные строки"));
    auto* problemsLayout = new QVBoxLayout(problems);
    badLines_ = new QListWidget;
    badLines_->setMaximumHeight(fontMetrics().height() * 8);
    badLineText_ = new QLabel;
    badLineText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    badLineText_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    problemsLayout->addWidget(badLines_);
    problemsLayout->addWidget(badLineText_);
    inputName_->setObjectName("inputName");
    route_->setObjectName("route");
    preview_->setObjectName("preview");
    badLines_->setObjectName("badLines");
    badLineText_->setObjectName("badLineText");
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(preview_);
    splitter->addWidget(problems);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);

    progress_ = new QProgressBar;
    progress_->setRange(0, 1000);
    progress_->hide();
    cancel_ = new QPushButton(tr("Отменить"));
    cancel_->hide();
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancel_);
    connect(cancel_, &QPushButton::clicked, this, &BatchWindow::Cancel);
    connect(badLines_, &QListWidget::itemClicked, this, &BatchWindow::ShowBadLine);

    BuildActions();
    // The user's catalogue file, read before the lists are filled; with a fault in it the
    // window goes on with the built-in systems, and says so once it shows.
    if (const auto fault = systems::LoadCatalogue({}, catalogue_)) {
        QTimer::singleShot(0, this, [this, fault = *fault] {
            ShowCatalogueFault(fault, tr("Окно работает со встроенными системами."));
        });
    }
    RestoreSettings();
    for (QComboBox* box : {source_, target_, sourceHeights_, targetHeights_, parameters_, angles_,
                           separator_, anglesOut_, decimalComma_, encoding_, outputEncoding_})
        connect(box, &QComboBox::currentIndexChanged, this, &BatchWindow::UpdatePreview);
    for (QSpinBox* box : {skip_, decimals_, angleDecimals_})
        connect(box, &QSpinBox::valueChanged, this, &BatchWindow::UpdatePreview);
    for (QLineEdit* field : {zone_, columns_})
        connect(field, &QLineEdit::textChanged, this, &BatchWindow::UpdatePreview);
    for (QCheckBox* box : {keepGoing_, bom_})
        connect(box, &QCheckBox::toggled, this, &BatchWindow::UpdatePreview);
    // The choices the detection sets, once the user changes them, are the user's.
    for (QComboBox* box : {encoding_, separator_, decimalComma_, angles_})
        connect(box, &QComboBox::currentIndexChanged, this,
                [this, box] { changedByUser_.insert(box); });
    connect(skip_, &QSpinBox::valueChanged, this, [this] { changedByUser_.insert(skip_); });
    connect(columns_, &QLineEdit::textChanged, this, [this] { changedByUser_.insert(columns_); });
    connect(source_, &QComboBox::currentIndexChanged, this, [this] {
        if (!inputPath_.isEmpty() || !points_.isEmpty()) Detect();
    });
    UpdatePreview();
    resize(1000, 780);
}

BatchWindow::~BatchWindow() {
    Cancel();
    if (thread_) thread_->wait();
}

void BatchWindow::BuildChoices(QWidget* panel) {
    source_ = new QComboBox;
    target_ = new QComboBox;
    for (QComboBox* box : {source_, target_}) {  // long names: the window may still be narrow
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(24);
    }
    sourceHeights_ = new QComboBox;
    targetHeights_ = new QComboBox;
    parameters_ = new QComboBox;
    parameters_->addItems({tr("ГОСТ 32453-2017"), tr("как в окне пересчёта")});
    angles_ = new QComboBox;
    angles_->addItems({tr("ГГГММСС.ссс"), tr("градусы"), tr("Г:М:С")});
    angles_->setToolTip(
        tr("Как записаны углы входа: ГГГММСС.ссс, как в окне пересчёта "
           "(554530.5 — 55°45′30,5″), десятичные градусы или 55:45:30.5"));
    anglesOut_ = new QComboBox;
    anglesOut_->addItems({tr("как на входе"), tr("ГГГММСС.ссс"), tr("градусы"), tr("Г:М:С")});
    anglesOut_->setToolTip(tr("Как записать углы результатов"));
    // Digits after the point; "авто" writes the significant digits as coordconv-cli does.
    decimals_ = new QSpinBox;
    angleDecimals_ = new QSpinBox;
    for (QSpinBox* box : {decimals_, angleDecimals_}) {
        box->setRange(-1, 12);
        box->setSpecialValueText(tr("авто"));
    }
    decimals_->setToolTip(tr("Знаков после точки у метров (3 — миллиметры)"));
    angleDecimals_->setToolTip(
        tr("Знаков после точки у углов: у секунд в ГГГММСС.ссс и "
           "Г:М:С, у градусов в десятичных градусах"));
    decimalComma_ = new QComboBox;
    decimalComma_->addItems({tr("авто"), tr("точка"), tr("запятая")});
    decimalComma_->setToolTip(
        tr("Десятичный разделитель чисел, как его пишет русский Excel: "
           "запятая; результаты пишутся с ним же"));
    encoding_ = new QComboBox;
    encoding_->addItems({tr("авто"), tr("UTF-8"), tr("Windows-1251")});
    outputEncoding_ = new QComboBox;
    outputEncoding_->addItems({tr("как у файла"), tr("UTF-8"), tr("Windows-1251")});
    bom_ = new QCheckBox(tr("метка BOM в начале UTF-8 (для Excel)"));
    zone_ = new QLineEdit;
    zone_->setPlaceholderText(tr("авто"));
    zone_->setMaxLength(4);
    zone_->setFixedWidth(zone_->fontMetrics().horizontalAdvance("авто 000") + 12);
    columns_ = new QLineEdit;
    columns_->setPlaceholderText(tr("вся строка — три числа; или номера полей: 2,3,4"));
    columns_->setValidator(new QRegularExpressionValidator(
        QRegularExpression(R"(\d{0,5}(,\d{0,5}(,\d{0,5})?)?)"), columns_));
    // As the command line's --separator: "авто" splits a line with columns at its semicolons,
    // else at its tabs (cells pasted from a spreadsheet), else at blanks and commas.
    separator_ = new QComboBox;
    separator_->addItem(tr("авто"), int(batch::Separator::Auto));
    separator_->addItem(tr("точка с запятой"), int(batch::Separator::Semicolon));
    separator_->addItem(tr("запятая"), int(batch::Separator::Comma));
    separator_->addItem(tr("табуляция"), int(batch::Separator::Tab));
    separator_->addItem(tr("пробел"), int(batch::Separator::Blank));
    skip_ = new QSpinBox;
    skip_->setRange(0, 1'000'000);
    keepGoing_ = new QCheckBox(tr("продолжать после ошибочной строки (в файле — «# ошибка: …»)"));
    // Named, so that tests (and accessibility tools) find them.
    source_->setObjectName("source");
    target_->setObjectName("target");
    sourceHeights_->setObjectName("sourceHeights");
    targetHeights_->setObjectName("targetHeights");
    parameters_->setObjectName("parameters");
    angles_->setObjectName("angles");
    zone_->setObjectName("zone");
    columns_->setObjectName("columns");
    separator_->setObjectName("separator");
    skip_->setObjectName("skip");
    keepGoing_->setObjectName("keepGoing");
    decimals_->setObjectName("decimals");
    angleDecimals_->setObjectName("angleDecimals");
    anglesOut_->setObjectName("anglesOut");
    decimalComma_->setObjectName("decimalComma");
    encoding_->setObjectName("encoding");
    outputEncoding_->setObjectName("outputEncoding");
    bom_->setObjectName("bom");
    auto* grid = new QGridLayout(panel);
    const auto add = [grid](int row, int column, const QString& label, QWidget* field) {
        if (!label.isEmpty()) grid->addWidget(new QLabel(label), row, 2 * column);
        grid->addWidget(field, row, 2 * column + 1);
    };
    // Several small fields in one cell of the grid, so that the window stays as narrow.
    const auto row = [](std::initializer_list<QWidget*> fields) {
        auto* cell = new QWidget;
        auto* line = new QHBoxLayout(cell);
        line->setContentsMargins(0, 0, 0, 0);
        for (QWidget* field : fields)
            line->addWidget(field);
        line->addStretch(1);
        return cell;
    };
    add(0, 0, tr("Исходная система:"), source_);
    add(0, 1, tr("Целевая система:"), target_);
    // The heights under each system: beside it the lists would widen the window.
    add(1, 0, tr("Высоты:"), row({sourceHeights_}));
    add(1, 1, tr("Высоты:"), row({targetHeights_}));
    add(2, 0, tr("Параметры:"), parameters_);
    add(2, 1, tr("Углы:"), angles_);
    add(3, 0, tr("Зона:"), row({zone_}));
    add(3, 1, tr("Углы результатов:"), anglesOut_);
    add(4, 0, tr("Строк заголовка:"), skip_);
    add(4, 1, tr("Столбцы координат:"), columns_);
    add(5, 0, tr("Разделитель:"), separator_);
    add(5, 1, tr("Десятичный знак:"), decimalComma_);
    add(6, 0, tr("Кодировка:"), encoding_);
    add(6, 1, tr("Кодировка результатов:"), row({outputEncoding_, bom_}));
    add(7, 0, tr("Знаков после точки:"),
        row({new QLabel(tr("у метров")), decimals_, new QLabel(tr("у углов")), angleDecimals_}));
    add(7, 1, QString(), keepGoing_);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

void BatchWindow::BuildActions() {
    QStyle* look = style();
    openAction_ =
        new QAction(look->standardIcon(QStyle::SP_DialogOpenButton), tr("&Открыть…"), this);
    openAction_->setShortcut(QKeySequence::Open);
    convertAction_ = new QAction(look->standardIcon(QStyle::SP_DialogSaveButton),
                                 tr("&Пересчитать в файл…"), this);
    convertAction_->setShortcut(QKeySequence::Save);
    pasteAction_ = new QAction(tr("&Вставить точки"), this);
    pasteAction_->setShortcut(QKeySequence::Paste);
    copyAction_ = new QAction(tr("&Копировать результаты"), this);
    copyAction_->setToolTip(tr("Копировать результаты всех строк ввода с их остальными полями"));
    // Ctrl+C copies what is selected in the table, as elsewhere; the button copies all.
    copySelectionAction_ = new QAction(tr("Копировать &выделенные"), this);
    copySelectionAction_->setShortcut(QKeySequence::Copy);
    openAction_->setObjectName("open");
    convertAction_->setObjectName("convert");
    pasteAction_->setObjectName("paste");
    copyAction_->setObjectName("copy");
    auto* quit = new QAction(tr("В&ыход"), this);
    quit->setShortcut(QKeySequence::Quit);
    auto* about = new QAction(tr("&О программе"), this);
    connect(openAction_, &QAction::triggered, this, &BatchWindow::Open);
    connect(convertAction_, &QAction::triggered, this, &BatchWindow::Convert);
    connect(pasteAction_, &QAction::triggered, this, &BatchWindow::PastePoints);
    connect(copyAction_, &QAction::triggered, this, &BatchWindow::CopyResults);
    connect(copySelectionAction_, &QAction::triggered, this, &BatchWindow::CopySelection);
    connect(quit, &QAction::triggered, this, &QWidget::close);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(this, tr("О программе"),
                           tr("coordconv-batch %1\nПересчёт файлов точек между WGS-84, ПЗ-90, "
                              "ПЗ-90.11, ГСК-2011, СК-95 и СК-42.\nУглы — ГГГММСС.ссс, как в "
                              "окне пересчёта, десятичные градусы или Г:М:С.")
                               .arg(QApplication::applicationVersion()));
    });

    QMenu* file = menuBar()->addMenu(tr("&Файл"));
    file->addActions({openAction_, convertAction_});
    file->addSeparator();
    file->addAction(quit);
    QMenu* edit = menuBar()->addMenu(tr("&Правка"));
    edit->addActions({pasteAction_, copyAction_, copySelectionAction_});
    openCatalogueAction_ = new QAction(tr("&Открыть каталог систем"), this);
    openCatalogueAction_->setToolTip(
        tr("Открыть файл своих систем в редакторе (создать, если его нет)"));
    reloadCatalogueAction_ = new QAction(tr("&Перечитать каталог"), this);
    reloadCatalogueAction_->setShortcut(QKeySequence::Refresh);
    newSystemAction_ = new QAction(tr("&Новая система…"), this);
    openCatalogueAction_->setObjectName("openCatalogue");
    reloadCatalogueAction_->setObjectName("reloadCatalogue");
    newSystemAction_->setObjectName("newSystem");
    connect(openCatalogueAction_, &QAction::triggered, this, &BatchWindow::OpenCatalogue);
    connect(reloadCatalogueAction_, &QAction::triggered, this, &BatchWindow::ReloadCatalogue);
    connect(newSystemAction_, &QAction::triggered, this, &BatchWindow::NewSystem);
    fitPageAction_ = new QAction(tr("&Ключи по общим точкам…"), this);
    fitPageAction_->setObjectName("fitPage");
    fitPageAction_->setToolTip(
        tr("Найти ключи местной системы по точкам, известным в двух системах"));
    connect(fitPageAction_, &QAction::triggered, this, &BatchWindow::OpenFitPage);
    QMenu* systemsMenu = menuBar()->addMenu(tr("&Системы"));
    systemsMenu->addActions({openCatalogueAction_, reloadCatalogueAction_, newSystemAction_});
    systemsMenu->addSeparator();
    systemsMenu->addAction(fitPageAction_);
    menuBar()->addMenu(tr("&Справка"))->addAction(about);
    QToolBar* tools = addToolBar(tr("Файл"));
    tools->setObjectName("tools");
    tools->addActions({openAction_, convertAction_, pasteAction_, copyAction_});
}

void BatchWindow::FillSystems(const QString& source, const QString& target) {
    const QSignalBlocker quietSource(source_), quietTarget(target_);
    for (QComboBox* choices : {source_, target_}) {
        choices->clear();
        auto* items = qobject_cast<QStandardItemModel*>(choices->model());
        for (const auto& [group, title] : kGroups) {
            bool headed = false;  // a group without systems has no header
            for (const systems::System& system : catalogue_.systems()) {
                if (system.group != group) continue;
                if (!headed) {
                    choices->addItem(tr(title));
                    QStandardItem* header = items->item(choices->count() - 1);
                    header->setFlags(Qt::NoItemFlags);  // a title, never a choice
                    QFont bold = header->font();
                    bold.setBold(true);
                    header->setFont(bold);
                    headed = true;
                }
                choices->addItem(QString::fromStdString(system.names.russian),
                                 QString::fromStdString(system.id));
                if (!system.definedIn.empty()) {
                    choices->setItemData(
                        choices->count() - 1,
                        tr("Определена в %1").arg(QString::fromStdString(system.definedIn)),
                        Qt::ToolTipRole);
                }
            }
        }
    }
    if (!Choose(source_, source)) Choose(source_, kDefaultSource);
    if (!Choose(target_, target)) Choose(target_, kDefaultTarget);
}

void BatchWindow::FillHeights(const QString& source, const QString& target) {
    for (const auto& [heights, model] :
         {std::pair{sourceHeights_, source}, {targetHeights_, target}}) {
        const QSignalBlocker quiet(heights);
        heights->clear();
        heights->addItem(tr("эллипсоидальные"), QString());
        heights->setItemData(0, tr("Высоты над эллипсоидом системы (их даёт приёмник GNSS)"),
                             Qt::ToolTipRole);
        for (const systems::GeoidModel& each : catalogue_.geoidModels()) {
            heights->addItem(QString::fromStdString(each.name.russian),
                             QString::fromStdString(each.id));
            heights->setItemData(heights->count() - 1, ModelTip(each), Qt::ToolTipRole);
        }
        if (!Choose(heights, model)) heights->setCurrentIndex(0);
    }
}

// The system a list has chosen, found by its id.
const systems::System& BatchWindow::SystemOf(const QComboBox* choices) const {
    const std::string id = choices->currentData().toString().toStdString();
    for (const systems::System& system : catalogue_.systems())
        if (system.id == id) return system;
    return systems::BuiltInSystems().front();  // never: every list item is of the catalogue
}

std::optional<systems::System> BatchWindow::ChosenSystem(const QComboBox* choices,
                                                         const QComboBox* heights,
                                                         QString* problem) const {
    const systems::System& plain = SystemOf(choices);
    const std::string model = heights->currentData().toString().toStdString();
    if (model.empty()) return plain;
    const std::string name = plain.id + "+" + model;
    auto found = lookups_.find(name);
    if (found == lookups_.end())
        found = lookups_.emplace(name, systems::FindSystem(catalogue_, name)).first;
    if (found->second.system) return found->second.system;
    const systems::GeoidModel* declared = catalogue_.FindGeoidModel(model);
    *problem = HeightsProblem(found->second, heights->currentText(),
                              QString::fromStdString(declared ? declared->file : model));
    return std::nullopt;
}

void BatchWindow::ShowCatalogueFault(const systems::CatalogueFault& fault, const QString& outcome) {
    const QString where = QString::fromStdString(fault.Text());
    statusBar()->showMessage(tr("Каталог систем не прочитан: %1").arg(where));
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Каталог систем"),
                                tr("Каталог систем не прочитан:\n%1\n\n%2").arg(where, outcome),
                                QMessageBox::Ok, this);
    box->setObjectName("catalogueFault");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void BatchWindow::OpenCatalogue() {
    const QString file = QString::fromStdString(systems::UserCatalogueFile());
    QString error;
    if (file.isEmpty()) {
        statusBar()->showMessage(
            tr("Не найти папку настроек: не заданы ни XDG_CONFIG_HOME, ни HOME."));
    } else if (!EnsureCatalogueFile(file, &error)) {
        statusBar()->showMessage(tr("Не удалось создать %1: %2").arg(file, error));
    } else if (!QDesktopServices::openUrl(QUrl::fromLocalFile(file))) {
        statusBar()->showMessage(tr("Не удалось открыть %1 в редакторе.").arg(file));
    } else {
        statusBar()->showMessage(
            tr("Каталог %1 открыт; изменив его, выберите «Перечитать каталог».").arg(file));
    }
}

bool BatchWindow::ReloadCatalogue() {
    systems::Catalogue fresh;
    if (const auto fault = systems::LoadCatalogue({}, fresh)) {
        ShowCatalogueFault(*fault, tr("Прежний каталог остаётся."));
        return false;
    }
    const QString source = source_->currentData().toString();
    const QString target = target_->currentData().toString();
    const QString sourceModel = sourceHeights_->currentData().toString();
    const QString targetModel = targetHeights_->currentData().toString();
    catalogue_ = std::move(fresh);
    lookups_.clear();
    FillSystems(source, target);
    FillHeights(sourceModel, targetModel);
    if (fitWindow_) fitWindow_->SetCatalogue(catalogue_);
    const auto own = std::count_if(
        catalogue_.systems().begin(), catalogue_.systems().end(),
        [](const systems::System& system) { return system.group == systems::Group::User; });
    statusBar()->showMessage(tr("Каталог перечитан: своих систем %1.").arg(own));
    // A chosen system gone from the file leaves the list at the usual one: look again.
    if (!inputPath_.isEmpty() || !points_.isEmpty()) {
        Detect();
    } else {
        UpdatePreview();
    }
    return true;
}

void BatchWindow::NewSystem() {
    const QString file = QString::fromStdString(systems::UserCatalogueFile());
    if (file.isEmpty()) {
        statusBar()->showMessage(
            tr("Не найти папку настроек: не заданы ни XDG_CONFIG_HOME, ни HOME."));
        return;
    }
    auto* dialog = new NewSystemDialog(catalogue_, file, this);
    dialog->setObjectName("newSystemDialog");
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        if (ReloadCatalogue()) Choose(target_, dialog->SystemId());
    });
    dialog->open();
}

void BatchWindow::OpenFitPage() {
    if (!fitWindow_) {
        fitWindow_ = new FitWindow(catalogue_, this);
        fitWindow_->setObjectName("fitWindow");
        connect(fitWindow_, &FitWindow::systemSaved, this, [this](const QString& id) {
            if (ReloadCatalogue())
                statusBar()->showMessage(tr("Система %1 сохранена в каталоге.").arg(id));
        });
    }
    fitWindow_->show();
    fitWindow_->raise();
    fitWindow_->activateWindow();
}

batch::Encoding BatchWindow::InputEncoding() const {
    constexpr batch::Encoding kChosen[] = {batch::Encoding::Utf8, batch::Encoding::Windows1251};
    return encoding_->currentIndex() == 0 ? detectedEncoding_
                                          : kChosen[encoding_->currentIndex() - 1];
}

std::optional<batch::ConversionOptions> BatchWindow::Choices(QString* problem) const {
    const auto refuse = [problem](const QString& why) {
        if (problem) *problem = why;
        return std::nullopt;
    };
    batch::ConversionOptions options;
    options.parameters =
        parameters_->currentIndex() == 0 ? batch::Parameters::Gost2017 : batch::Parameters::Window;
    for (const QComboBox* heights : {sourceHeights_, targetHeights_}) {
        if (options.parameters == batch::Parameters::Window && heights->currentIndex() > 0) {
            return refuse(tr("Параметры окна пересчёта не знают моделей геоида: нормальные "
                             "высоты по «%1» — с параметрами ГОСТ 32453-2017, или выберите "
                             "эллипсоидальные высоты.")
                              .arg(heights->currentText()));
        }
    }
    QString unavailable;
    const auto from = ChosenSystem(source_, sourceHeights_, &unavailable);
    const auto to = from ? ChosenSystem(target_, targetHeights_, &unavailable) : std::nullopt;
    if (!to) return refuse(unavailable);
    options.from = *from;
    options.to = *to;
    if (options.parameters == batch::Parameters::Window) {
        for (const systems::System* system : {&options.from, &options.to}) {
            if (system->window) continue;
            return refuse(tr("Параметры окна пересчёта знают только его семь систем, а "
                             "системы «%1» среди них нет: выберите параметры ГОСТ 32453-2017 "
                             "или другую систему.")
                              .arg(QString::fromStdString(system->names.russian)));
        }
    }
    options.angles = angles_->currentIndex() == 0 ? controller::AngleForm::Display
                                                  : controller::AngleForm::Degrees;
    options.dms = angles_->currentIndex() == 2;
    if (anglesOut_->currentIndex() > 0)
        options.anglesOut = batch::AngleText(anglesOut_->currentIndex() - 1);
    // The zone as its system writes it; "авто" lets each point choose (or its easting say).
    if (const systems::System* zoned = ZonedSystem(options.from, options.to)) {
        const QString text = zone_->text().trimmed();
        const auto zone = IsAutomaticZone(text) ? std::optional<int>(0)
                                                : systems::ParseZone(*zoned, text.toStdString());
        if (!zone) {
            return refuse(
                tr("«%1» — не зона системы «%2»: её зоны %3; пусто или «авто» — "
                   "зона по точке.")
                    .arg(text, QString::fromStdString(zoned->names.russian), ZonesOf(*zoned)));
        }
        options.zone = *zone;
    }
    if (gis_) {  // decimal degrees and metres at full precision; fields found by their names
        options.angles = controller::AngleForm::Degrees;
        options.dms = false;
        options.keepGoing = keepGoing_->isChecked();
        options.language = batch::Language::Russian;
        return options;
    }
    if (!columns_->text().isEmpty() &&
        !batch::ReadColumns(columns_->text().toStdString(), options.columns)) {
        return refuse(
            tr("Столбцы координат — это три разных номера полей через запятую, "
               "например 2,3,4."));
    }
    options.separator = batch::Separator(separator_->currentData().toInt());
    options.skip = skip_->value();
    options.keepGoing = keepGoing_->isChecked();
    options.decimals = decimals_->value();
    options.angleDecimals = angleDecimals_->value();
    options.decimalComma =
        decimalComma_->currentIndex() == 0 ? detectedComma_ : decimalComma_->currentIndex() == 2;
    if (options.decimalComma && options.separator == batch::Separator::Comma) {
        return refuse(
            tr("Десятичная запятая не читается в полях, разделённых запятыми: "
               "выберите другой разделитель или десятичную точку."));
    }
    options.encoding = InputEncoding();
    constexpr batch::Encoding kOutput[] = {batch::Encoding::Utf8, batch::Encoding::Windows1251};
    options.outputEncoding = outputEncoding_->currentIndex() == 0
                                 ? options.encoding
                                 : kOutput[outputEncoding_->currentIndex() - 1];
    // Windows-1251 has no byte-order mark (as coordconv-cli refuses --bom with it).
    options.bom = bom_->isChecked() && options.outputEncoding == batch::Encoding::Utf8;
    // The window speaks Russian: the route, what is wrong with a line and its mark in a file.
    options.language = batch::Language::Russian;
    return options;
}

void BatchWindow::UpdatePreview() {
    // Geocentric X, Y, Z carry no height to make normal.
    for (const auto& [choices, heights] :
         {std::pair{source_, sourceHeights_}, {target_, targetHeights_}}) {
        const bool geocentric = SystemOf(choices).form == CoordinateForm::Geocentric;
        if (geocentric) {
            const QSignalBlocker quiet(heights);
            heights->setCurrentIndex(0);
        }
        heights->setEnabled(!geocentric);
        heights->setToolTip(geocentric ? tr("У геоцентрических X, Y, Z нет высоты")
                                       : heights->currentData(Qt::ToolTipRole).toString());
    }
    SaveSettings();
    QString problem;
    const auto options = Choices(&problem);
    const bool hasInput = !inputPath_.isEmpty() || !points_.isEmpty();
    convertAction_->setEnabled(options && hasInput && !thread_);
    copyAction_->setEnabled(options && hasInput && !thread_);
    // The choices that shape text alone mean nothing to a GIS file.
    for (QWidget* choice : std::initializer_list<QWidget*>{
             angles_, anglesOut_, columns_, separator_, skip_, decimals_, angleDecimals_,
             decimalComma_, encoding_, outputEncoding_})
        choice->setEnabled(!gis_);
    bom_->setEnabled(!gis_ && (!options || options->outputEncoding == batch::Encoding::Utf8));
    preview_->clearSpans();
    const systems::System* zoned = ZonedSystem(SystemOf(source_), SystemOf(target_));
    zone_->setEnabled(zoned != nullptr);
    zone_->setToolTip(zoned
                          ? tr("Зона системы «%1»: %2; пусто или «авто» — зона по точке")
                                .arg(QString::fromStdString(zoned->names.russian), ZonesOf(*zoned))
                          : tr("Ни у одной из выбранных систем нет зон"));
    for (QComboBox* choices : {source_, target_})
        choices->setToolTip(choices->currentData(Qt::ToolTipRole).toString());
    if (gis_) {
        route_->setText(options ? QString::fromStdString(batch::DescribeRoute(*options)).trimmed()
                                : problem);
        return ShowGisPreview(options);
    }
    QStringList headers = ResultHeaders(SystemOf(target_), targetHeights_->currentIndex() > 0);
    headers.prepend(tr("Исходная строка"));
    preview_->setColumnCount(headers.size());
    preview_->setHorizontalHeaderLabels(headers);
    SetColumnWidths(static_cast<int>(headers.size()) - 1,
                    std::max({6, decimals_->value(), angleDecimals_->value()}));
    preview_->setRowCount(static_cast<int>(head_.size()));
    for (int row = 0; row < preview_->rowCount(); ++row) {
        preview_->setVerticalHeaderItem(row, new QTableWidgetItem(QString::number(row + 1)));
        for (int column = 1; column < headers.size(); ++column)
            preview_->setItem(row, column, new QTableWidgetItem);
    }
    if (!options) {  // the lines stay in sight, without results
        route_->setText(problem);
        for (int row = 0; row < preview_->rowCount(); ++row)
            ShowSourceLine(row, head_[row], InputEncoding());
        return;
    }
    route_->setText(QString::fromStdString(batch::DescribeRoute(*options)).trimmed());

    const batch::LineConverter converter(*options);
    batch::ConvertedLine line;
    char text[batch::LineConverter::MaxValueLength];
    const QColor quiet = palette().color(QPalette::Disabled, QPalette::Text);
    for (int row = 0; row < preview_->rowCount(); ++row) {
        converter.Convert(head_[row], row + 1, line);
        ShowSourceLine(row, line.text, options->encoding);
        switch (line.kind) {
            case batch::LineKind::Point:
                for (int i = 0; i < 3; ++i) {
                    const char* end = converter.WriteValue(text, line, i);
                    preview_->item(row, i + 1)->setText(QString::fromUtf8(text, end - text));
                }
                if (converter.WritesZone()) {
                    preview_->item(row, 4)->setText(
                        QString::fromStdString(systems::ZoneText(options->to, line.zone)));
                }
                break;
            case batch::LineKind::PassThrough:
            case batch::LineKind::Header:  // its names are over the columns already
                preview_->item(row, 0)->setForeground(quiet);
                break;
            case batch::LineKind::Error: {
                QTableWidgetItem* error = preview_->item(row, 1);
                error->setText(QString::fromStdString(line.error));
                error->setToolTip(error->text());
                error->setForeground(Qt::red);
                preview_->setSpan(row, 1, 1, static_cast<int>(headers.size()) - 1);
                break;
            }
        }
    }
}

// A source line decoded from the input's encoding (a byte that is none shows as \xHH), elided
// in its cell with the whole of it in the tooltip.
void BatchWindow::ShowSourceLine(int row, std::string_view text, batch::Encoding encoding) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    const QString shown =
        QString::fromStdString(batch::ShownAsUtf8(text, encoding, batch::MaxLineLength + 1));
    auto* item = new QTableWidgetItem(shown);
    item->setToolTip(shown);
    preview_->setItem(row, 0, item);
}

// Result columns as wide as the longest value the choices may give (a sign, eight digits of
// metres, `fraction` digits after the point), whatever the rows show now, so that nothing
// jumps when an error or a longer number appears; the source takes the rest.
void BatchWindow::SetColumnWidths(int results, int fraction) {
    QHeaderView* header = preview_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    if (results == shownColumns_ && fraction == shownFraction_) return;  // dragged widths stay
    shownColumns_ = results;
    shownFraction_ = fraction;
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    const int value =
        preview_->fontMetrics().horizontalAdvance("-00000000." + QString(fraction, '0')) + margin;
    for (int column = 1; column <= results; ++column) {
        header->setSectionResizeMode(column, QHeaderView::Interactive);
        header->resizeSection(
            column,
            column == 4 ? header->fontMetrics().horizontalAdvance(tr("Зона")) + 2 * margin : value);
    }
}

bool BatchWindow::OpenFile(const QString& path) {
    if (!formats::DriverForName(path.toStdString()).empty()) return OpenGisFile(path);
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        statusBar()->showMessage(tr("Не удалось открыть %1: %2").arg(path, file.errorString()));
        return false;
    }
    LeaveGis();
    inputPath_ = QFileInfo(path).absoluteFilePath();
    folder_ = QFileInfo(path).absolutePath();
    points_.clear();
    inputSize_ = file.size();
    // A bounded prefix: a file of gigabytes, or one without a line end, opens at once.
    const QByteArray prefix = file.read(PreviewBytes);
    const bool wholeFile = file.atEnd();
    head_ = FirstLines({prefix.constData(), static_cast<std::size_t>(prefix.size())}, wholeFile,
                       PreviewLines);
    headIsAll_ = wholeFile && prefix.count('\n') + !prefix.endsWith('\n') <= PreviewLines;
    const bool cutShort = !wholeFile && static_cast<int>(head_.size()) < PreviewLines;
    const QString shown = cutShort ? tr("показаны строки из первых %1 МиБ: дальше предпросмотр "
                                        "не читает.")
                                         .arg(PreviewBytes >> 20)
                                   : tr("показаны первые строки.");
    inputName_->setText(
        tr("Файл %1 (%2 байт); %3")
            .arg(QDir::toNativeSeparators(inputPath_), QString::number(inputSize_), shown));
    badLines_->clear();
    badLineText_->clear();
    statusBar()->clearMessage();
    NewInput({prefix.constData(), static_cast<std::size_t>(prefix.size())});
    return true;
}

void BatchWindow::SetPoints(const QByteArray& text) {
    LeaveGis();
    inputPath_.clear();
    points_ = text;
    inputSize_ = text.size();
    head_ =
        FirstLines({text.constData(), static_cast<std::size_t>(text.size())}, true, PreviewLines);
    const qsizetype lines = text.count('\n') + !text.endsWith('\n');
    headIsAll_ = lines <= PreviewLines;
    inputName_->setText(tr("Точки из буфера обмена: строк %1.").arg(lines));
    badLines_->clear();
    badLineText_->clear();
    statusBar()->showMessage(tr("Вставлено строк: %1").arg(lines));
    NewInput({text.constData(), static_cast<std::size_t>(text.size())});
}

void BatchWindow::NewInput(std::string_view head) {
    detectHead_.assign(head.substr(0, batch::DetectBytes));
    changedByUser_.clear();
    Detect();
}

// Only what the evidence leaves no doubt about is set, and not a choice the user has changed
// since the input came; a guess is only said. Runs again as the source system changes (the
// fields and angles a line holds depend on it).
void BatchWindow::Detect() {
    if (gis_) {  // GIS files hold numbers, not lines: nothing to look for
        detected_->hide();
        UpdatePreview();
        return;
    }
    const batch::Detection found = batch::DetectOptions(detectHead_, SystemOf(source_));
    detectedEncoding_ = found.encoding.value;
    detectedComma_ = found.decimalComma.value;
    const QList<QWidget*> choices = {encoding_, separator_, decimalComma_,
                                     skip_,     columns_,   angles_};
    std::vector<std::unique_ptr<QSignalBlocker>> quiet;  // one preview at the end, not six
    for (QWidget* choice : choices)
        quiet.push_back(std::make_unique<QSignalBlocker>(choice));
    const auto settle = [this](QWidget* choice, const auto& guessed) {
        return !guessed.reason.guess && !changedByUser_.contains(choice);
    };
    if (settle(encoding_, found.encoding))
        encoding_->setCurrentIndex(1 + static_cast<int>(found.encoding.value));
    if (found.separator.value != batch::Separator::Auto) {
        if (settle(separator_, found.separator))
            separator_->setCurrentIndex(separator_->findData(int(found.separator.value)));
        if (settle(decimalComma_, found.decimalComma))
            decimalComma_->setCurrentIndex(found.decimalComma.value ? 2 : 1);
        if (settle(skip_, found.skip)) skip_->setValue(found.skip.value);
        const batch::Columns& c = found.columns.value;
        if (settle(columns_, found.columns))
            columns_->setText(c[0] == 0 ? QString()
                                        : QString("%1,%2,%3").arg(c[0]).arg(c[1]).arg(c[2]));
        if (found.angles && settle(angles_, *found.angles))
            angles_->setCurrentIndex(static_cast<int>(found.angles->value));
    }
    quiet.clear();
    detected_->setText(DetectionInRussian(found));
    detected_->setToolTip(detected_->text());
    detected_->show();
    UpdatePreview();
}

void BatchWindow::Open() {
    QString gis;
    for (const std::string_view extension : formats::Extensions())
        gis +=
            (gis.isEmpty() ? "*." : " *.") + QString::fromUtf8(extension.data(), extension.size());
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Открыть файл точек"), folder_,
        tr("Файлы точек и ГИС-файлы (*.csv *.txt *.tsv %1);;Файлы точек (*.csv *.txt *.tsv);;"
           "ГИС-файлы (%1);;Все файлы (*)")
            .arg(gis));
    if (!path.isEmpty()) OpenFile(path);
}

// "пункты.csv" → "пункты-пересчёт.csv": the input's own kind, so a spreadsheet opens it.
QString BatchWindow::SuggestedTarget(const QString& input) {
    const QFileInfo info(input);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("txt") : info.suffix();
    return info.absolutePath() + "/" + info.completeBaseName() + tr("-пересчёт.") + suffix;
}

void BatchWindow::Convert() {
    if (gis_) {
        // The chosen file's extension picks the format: a filter for each.
        const QString target = QFileDialog::getSaveFileName(
            this, tr("Пересчитать в файл"), SuggestedGisTarget(SystemOf(target_)),
            tr("GeoPackage (*.gpkg);;Shapefile (*.shp);;GeoJSON (*.geojson);;KML (*.kml);;"
               "GPX (*.gpx);;DXF (*.dxf);;XLSX (*.xlsx);;CSV (*.csv)"));
        if (!target.isEmpty()) ConvertTo(target);
        return;
    }
    const QString suggested =
        inputPath_.isEmpty() ? folder_ + "/points.txt" : SuggestedTarget(inputPath_);
    const QString target = QFileDialog::getSaveFileName(this, tr("Пересчитать в файл"), suggested);
    if (!target.isEmpty()) ConvertTo(target);
}

void BatchWindow::ConvertTo(const QString& target) {
    const auto options = Choices();
    if (!options || thread_ || (inputPath_.isEmpty() && points_.isEmpty())) return;
    if (QFileInfo(target).absoluteFilePath() == inputPath_) {
        statusBar()->showMessage(tr("Результаты нельзя записать в сам исходный файл."));
        return;
    }
    folder_ = QFileInfo(target).absolutePath();
    SaveSettings();
    badLines_->clear();
    badLineText_->clear();
    if (gis_) {
        StartGisJob(*options, target);
    } else {
        StartJob(*options, target);
    }
    statusBar()->showMessage(tr("Пересчёт…"));
}

void BatchWindow::StartJob(const batch::ConversionOptions& options, const QString& target) {
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    auto* job = new ConversionJob(options, inputPath_, points_, target, cancelled_);
    connect(job, &ConversionJob::progressed, this, &BatchWindow::ShowProgress);
    connect(job, &ConversionJob::badLine, this, &BatchWindow::AddBadLine);
    GiveThread(job);
    SetBusy(true);
    thread_->start();
}

void BatchWindow::Cancel() {
    if (cancelled_) *cancelled_ = true;
}

void BatchWindow::SetBusy(bool busy) {
    if (!busy) progress_->setRange(0, 1000);  // a GIS run's may have been busy
    progress_->setValue(0);
    progress_->setVisible(busy);
    cancel_->setVisible(busy);
    for (QAction* action : {openAction_, pasteAction_, copySelectionAction_})
        action->setEnabled(!busy);
    const bool ready = !busy && Choices() && (!inputPath_.isEmpty() || !points_.isEmpty());
    convertAction_->setEnabled(ready);
    copyAction_->setEnabled(ready);
}

void BatchWindow::ShowProgress(qint64 bytesRead, qint64 points) {
    if (inputSize_ > 0)
        progress_->setValue(
            static_cast<int>(std::min<qint64>(1000, bytesRead * 1000 / inputSize_)));
    statusBar()->showMessage(tr("Пересчитано точек: %1").arg(points));
}

void BatchWindow::AddBadLine(qint64 line, const QString& problem) {
    auto* item = new QListWidgetItem(tr("строка %1: %2").arg(line).arg(problem));
    item->setData(Qt::UserRole, line);
    badLines_->addItem(item);
    if (badLines_->count() == ConversionJob::MostListed) {
        badLines_->addItem(tr("… и другие: их число — в строке состояния."));
    }
}

void BatchWindow::ShowBadLine(QListWidgetItem* item) {
    if (gis_) {  // the feature's vertex, when the preview shows it
        const int row = item->data(Qt::UserRole).toInt() - 1;
        if (row >= 0 && row < preview_->rowCount()) {
            preview_->selectRow(row);
            preview_->scrollToItem(preview_->item(row, 0));
        }
        badLineText_->setText(item->text());
        return;
    }
    const qint64 line = item->data(Qt::UserRole).toLongLong();
    if (line <= 0) return;
    if (line <= preview_->rowCount()) {
        preview_->selectRow(static_cast<int>(line - 1));
        preview_->scrollToItem(preview_->item(static_cast<int>(line - 1), 0));
    }
    badLineText_->setText(tr("Строка %1: %2").arg(line).arg(LineText(line)));
}

// The text of a line of the input (without a '\r' end), found again in the file (or the
// pasted points) for lines past the preview.
QString BatchWindow::LineText(qint64 line) const {
    const auto shown = [encoding = InputEncoding()](std::string text) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return QString::fromStdString(batch::ShownAsUtf8(text, encoding, text.size()));
    };
    if (line <= static_cast<qint64>(head_.size())) return shown(head_[line - 1]);
    QFile file(inputPath_);
    QBuffer buffer;
    buffer.setData(points_);
    QIODevice& device = inputPath_.isEmpty() ? static_cast<QIODevice&>(buffer) : file;
    if (!device.open(QIODevice::ReadOnly)) return {};
    return shown(NthLine(device, line));
}

void BatchWindow::ConversionEnded(int outcome, const QString& message) {
    thread_->wait();    // told to quit as the job ended: a moment at most
    thread_ = nullptr;  // it deletes itself
    cancelled_.reset();
    SetBusy(false);
    if (copied_) return CopyEnded(outcome, message);
    statusBar()->showMessage(message);
    emit conversionFinished(outcome, message);
}

void BatchWindow::PastePoints() {
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty()) SetPoints(text.toUtf8());
}

// Every line as the file would hold it, bad lines marked rather than ending the copy, in
// UTF-8 and without a byte-order mark: the names and other fields come along, the lines
// stay aligned with the input's.
void BatchWindow::CopyResults() {
    if (gis_) {
        QList<int> rows;
        for (int row = 0; row < preview_->rowCount(); ++row)
            rows.append(row);
        QApplication::clipboard()->setText(GisRowsText(rows));
        statusBar()->showMessage(gis_->complete
                                     ? tr("Скопировано вершин: %1").arg(rows.size())
                                     : tr("Скопированы показанные вершины: %1 (первые в файле; "
                                          "весь файл — «Пересчитать в файл…»)")
                                           .arg(rows.size()));
        return;
    }
    auto options = Choices();
    if (!options || thread_ || (inputPath_.isEmpty() && points_.isEmpty())) return;
    options->keepGoing = true;
    options->outputEncoding = batch::Encoding::Utf8;
    options->bom = false;
    copied_ = std::make_unique<QTemporaryFile>();
    if (!copied_->open()) {
        statusBar()->showMessage(tr("Не удалось скопировать: %1").arg(copied_->errorString()));
        copied_.reset();
        return;
    }
    copied_->close();
    badLines_->clear();
    badLineText_->clear();
    if (!headIsAll_) {  // as long as a file run may take
        StartJob(*options, copied_->fileName());
        statusBar()->showMessage(tr("Пересчёт для копирования…"));
        return;
    }
    ConversionJob job(*options, inputPath_, points_, copied_->fileName(),
                      std::make_shared<std::atomic<bool>>(false));
    connect(&job, &ConversionJob::finished, this, &BatchWindow::CopyEnded);
    job.Run();
}

void BatchWindow::CopyEnded(int outcome, const QString& message) {
    const std::unique_ptr<QTemporaryFile> copied = std::move(copied_);
    QFile results(copied->fileName());  // the run put a new file under the name
    if (outcome != static_cast<int>(batch::Outcome::Done) || !results.open(QIODevice::ReadOnly)) {
        statusBar()->showMessage(outcome == static_cast<int>(batch::Outcome::Cancelled)
                                     ? tr("Копирование отменено.")
                                     : tr("Результаты не скопированы: %1").arg(message));
        emit conversionFinished(outcome, message);
        return;
    }
    const QByteArray text = results.readAll();
    QApplication::clipboard()->setText(QString::fromUtf8(text));
    const QString said = tr("Скопировано строк: %1")
                             .arg(text.count('\n') + (!text.isEmpty() && !text.endsWith('\n')));
    statusBar()->showMessage(said);
    emit conversionFinished(outcome, said);
}

// The results of the selected rows as tab-separated cells, a line for each row, an empty one
// for a row without a point, so that they line up with the source cells.
void BatchWindow::CopySelection() {
    QList<int> rows;
    for (const QTableWidgetSelectionRange& range : preview_->selectedRanges())
        for (int row = range.topRow(); row <= range.bottomRow(); ++row)
            rows.append(row);
    if (rows.isEmpty()) return CopyResults();
    std::sort(rows.begin(), rows.end());
    if (gis_) {
        QApplication::clipboard()->setText(GisRowsText(rows));
        statusBar()->showMessage(tr("Скопировано выделенных строк: %1").arg(rows.size()));
        return;
    }
    QStringList lines;
    for (const int row : rows) {
        QStringList cells;
        const bool point = preview_->columnSpan(row, 1) == 1 && preview_->item(row, 1) &&
                           !preview_->item(row, 1)->text().isEmpty();
        for (int column = 1; point && column < preview_->columnCount(); ++column)
            cells.append(preview_->item(row, column)->text());
        lines.append(cells.join('\t'));
    }
    QApplication::clipboard()->setText(lines.join('\n') + '\n');
    statusBar()->showMessage(tr("Скопировано выделенных строк: %1").arg(rows.size()));
}

void BatchWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.front().isLocalFile() && !thread_) event->acceptProposedAction();
}

void BatchWindow::dropEvent(QDropEvent* event) {
    OpenFile(event->mimeData()->urls().front().toLocalFile());
    event->acceptProposedAction();
}

void BatchWindow::closeEvent(QCloseEvent* event) {
    Cancel();
    if (thread_) thread_->wait();
    SaveSettings();
    event->accept();
}

void BatchWindow::RestoreSettings() {
    const QSettings settings;
    const auto index = [&](const char* key, QComboBox* box, int fallback) {
        const int value = settings.value(key, fallback).toInt();
        box->setCurrentIndex(value >= 0 && value < box->count() ? value : fallback);
    };
    FillSystems(SavedSystem(settings, "source"), SavedSystem(settings, "target"));
    FillHeights(settings.value("sourceHeights").toString(),
                settings.value("targetHeights").toString());
    index("parameters", parameters_, 0);
    index("angles", angles_, 0);
    // Once a number 0–60 ("0": авто), now the zone as its system writes it.
    const QString zone = settings.value("zone").toString();
    zone_->setText(zone == "0" ? QString() : zone);
    columns_->setText(settings.value("columns").toString());
    index("separator", separator_, 0);
    skip_->setValue(settings.value("skip", 0).toInt());
    keepGoing_->setChecked(settings.value("keepGoing", false).toBool());
    decimals_->setValue(settings.value("decimals", -1).toInt());
    angleDecimals_->setValue(settings.value("angleDecimals", -1).toInt());
    index("anglesOut", anglesOut_, 0);
    index("decimalComma", decimalComma_, 0);
    index("encoding", encoding_, 0);
    index("outputEncoding", outputEncoding_, 0);
    bom_->setChecked(settings.value("bom", false).toBool());
    folder_ = settings.value("folder", QDir::homePath()).toString();
    restoreGeometry(settings.value("geometry").toByteArray());
}

void BatchWindow::SaveSettings() const {
    QSettings settings;
    settings.setValue("sourceSystem", source_->currentData());
    settings.setValue("targetSystem", target_->currentData());
    settings.setValue("sourceHeights", sourceHeights_->currentData());  // a model's id, or ""
    settings.setValue("targetHeights", targetHeights_->currentData());
    settings.remove("source");  // the indices of the lists before there were ids
    settings.remove("target");
    settings.setValue("parameters", parameters_->currentIndex());
    settings.setValue("angles", gis_ ? textAngles_ : angles_->currentIndex());
    settings.setValue("zone", zone_->text());
    settings.setValue("columns", columns_->text());
    settings.setValue("separator", separator_->currentIndex());
    settings.setValue("skip", skip_->value());
    settings.setValue("keepGoing", keepGoing_->isChecked());
    settings.setValue("decimals", decimals_->value());
    settings.setValue("angleDecimals", angleDecimals_->value());
    settings.setValue("anglesOut", anglesOut_->currentIndex());
    settings.setValue("decimalComma", decimalComma_->currentIndex());
    settings.setValue("encoding", encoding_->currentIndex());
    settings.setValue("outputEncoding", outputEncoding_->currentIndex());
    settings.setValue("bom", bom_->isChecked());
    settings.setValue("folder", folder_);
    settings.setValue("geometry", saveGeometry());
}

}  // namespace batch_window
