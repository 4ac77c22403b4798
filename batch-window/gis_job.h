// The conversion of a whole GIS file into a new one through GDAL (formats/gis_conversion.h),
// on a thread of its own as ConversionJob's, saying its progress, warnings and the features
// it leaves out as signals, in Russian where the words are coordconv's.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>

#include "batch/conversion_options.h"
#include "formats/gis_conversion.h"

namespace batch_window {

class GisJob : public QObject {
    Q_OBJECT

  public:
    // Writes target in the format its extension names (a ".csv" with GDAL's CSV driver); it
    // keeps its old contents unless the whole run succeeds. Setting cancelled (from any
    // thread) ends the run, nothing written.
    GisJob(const batch::ConversionOptions& options, QString input, QString target,
           std::shared_ptr<const std::atomic<bool>> cancelled);

    // Messages beyond this many are counted, not listed.
    static constexpr int MostListed = 10000;

  public slots:
    void Run();

  signals:
    void progressed(qint64 features, qint64 vertices);
    // Every feature is written; GDAL finishes the file.
    void finishing();
    // A warning or a feature left out: its text, and the feature's layer, FID and vertex when
    // it names them (fid −1, vertex 0: none).
    void said(const QString& text, const QString& layer, qint64 fid, qint64 vertex);
    // outcome is a batch::Outcome; message says what became of the file.
    void finished(int outcome, const QString& message);

  private:
    const batch::ConversionOptions options_;
    const QString input_;
    const QString target_;
    const std::shared_ptr<const std::atomic<bool>> cancelled_;
};

// A run's note in the window's words: «слой "L", объект F, вершина V: …», GDAL's own English
// between Russian words.
QString GisNoteText(const formats::FeatureNote& note);

}  // namespace batch_window
