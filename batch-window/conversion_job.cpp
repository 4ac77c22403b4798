#include "batch-window/conversion_job.h"

#include <fcntl.h>
#include <unistd.h>

#include <QTemporaryFile>
#include <cerrno>
#include <cstring>

namespace batch_window {

namespace {

// Hands the stream's reports to the job's signals.
class Forwarder : public batch::Observer {
  public:
    Forwarder(ConversionJob& job, const std::atomic<bool>& cancelled)
        : job_(job), cancelled_(cancelled) {}

    void Note(const batch::LineNote& note) override {
        if (note.warning || listed_ == ConversionJob::MostListed) return;
        ++listed_;
        emit job_.badLine(static_cast<qint64>(note.line), QString::fromStdString(note.text));
    }
    void Progress(std::uint64_t points, std::uint64_t bytes) override {
        emit job_.progressed(static_cast<qint64>(bytes), static_cast<qint64>(points));
    }
    bool Cancelled() override { return cancelled_; }

  private:
    ConversionJob& job_;
    const std::atomic<bool>& cancelled_;
    int listed_ = 0;
};

// The system's reasons a surveyor meets, in Russian; any other as the system words it.
QString SystemError(int error) {
    switch (error) {
        case ENOENT:
            return QObject::tr("нет такого файла или каталога");
        case EACCES:
        case EPERM:
            return QObject::tr("доступ запрещён");
        case ENOSPC:
            return QObject::tr("на диске нет места");
        case EROFS:
            return QObject::tr("файловая система только для чтения");
        case EISDIR:
            return QObject::tr("это каталог");
        case ENAMETOOLONG:
            return QObject::tr("слишком длинное имя файла");
        case EIO:
            return QObject::tr("ошибка ввода-вывода");
        default:
            return QString::fromLocal8Bit(std::strerror(error));
    }
}

}  // namespace

ConversionJob::ConversionJob(const batch::ConversionOptions& options, QString input,
                             QByteArray points, QString target,
                             std::shared_ptr<const std::atomic<bool>> cancelled)
    : options_(options),
      input_(std::move(input)),
      points_(std::move(points)),
      target_(std::move(target)),
      cancelled_(std::move(cancelled)) {}

void ConversionJob::Run() {
    // Pasted points are read back from a file of their own, as a file would be.
    QTemporaryFile pasted;
    int input = -1;
    if (input_.isEmpty()) {
        if (pasted.open() && pasted.write(points_) == points_.size() && pasted.flush())
            input = ::open(pasted.fileName().toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    } else {
        input = ::open(input_.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    }
    if (input < 0) {  // nothing written yet
        emit finished(static_cast<int>(batch::Outcome::ReadFailed),
                      tr("Не удалось открыть %1: %2").arg(input_, SystemError(errno)));
        return;
    }
    const batch::StreamResult result = Convert(input);
    ::close(input);
    if (result.outcome == batch::Outcome::BadLine) {
        emit badLine(static_cast<qint64>(result.stop.line),
                     QString::fromStdString(result.stop.text));
    }
    emit finished(static_cast<int>(result.outcome), Describe(result));
}

// The conversion into the target: when it returns, the target holds the results, or is as it
// was and nothing is left beside it.
batch::StreamResult ConversionJob::Convert(int input) {
    batch::OutputFile output(target_.toLocal8Bit().toStdString());
    openFailure_ = output.failure();
    targetDirectory_ = QString::fromLocal8Bit(output.directory().c_str());
    targetReplaced_ = output.replaces();
    targetExisted_ = output.existed();
    if (output.fd() < 0) {
        batch::StreamResult failed;
        failed.outcome = batch::Outcome::WriteFailed;
        failed.systemError = output.error();
        return failed;
    }
    // The mark goes first, once, as coordconv-cli --bom writes it.
    if (options_.bom &&
        ::write(output.fd(), batch::ByteOrderMark.data(), batch::ByteOrderMark.size()) !=
            static_cast<ssize_t>(batch::ByteOrderMark.size())) {
        batch::StreamResult failed;
        failed.outcome = batch::Outcome::WriteFailed;
        failed.systemError = errno != 0 ? errno : EIO;
        return failed;
    }
    Forwarder forwarder(*this, *cancelled_);
    batch::StreamResult result = batch::ConvertStream(options_, input, output.fd(), forwarder);
    if (result.outcome == batch::Outcome::Done && !output.Commit()) {
        result.outcome = batch::Outcome::WriteFailed;
        result.systemError = errno;
    }
    return result;
}

QString ConversionJob::Describe(const batch::StreamResult& result) const {
    switch (result.outcome) {
        case batch::Outcome::Done:
            if (result.badLines > 0) {
                return tr("Записано в %1: точек %2, строк с ошибками %3 (в файле они "
                          "помечены «# ошибка: …»)")
                    .arg(target_)
                    .arg(result.points)
                    .arg(result.badLines);
            }
            return tr("Записано в %1: точек %2").arg(target_).arg(result.points);
        case batch::Outcome::BadLine:
            return tr("Строка %1: %2. %3")
                .arg(result.stop.line)
                .arg(QString::fromStdString(result.stop.text), TargetKept());
        case batch::Outcome::ReadFailed:
            if (result.systemError == 0) {  // a file cut short by another program
                return tr("Не удалось прочитать точки: файл стал короче во время пересчёта "
                          "(прочитано %1 из %2 байт). %3")
                    .arg(result.bytesRead)
                    .arg(result.bytesExpected)
                    .arg(TargetKept());
            }
            return tr("Не удалось прочитать точки: %1. %2")
                .arg(SystemError(result.systemError), TargetKept());
        case batch::Outcome::WriteFailed:
            switch (openFailure_) {
                case batch::OutputFile::Failure::ReadOnlyFile:
                    return tr("Не удалось записать %1: файл только для чтения").arg(target_);
                case batch::OutputFile::Failure::ReadOnlyDirectory:
                    return tr("Не удалось записать %1: в каталог %2 запись запрещена")
                        .arg(target_, targetDirectory_);
                case batch::OutputFile::Failure::OtherOwner:
                    return tr("Не удалось записать %1: файл принадлежит другому пользователю, "
                              "новый стал бы вашим")
                        .arg(target_);
                case batch::OutputFile::Failure::System:
                case batch::OutputFile::Failure::None:
                    break;
            }
            return tr("Не удалось записать %1: %2").arg(target_, SystemError(result.systemError));
        case batch::Outcome::Cancelled:
            break;
    }
    return tr("Пересчёт отменён. %1").arg(TargetKept());
}

// As coordconv-cli says it: "out.txt left unchanged", or "not written" when it was new.
QString ConversionJob::TargetKept() const {
    if (!targetReplaced_) return {};  // a device or a pipe written in place
    return targetExisted_ ? tr("Файл %1 не изменён.").arg(target_)
                          : tr("Файл %1 не записан.").arg(target_);
}

}  // namespace batch_window
