#include "batch-window/gis_job.h"

#include <sys/stat.h>

#include <string_view>

#include "batch/stream.h"
#include "formats/formats.h"
#include "formats/gis_conversion.h"
#include "formats/gis_rows.h"

namespace batch_window {

namespace {

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Hands the run's reports to the job's signals.
class Forwarder : public formats::GisObserver {
  public:
    Forwarder(GisJob& job, const std::atomic<bool>& cancelled) : job_(job), cancelled_(cancelled) {}

    void Say(const std::string& text) override {
        if (listed_ == GisJob::MostListed) return;
        ++listed_;
        emit job_.said(Utf8(text), QString(), -1, 0);
    }
    void Note(const formats::FeatureNote& note) override {
        if (listed_ == GisJob::MostListed) return;
        ++listed_;
        emit job_.said(GisNoteText(note), Utf8(note.layer), note.fid.value_or(-1),
                       static_cast<qint64>(note.vertex));
    }
    void Progress(std::uint64_t features, std::uint64_t vertices) override {
        emit job_.progressed(static_cast<qint64>(features), static_cast<qint64>(vertices));
    }
    void Finishing() override { emit job_.finishing(); }
    bool Cancelled() override { return cancelled_; }

  private:
    GisJob& job_;
    const std::atomic<bool>& cancelled_;
    int listed_ = 0;
};

// The outcomes the window knows for a run's: a fault of the input's points is a bad line's,
// what cannot be opened a failed read, a refusal of the target's format a failed write.
batch::Outcome OutcomeOf(formats::GisOutcome outcome) {
    switch (outcome) {
        case formats::GisOutcome::Done:
            return batch::Outcome::Done;
        case formats::GisOutcome::BadInput:
            return batch::Outcome::BadLine;
        case formats::GisOutcome::NoInput:
            return batch::Outcome::ReadFailed;
        case formats::GisOutcome::Usage:
        case formats::GisOutcome::CannotCreate:
        case formats::GisOutcome::WriteFailed:
            return batch::Outcome::WriteFailed;
        case formats::GisOutcome::Cancelled:
            return batch::Outcome::Cancelled;
    }
    return batch::Outcome::WriteFailed;  // never: every outcome is above
}

}  // namespace

GisJob::GisJob(const batch::ConversionOptions& options, QString input, QString target,
               std::shared_ptr<const std::atomic<bool>> cancelled)
    : options_(options),
      input_(std::move(input)),
      target_(std::move(target)),
      cancelled_(std::move(cancelled)) {}

void GisJob::Run() {
    formats::GisRequest request;
    request.conversion = options_;
    request.conversion.columns = {};  // a table's fields are found by their names
    request.input = input_.toStdString();
    request.output = target_.toStdString();
    // A ".csv" beside a GIS input is a GIS table, written by GDAL's CSV driver.
    if (formats::DriverForName(request.output).empty() &&
        formats::DriverForName(request.output, true) == "CSV") {
        request.outputFormat = "CSV";
    }
    struct stat about {};
    const bool existed = lstat(request.output.c_str(), &about) == 0;
    Forwarder forwarder(*this, *cancelled_);
    const formats::GisResult result = formats::ConvertGisFile(request, forwarder);
    const QString kept =
        existed ? tr("Файл %1 не изменён.").arg(target_) : tr("Файл %1 не записан.").arg(target_);
    const QString why = result.fault ? GisNoteText(*result.fault) : Utf8(result.message);
    QString message;
    switch (result.outcome) {
        case formats::GisOutcome::Done:
            message = tr("Записано в %1: объектов %2, вершин %3")
                          .arg(target_)
                          .arg(result.features)
                          .arg(result.vertices);
            if (result.dropped > 0) {
                message += tr("; объектов с ошибками пропущено %1 (они в списке ошибочных строк)")
                               .arg(result.dropped);
            }
            break;
        case formats::GisOutcome::BadInput:
            if (result.fault) forwarder.Note(*result.fault);  // into the list, as a bad line is
            message = tr("%1. %2").arg(why, kept);
            break;
        case formats::GisOutcome::NoInput:
            message = tr("Не удалось прочитать ГИС-файл: %1. %2").arg(why, kept);
            break;
        case formats::GisOutcome::Usage:
            message = tr("Так не записать: %1. %2").arg(why, kept);
            break;
        case formats::GisOutcome::CannotCreate:
        case formats::GisOutcome::WriteFailed:
            message = tr("Не удалось записать: %1. %2").arg(why, kept);
            break;
        case formats::GisOutcome::Cancelled:
            message = tr("Пересчёт отменён. %1").arg(kept);
            break;
    }
    emit finished(static_cast<int>(OutcomeOf(result.outcome)), message);
}

QString GisNoteText(const formats::FeatureNote& note) {
    QString text = GisJob::tr("слой \"%1\"").arg(Utf8(note.layer));
    if (note.fid) text += GisJob::tr(", объект %1").arg(*note.fid);
    if (note.vertex != 0) text += GisJob::tr(", вершина %1").arg(note.vertex);
    switch (note.kind) {
        case formats::FeatureNote::Kind::Warning:
            return text + GisJob::tr(": предупреждение: ") + Utf8(note.text);
        case formats::FeatureNote::Kind::LeftOut:
            return text + ": " + Utf8(note.text) + GisJob::tr("; объект пропущен");
        case formats::FeatureNote::Kind::Fault:
            return text + ": " + Utf8(note.text);
    }
    return text;
}

}  // namespace batch_window
