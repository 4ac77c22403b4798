// The conversion of a whole file (or of pasted points) into a new file, run on a thread of
// its own so the window keeps answering; it reports progress and bad lines as signals.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "batch/output_file.h"
#include "batch/stream.h"

namespace batch_window {

class ConversionJob : public QObject {
    Q_OBJECT

  public:
    // Reads input (a file name), or the points given when input is empty; writes target,
    // which keeps its old contents unless the run succeeds (bad lines marked "# ошибка: ..."
    // with options.keepGoing).
    // Setting cancelled (from any thread) stops the run before its next block.
    ConversionJob(const batch::ConversionOptions& options, QString input, QByteArray points,
                  QString target, std::shared_ptr<const std::atomic<bool>> cancelled);

    // Bad lines beyond this many are counted, not listed.
    static constexpr int MostListed = 10000;

  public slots:
    void Run();

  signals:
    void progressed(qint64 bytesRead, qint64 points);
    void badLine(qint64 line, const QString& problem);
    // outcome is a batch::Outcome; message says what became of the file.
    void finished(int outcome, const QString& message);

  private:
    batch::StreamResult Convert(int input);
    QString Describe(const batch::StreamResult& result) const;
    QString TargetKept() const;  // what a run that failed did to the target

    // What opening the target found (set by Convert).
    batch::OutputFile::Failure openFailure_ = batch::OutputFile::Failure::None;
    QString targetDirectory_;
    bool targetReplaced_ = true;
    bool targetExisted_ = false;

    const batch::ConversionOptions options_;
    const QString input_;
    const QByteArray points_;
    const QString target_;
    const std::shared_ptr<const std::atomic<bool>> cancelled_;
};

}  // namespace batch_window
