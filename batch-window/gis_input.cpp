// The batch window with a GIS file for its input: the first vertices read once by GDAL, their
// results on the chosen route as the choices change, the whole file converted by GDAL on the
// window's worker thread.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTableWidget>
#include <QThread>
#include <algorithm>

#include "batch-window/batch_window.h"
#include "batch-window/gis_job.h"
#include "formats/formats.h"
#include "formats/text.h"
#include "formats/vertices.h"

namespace batch_window {

namespace {

using controller::CoordinateForm;

// The columns naming a vertex: its layer, its feature's FID, its number within the feature.
constexpr const char* kVertexHeaders[] = {"Слой", "Объект", "Вершина"};
constexpr int kSourceColumn = std::size(kVertexHeaders);

// The file's own coordinates, x east and y north as GIS files hold them, by the source's form.
QStringList SourceHeaders(CoordinateForm form) {
    switch (form) {
        case CoordinateForm::Geocentric:
            return {"X, м", "Y, м", "Z, м"};
        case CoordinateForm::Geodetic:
            return {BatchWindow::tr("x: L°"), BatchWindow::tr("y: B°"), BatchWindow::tr("z: H, м")};
        case CoordinateForm::Plane:
            break;
    }
    return {BatchWindow::tr("x: восток, м"), BatchWindow::tr("y: север, м"),
            BatchWindow::tr("z: H, м")};
}

// The file's number as it holds it: the shortest text that reads back to the same double.
QString Held(double value) {
    return QString::fromStdString(formats::Shortest(value));
}

// A result as the text preview writes one with "авто" digits.
QString Result(double value) {
    char text[controller::MaxGeneralLength];
    return QString::fromLatin1(
        text, controller::WriteGeneral(text, value, controller::ResultDigits) - text);
}

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

bool BatchWindow::OpenGisFile(const QString& path) {
    formats::GisRows read = formats::ReadGisRows(path.toStdString(), PreviewLines);
    if (!read.error.empty()) {
        statusBar()->showMessage(tr("Не удалось открыть %1: %2").arg(path, Utf8(read.error)));
        return false;
    }
    if (!gis_) {  // a GIS file holds decimal degrees: the text's choice waits
        textAngles_ = angles_->currentIndex();
        const QSignalBlocker quiet(angles_);
        angles_->setCurrentIndex(1);
    }
    const QFileInfo info(path);
    inputPath_ = info.absoluteFilePath();
    folder_ = info.absolutePath();
    points_.clear();
    inputSize_ = info.size();
    head_.clear();
    headIsAll_ = false;
    detectHead_.clear();
    changedByUser_.clear();
    gis_ = std::move(read);
    const QString features = gis_->features ? tr(", объектов %1").arg(*gis_->features) : QString();
    const QString shown = gis_->complete ? tr("показаны все вершины (%1).").arg(gis_->rows.size())
                                         : tr("показаны первые %1 вершин.").arg(gis_->rows.size());
    inputName_->setText(tr("ГИС-файл %1 (GDAL: %2), слоёв %3%4; %5")
                            .arg(QDir::toNativeSeparators(inputPath_), Utf8(gis_->driver))
                            .arg(gis_->layers)
                            .arg(features, shown));
    badLines_->clear();
    badLineText_->clear();
    statusBar()->clearMessage();
    Detect();  // hides the detection line, shows the rows
    return true;
}

void BatchWindow::LeaveGis() {
    if (!gis_) return;
    gis_.reset();
    shownColumns_ = 0;  // the text's columns take their widths again
    const QSignalBlocker quiet(angles_);
    if (textAngles_ >= 0) angles_->setCurrentIndex(textAngles_);
}

void BatchWindow::ShowGisPreview(const std::optional<batch::ConversionOptions>& options) {
    const systems::System& source = SystemOf(source_);
    const bool geocentricSource = source.form == CoordinateForm::Geocentric;
    const bool heights =
        geocentricSource || std::any_of(gis_->rows.begin(), gis_->rows.end(),
                                        [](const formats::GisRow& row) { return row.hasZ; });
    QStringList headers;
    for (const char* header : kVertexHeaders)
        headers += tr(header);
    headers += SourceHeaders(source.form).mid(0, heights ? 3 : 2);
    gisResults_ = static_cast<int>(headers.size());
    const QStringList results =
        ResultHeaders(SystemOf(target_), targetHeights_->currentIndex() > 0);
    headers += results;
    preview_->setColumnCount(static_cast<int>(headers.size()));
    preview_->setHorizontalHeaderLabels(headers);
    // Names sized to their texts; numbers as wide as the text preview's (a sign, fourteen digits).
    QHeaderView* header = preview_->horizontalHeader();
    const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    const int number = preview_->fontMetrics().horizontalAdvance("-00000000.000000") + margin;
    for (int column = 0; column < headers.size(); ++column) {
        header->setSectionResizeMode(column, column < kSourceColumn ? QHeaderView::ResizeToContents
                                                                    : QHeaderView::Interactive);
        if (column >= kSourceColumn) header->resizeSection(column, number);
    }
    if (results.size() == 4) {  // the zone's: as wide as its header
        header->resizeSection(static_cast<int>(headers.size()) - 1,
                              header->fontMetrics().horizontalAdvance(results.back()) + 2 * margin);
    }
    shownColumns_ = 0;

    const int count = static_cast<int>(gis_->rows.size());
    preview_->setRowCount(count);
    std::optional<formats::VertexConverter> converter;
    if (options) converter.emplace(*options);
    const auto put = [this](int row, int column, const QString& text) {
        preview_->setItem(row, column, new QTableWidgetItem(text));
    };
    for (int row = 0; row < count; ++row) {
        const formats::GisRow& vertex = gis_->rows[row];
        preview_->setVerticalHeaderItem(row, new QTableWidgetItem(QString::number(row + 1)));
        put(row, 0, Utf8(vertex.layer));
        put(row, 1, QString::number(vertex.fid));
        put(row, 2, QString::number(vertex.vertex));
        const bool read = vertex.fault.empty();
        put(row, kSourceColumn, read ? Held(vertex.x) : QString());
        put(row, kSourceColumn + 1, read ? Held(vertex.y) : QString());
        if (heights) put(row, kSourceColumn + 2, read && vertex.hasZ ? Held(vertex.z) : QString());
        for (int column = gisResults_; column < headers.size(); ++column)
            put(row, column, QString());
        if (!converter) continue;  // the rows stay in sight, without results
        double x = vertex.x, y = vertex.y, z = vertex.z;
        const char* warning = nullptr;
        const std::string fault = read ? converter->Convert(x, y, z, warning) : vertex.fault;
        if (!fault.empty()) {
            QTableWidgetItem* error = preview_->item(row, gisResults_);
            error->setText(Utf8(fault));
            error->setToolTip(error->text());
            error->setForeground(Qt::red);
            preview_->setSpan(row, gisResults_, 1, static_cast<int>(results.size()));
            continue;
        }
        // The route's order: latitude and northing first; geocentric X, Y, Z as they stand.
        const bool geocentric = options->to.form == CoordinateForm::Geocentric;
        preview_->item(row, gisResults_)->setText(Result(geocentric ? x : y));
        preview_->item(row, gisResults_ + 1)->setText(Result(geocentric ? y : x));
        // A 2D geometry stays 2D in the file: its height 0 converted is not written.
        if (vertex.hasZ || converter->NeedsZ())
            preview_->item(row, gisResults_ + 2)->setText(Result(z));
        if (converter->TargetZoned()) {
            preview_->item(row, gisResults_ + 3)
                ->setText(Utf8(systems::ZoneText(options->to, converter->Zone())));
        }
    }
}

// "трек.gpx" → "трек-пересчёт.gpx", or ".gpkg" where the input's kind holds WGS-84 alone and
// the target is something else.
QString BatchWindow::SuggestedGisTarget(const systems::System& target) const {
    const QFileInfo info(inputPath_);
    const bool wgs84 = target.datum.id == "wgs84" && target.form == CoordinateForm::Geodetic;
    const bool kept = !formats::FactsOf(gis_->driver).wgs84Only || wgs84;
    return info.absolutePath() + "/" + info.completeBaseName() + tr("-пересчёт.") +
           (kept ? info.suffix() : QStringLiteral("gpkg"));
}

void BatchWindow::StartGisJob(const batch::ConversionOptions& options, const QString& target) {
    cancelled_ = std::make_shared<std::atomic<bool>>(false);
    auto* job = new GisJob(options, inputPath_, target, cancelled_);
    connect(job, &GisJob::progressed, this, &BatchWindow::ShowGisProgress);
    connect(job, &GisJob::said, this, &BatchWindow::AddGisProblem);
    connect(job, &GisJob::finishing, this, [this] {
        progress_->setRange(0, 0);
        statusBar()->showMessage(
            tr("GDAL дописывает файл (пространственный индекс — дольше всего)…"));
    });
    GiveThread(job);
    SetBusy(true);
    // By features out of the total where it is known, else busy.
    if (!gis_->features || *gis_->features == 0) progress_->setRange(0, 0);
    thread_->start();
}

void BatchWindow::ShowGisProgress(qint64 features, qint64 vertices) {
    if (gis_ && gis_->features && *gis_->features > 0) {
        const auto total = static_cast<qint64>(*gis_->features);
        progress_->setValue(static_cast<int>(std::min<qint64>(1000, features * 1000 / total)));
    }
    statusBar()->showMessage(tr("Пересчитано вершин: %1").arg(vertices));
}

void BatchWindow::AddGisProblem(const QString& text, const QString& layer, qint64 fid,
                                qint64 vertex) {
    if (badLines_->count() > GisJob::MostListed) return;
    auto* item = new QListWidgetItem(text);
    // The row of the vertex named, or of the feature's first vertex.
    const std::string name = layer.toStdString();
    const auto& rows = gis_->rows;
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const formats::GisRow& row) {
        return fid >= 0 && row.layer == name && row.fid == fid &&
               (vertex == 0 || row.vertex == static_cast<std::uint64_t>(vertex));
    });
    item->setData(Qt::UserRole, found == rows.end() ? 0 : int(found - rows.begin()) + 1);
    badLines_->addItem(item);
    if (badLines_->count() == GisJob::MostListed)
        badLines_->addItem(tr("… и другие: их число — в строке состояния."));
}

QString BatchWindow::GisRowsText(const QList<int>& rows) const {
    QString text;
    for (const int row : rows) {
        QStringList cells;
        for (int column = 0; column < preview_->columnCount(); ++column) {
            if (column >= kSourceColumn && column < gisResults_) continue;
            if (const QTableWidgetItem* item = preview_->item(row, column)) cells += item->text();
            if (preview_->columnSpan(row, column) > 1) break;  // an error in place of results
        }
        text += cells.join('\t') + '\n';
    }
    return text;
}

}  // namespace batch_window
