// coordconv-batch's main window: the choices of a conversion over the full catalogue, a
// live preview of the first lines of a file or of pasted points, and the conversion of the
// whole into a new file in the background.
#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QThread>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "batch/conversion_options.h"
#include "batch/detect.h"
#include "formats/gis_rows.h"
#include "systems/catalogue.h"

namespace systems {
struct CatalogueFault;
}

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QCheckBox;
class QSpinBox;
class QTableWidget;
class QTemporaryFile;
class QThread;

namespace batch_window {

class FitWindow;

class BatchWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit BatchWindow(QWidget* parent = nullptr);
    ~BatchWindow() override;

    // Shows the first lines of a file; false (with a message) when it cannot be read. A file
    // whose extension names a GIS format (formats::DriverForName) shows its first vertices.
    bool OpenFile(const QString& path);
    // Takes points as text (a spreadsheet's tab-separated cells) in place of a file.
    void SetPoints(const QByteArray& text);
    // Converts the whole input into target in the background.
    void ConvertTo(const QString& target);

    // The choices as a conversion takes them ("авто" resolved by what the input's first
    // lines showed); nothing, with the reason in problem, when they do not make one.
    std::optional<batch::ConversionOptions> Choices(QString* problem = nullptr) const;

    // How many lines of the input the preview shows, and how many bytes of a file it reads
    // at most (fewer lines show when they are long, and the window says so).
    static constexpr int PreviewLines = 500;
    static constexpr qint64 PreviewBytes = 4 << 20;

  public slots:
    void Open();
    void Convert();
    void Cancel();
    void PastePoints();
    // Every line of the input converted, into the clipboard: in the background when the
    // input is longer than the preview.
    void CopyResults();
    // The results of the preview's selected rows (Ctrl+C), or every result with none selected.
    void CopySelection();
    // The user's catalogue file in the desktop's editor (created with a header when missing).
    void OpenCatalogue();
    // Reads the catalogue again; the chosen systems stay when they still exist. False (the
    // fault shown, the old catalogue kept) when the file has a fault.
    bool ReloadCatalogue();
    // Asks for a new system of the user's, adds it to the file and chooses it as the target.
    void NewSystem();
    // The page «Ключи по общим точкам», a window of its own over the same catalogue.
    void OpenFitPage();

  signals:
    // A background conversion ended (for tests and the status bar alike).
    void conversionFinished(int outcome, const QString& message);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    void UpdatePreview();
    void ShowProgress(qint64 bytesRead, qint64 points);
    void AddBadLine(qint64 line, const QString& problem);
    void ShowBadLine(QListWidgetItem* item);
    void ConversionEnded(int outcome, const QString& message);
    void ShowGisProgress(qint64 features, qint64 vertices);
    // A GIS run's warning or feature left out; the feature's row selected when it is shown.
    void AddGisProblem(const QString& text, const QString& layer, qint64 fid, qint64 vertex);

  private:
    // The file a run suggests for an input: beside it, of its kind.
    static QString SuggestedTarget(const QString& input);
    // The headers of the result columns, by the form of the target (a zone where it has zones).
    static QStringList ResultHeaders(const systems::System& target, bool normalHeights);
    // A GIS file in place of the input (gis_input.cpp); false, the old input kept, when GDAL
    // cannot read it.
    bool OpenGisFile(const QString& path);
    // Back to text input: the choices a GIS file set aside.
    void LeaveGis();
    // The stored vertices and their results on the chosen route (none: the route's problem).
    void ShowGisPreview(const std::optional<batch::ConversionOptions>& options);
    // For a GIS input: the file a run suggests, the save dialog's filters.
    QString SuggestedGisTarget(const systems::System& target) const;
    void StartGisJob(const batch::ConversionOptions& options, const QString& target);
    // The preview's rows (layer, FID, vertex, results) as tab-separated lines.
    QString GisRowsText(const QList<int>& rows) const;
    void BuildChoices(QWidget* panel);
    void BuildActions();
    // Sets the choices the first lines of a new input leave no doubt about.
    void NewInput(std::string_view head);
    void Detect();
    void StartJob(const batch::ConversionOptions& options, const QString& target);
    // Gives a job (a ConversionJob or a GisJob) a worker thread of its own, which runs it when
    // started and ends with it, both deleted then; its end goes to ConversionEnded.
    template <class Job>
    void GiveThread(Job* job);
    void CopyEnded(int outcome, const QString& message);
    batch::Encoding InputEncoding() const;
    void ShowSourceLine(int row, std::string_view text, batch::Encoding encoding);
    void SetColumnWidths(int results, int fraction);
    QString LineText(qint64 line) const;
    void RestoreSettings();
    void SaveSettings() const;
    void SetBusy(bool busy);
    // The lists of systems filled from the catalogue, these systems (by id) chosen.
    void FillSystems(const QString& source, const QString& target);
    // The lists of heights filled with the catalogue's geoid models, these (by id; empty:
    // ellipsoidal heights) chosen; a model no longer in the catalogue gives ellipsoidal ones.
    void FillHeights(const QString& source, const QString& target);
    const systems::System& SystemOf(const QComboBox* choices) const;
    // A side's system with the normal heights of the model chosen beside it; none, with the
    // reason in Russian, when the model's grid cannot be had.
    std::optional<systems::System> ChosenSystem(const QComboBox* choices, const QComboBox* heights,
                                                QString* problem) const;
    void ShowCatalogueFault(const systems::CatalogueFault& fault, const QString& outcome);

    // The choices.
    QComboBox* source_;
    QComboBox* target_;
    QComboBox* sourceHeights_;  // "эллипсоидальные" or a geoid model, by its id
    QComboBox* targetHeights_;
    QComboBox* parameters_;
    QComboBox* angles_;
    QLineEdit* zone_;  // as the user writes a zone of the zoned system: "13", "37N"; empty: авто
    QLineEdit* columns_;
    QComboBox* separator_;
    QSpinBox* skip_;
    QCheckBox* keepGoing_;
    QSpinBox* decimals_;
    QSpinBox* angleDecimals_;
    QComboBox* anglesOut_;
    QComboBox* decimalComma_;
    QComboBox* encoding_;
    QComboBox* outputEncoding_;
    QCheckBox* bom_;
    QLabel* detected_;
    QLabel* route_;
    // The preview, the bad lines, the progress.
    QLabel* inputName_;
    QTableWidget* preview_;
    QListWidget* badLines_;
    QLabel* badLineText_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    QAction* openAction_;
    QAction* convertAction_;
    QAction* pasteAction_;
    QAction* copyAction_;
    QAction* copySelectionAction_;
    QAction* openCatalogueAction_;
    QAction* reloadCatalogueAction_;
    QAction* newSystemAction_;
    QAction* fitPageAction_;
    QPointer<FitWindow> fitWindow_;  // once opened

    systems::Catalogue catalogue_;   // the built-in systems and the user's file
    QString inputPath_;              // the file, or "" for pasted points
    QByteArray points_;              // the pasted points
    qint64 inputSize_ = 0;           // bytes, for the progress bar
    std::vector<std::string> head_;  // the first lines of the input, without their '\n'
    bool headIsAll_ = false;         // head_ holds every line of the input
    // What the first lines showed, for the choices left at "авто".
    batch::Encoding detectedEncoding_ = batch::Encoding::Utf8;
    bool detectedComma_ = false;
    std::string detectHead_;        // the beginning of the input the detection looks at
    QSet<QWidget*> changedByUser_;  // choices the detection no longer sets for this input
    int shownColumns_ = 0;          // result columns whose widths are set
    int shownFraction_ = 0;         // and the digits after the point they have room for
    QString folder_;                // where the last file was opened or written
    // A GIS file's first vertices, while one is the input; its layers' features when counted.
    std::optional<formats::GisRows> gis_;
    int textAngles_ = -1;  // the angle form of text input, while a GIS file reads degrees
    int gisResults_ = 0;   // the preview's first result column, for a GIS file

    // Systems with normal heights looked up in this catalogue, by "SYSTEM+MODEL", faults too:
    // a grid is read once, not at each keystroke; reading the catalogue again reads it again.
    mutable std::map<std::string, systems::SystemLookup> lookups_;

    QPointer<QThread> thread_;                      // while a conversion runs
    std::shared_ptr<std::atomic<bool>> cancelled_;  // its cancel flag
    std::unique_ptr<QTemporaryFile> copied_;        // while the results for copying are made
};

template <class Job>
void BatchWindow::GiveThread(Job* job) {
    thread_ = new QThread(this);
    job->moveToThread(thread_);
    connect(thread_, &QThread::started, job, &Job::Run);
    connect(job, &Job::finished, this, &BatchWindow::ConversionEnded);
    // Directly: the window may be waiting for the thread to end (closing while it runs).
    connect(job, &Job::finished, thread_, &QThread::quit, Qt::DirectConnection);
    connect(thread_, &QThread::finished, job, &QObject::deleteLater);
    connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
}

}  // namespace batch_window
