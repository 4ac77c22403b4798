// coordconv-batch's window on the offscreen platform: the choices and the live preview, files
// converted to the bytes coordconv-cli writes, runs that leave no file, paste and copy, the
// choices remembered.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <tuple>

#include "batch-window/batch_window.h"
#include "batch/describe.h"
#include "batch/stream.h"
#include "case_file.h"
#include "systems/catalogue_file.h"

using batch_window::BatchWindow;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Chooses the system of this id in a list of systems.
void Choose(BatchWindow& window, const char* list, const QString& id) {
    auto* choices = window.findChild<QComboBox*>(list);
    const int index = choices->findData(id);
    QVERIFY2(index >= 0, qPrintable(id));
    choices->setCurrentIndex(index);
}

QString Chosen(BatchWindow& window, const char* list) {
    return window.findChild<QComboBox*>(list)->currentData().toString();
}

// The window's choices, as the lists and fields hold them.
struct Choices {
    QString source, target;
    int parameters, angles;
    QString columns;
    int skip = 0;
    bool keepGoing = false;
    int separator = 0;

    void Apply(BatchWindow& window) const {
        Choose(window, "source", source);
        Choose(window, "target", target);
        window.findChild<QComboBox*>("parameters")->setCurrentIndex(parameters);
        window.findChild<QComboBox*>("angles")->setCurrentIndex(angles);
        window.findChild<QLineEdit*>("columns")->setText(columns);
        window.findChild<QSpinBox*>("skip")->setValue(skip);
        window.findChild<QCheckBox*>("keepGoing")->setChecked(keepGoing);
        window.findChild<QComboBox*>("separator")->setCurrentIndex(separator);
        // The output and encoding choices at "авто", whatever an earlier case remembered.
        for (const char* name : {"decimals", "angleDecimals"})
            window.findChild<QSpinBox*>(name)->setValue(-1);
        for (const char* name : {"anglesOut", "decimalComma", "encoding", "outputEncoding"})
            window.findChild<QComboBox*>(name)->setCurrentIndex(0);
        window.findChild<QCheckBox*>("bom")->setChecked(false);
        window.findChild<QLineEdit*>("zone")->clear();  // авто
        for (const char* name : {"sourceHeights", "targetHeights"})
            window.findChild<QComboBox*>(name)->setCurrentIndex(0);  // эллипсоидальные
    }
};

constexpr const char *kWgs84Blh = "wgs84-blh", *kWgs84Xyz = "wgs84-xyz", *kSk42Blh = "sk42-blh",
                     *kSk42Xyh = "sk42-xyh", *kPz9011Blh = "pz9011-blh";

// A run of coordconv-cli: its standard output and exit status.
std::pair<QByteArray, int> RunCli(const QStringList& arguments, const QString& input) {
    QProcess cli;
    cli.setStandardInputFile(input);
    cli.start(COORDCONV_CLI, arguments);
    cli.waitForFinished(60000);
    return {cli.readAllStandardOutput(), cli.exitCode()};
}

// Converts the window's input into target and waits for the end: the outcome, the message.
std::pair<int, QString> ConvertAndWait(BatchWindow& window, const QString& target) {
    QSignalSpy finished(&window, &BatchWindow::conversionFinished);
    window.ConvertTo(target);
    if (!finished.wait(60000)) return {-1, {}};
    return {finished.at(0).at(0).toInt(), finished.at(0).at(1).toString()};
}

QAction* Action(BatchWindow& window, const char* name) {
    return window.findChild<QAction*>(name);
}

QString CatalogueFile() {
    return QString::fromStdString(systems::UserCatalogueFile());
}

void WriteCatalogue(const QByteArray& text) {
    QVERIFY(QDir().mkpath(QFileInfo(CatalogueFile()).absolutePath()));
    Write(CatalogueFile(), text);
}

// A system of the user's on SK-42: МСК-50's second zone as GIS packages spell it.
QByteArray UserSystem(const QByteArray& id, const QByteArray& k = "1") {
    return "[system." + id + "]\nname = \"МСК " + id + "\"\ndatum = \"sk42\"\n" +
           "tmerc = { lon_0 = 38.48333333333, lat_0 = 0, k = " + k +
           ", x_0 = 1250000, y_0 = -5412900.566 }\n";
}

// A geoid model of the user's over WGS-84.
QByteArray Model(const QByteArray& id, const QString& file) {
    return "[geoid." + id + "]\nfile = \"" + file.toUtf8() + "\"\ndatum = \"wgs84\"\n";
}

// The message box the window shows about the catalogue, once it shows.
QMessageBox* CatalogueFaultBox(BatchWindow& window) {
    QMessageBox* box = nullptr;
    const bool shown = QTest::qWaitFor([&] {
        box = window.findChild<QMessageBox*>("catalogueFault");
        return box && box->isVisible();
    });
    return shown ? box : nullptr;
}

// The headers of a list of systems, each "!" first if it may be chosen (a fault).
QStringList Headers(BatchWindow& window, const char* list) {
    auto* choices = window.findChild<QComboBox*>(list);
    auto* items = qobject_cast<QStandardItemModel*>(choices->model());
    QStringList headers;
    for (int i = 0; i < choices->count(); ++i) {
        if (choices->itemData(i).isValid()) continue;
        headers += (items->item(i)->flags() == Qt::NoItemFlags ? "" : "!") + choices->itemText(i);
    }
    return headers;
}

// A run of a GDAL tool (ogr2ogr, ogrinfo): false when it failed; its standard output.
bool RunTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess tool;
    tool.start(program, arguments);
    const bool ran = tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit &&
                     tool.exitCode() == 0;
    if (output) *output = tool.readAllStandardOutput();
    return ran;
}

// A GIS file read back by GDAL: every layer's features with their geometries in 17 digits
// (every double as it is), the lines naming the file left out.
QByteArray GisContents(const QString& path) {
    QByteArray text;
    if (!RunTool("ogrinfo",
                 {"--config", "OGR_WKT_PRECISION", "17", "-ro", "-al", "-q", "-nomd", path}, &text))
        return "ogrinfo failed";
    QByteArray kept;
    for (const QByteArray& line : text.split('\n'))
        if (!line.contains(QFileInfo(path).fileName().toUtf8())) kept += line + '\n';
    return kept;
}

QStringList PreviewRow(BatchWindow& window, int row) {
    auto* preview = window.findChild<QTableWidget*>("preview");
    QStringList cells;
    for (int column = 0; column < preview->columnCount(); ++column)
        cells.append(preview->item(row, column) ? preview->item(row, column)->text() : QString());
    return cells;
}

}  // namespace

class BatchWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // Settings of this run's own: runs side by side must not read each other's.
        QVERIFY(directory_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, directory_.path());
        // And a catalogue of systems of its own: never the user's.
        qputenv("XDG_CONFIG_HOME", directory_.filePath("config").toUtf8());
        QApplication::setOrganizationName("coordconv-test");
        QApplication::setApplicationName("coordconv-batch-test");
    }
    // Each test starts without a catalogue file.
    void init() { QFile::remove(CatalogueFile()); }

    // The result columns follow every choice at once; a pair the window's parameters do not
    // know empties the preview and cannot be converted.
    void previewFollowsTheChoices() {
        BatchWindow window;
        const QString file = directory_.filePath("points.txt");
        Write(file, "B L H\n554500 373700 100\n55.3x 1 2\n# a comment\n");
        QVERIFY(window.OpenFile(file));
        Choices{kWgs84Blh, kWgs84Xyz, 1, 0, "", 1}.Apply(window);
        QCOMPARE(PreviewRow(window, 0), QStringList({"B L H", "", "", ""}));
        QCOMPARE(PreviewRow(window, 1), QStringList({"554500 373700 100", "2849972.61724",
                                                     "2196095.35833", "5248909.51103"}));
        QCOMPARE(PreviewRow(window, 2).at(1), "поле 1 «55.3x» — не число");
        QCOMPARE(PreviewRow(window, 3).at(1), "");
        QCOMPARE(window.findChild<QTableWidget*>("preview")->horizontalHeaderItem(1)->text(),
                 "X, м");
        // The run stops at the bad line; clicking it in the list selects it in the table.
        QCOMPARE(ConvertAndWait(window, directory_.filePath("out.txt")).first,
                 int(batch::Outcome::BadLine));
        auto* badLines = window.findChild<QListWidget*>("badLines");
        badLines->itemClicked(badLines->item(0));
        QCOMPARE(window.findChild<QLabel*>("badLineText")->text(), "Строка 3: 55.3x 1 2");
        QCOMPARE(window.findChild<QTableWidget*>("preview")->currentRow(), 2);

        Choose(window, "target", kSk42Xyh);
        QCOMPARE(PreviewRow(window, 1).at(4), "7");  // the zone column
        window.findChild<QComboBox*>("angles")->setCurrentIndex(2);
        window.findChild<QComboBox*>("parameters")->setCurrentIndex(0);
        QCOMPARE(PreviewRow(window, 2).at(1).left(8), "поле 1 «");
        QVERIFY(window.findChild<QLabel*>("route")->text().contains("ГОСТ 32453-2017"));

        Choose(window, "target", kPz9011Blh);
        window.findChild<QComboBox*>("parameters")->setCurrentIndex(1);
        // The lines stay; the route line names the system the window's parameters lack.
        QCOMPARE(PreviewRow(window, 1), QStringList({"554500 373700 100", "", "", ""}));
        QVERIFY(window.findChild<QLabel*>("route")->text().contains(
            QString::fromStdString(systems::BuiltIn().Find(kPz9011Blh)->names.russian)));
        QVERIFY(!window.Choices());
        QVERIFY(!Action(window, "convert")->isEnabled());
    }

    // The lists name the window's seven systems plainly and mark the official ones with their
    // standard (the names as the catalogue of systems was written).
    void choiceNamesMarkTheOfficialSystems() {
        BatchWindow window;
        const auto* source = window.findChild<QComboBox*>("source");
        QCOMPARE(source->itemText(source->findData(kWgs84Xyz)), "WGS-84 — геоцентрические X, Y, Z");
        QCOMPARE(source->itemText(source->findData(kPz9011Blh)),
                 "ПЗ-90.11 — геодезические B, L, H (ГОСТ 32453-2017)");
    }

    // The window's parameters know no route to an official system: describing one says so.
    void noWindowRouteToAnOfficialSystem() {
        batch::ConversionOptions options;
        options.parameters = batch::Parameters::Window;
        options.from = *systems::BuiltIn().Find("wgs84-blh");
        options.to = *systems::BuiltIn().Find("pz9011-blh");
        QCOMPARE(QString::fromStdString(batch::DescribeRoute(options)),
                 "No route from wgs84-blh to pz9011-blh with the window's parameters: they join "
                 "only the window's seven systems.\n");
        std::swap(options.from, options.to);
        QVERIFY(batch::DescribeRoute(options).starts_with("No route from pz9011-blh"));
    }

    // The saved file holds exactly what coordconv-cli writes with the same choices.
    void savedFileIsWhatTheCommandLineWrites_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("parameters");
        QTest::addColumn<int>("angles");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<bool>("keepGoing");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("window, packed") << kWgs84Blh << kSk42Xyh << 1 << 0 << "" << false
                                        << QStringList{"--parameters", "window"};
        QTest::newRow("gost, dms, columns, keep going")
            << kWgs84Blh << kPz9011Blh << 0 << 2 << "2,3,4" << true
            << QStringList{"--angles", "dms", "--columns", "2,3,4", "-k"};
    }
    void savedFileIsWhatTheCommandLineWrites() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(int, parameters);
        QFETCH(int, angles);
        QFETCH(QString, columns);
        QFETCH(bool, keepGoing);
        QFETCH(QStringList, arguments);
        QByteArray points = "# survey 2026\r\n";
        for (int i = 0; i < 40000; ++i) {  // several blocks of lines
            const QByteArray b = QByteArray::number(550000 + (i % 50) * 100 + i % 60);
            points += columns.isEmpty()
                          ? b + " 373700 " + QByteArray::number(i % 300) + "\n"
                          : "P" + QByteArray::number(i) + " 55:" + QByteArray::number(i % 60) +
                                ":00 37:37:00 150\n";
        }
        if (keepGoing) points += "P0 55:61:00 37:37:00 150\n";
        const QString input = directory_.filePath("survey.txt");
        const QString output = directory_.filePath("survey-converted.txt");
        Write(input, points);

        BatchWindow window;
        QVERIFY(window.OpenFile(input));
        Choices{source, target, parameters, angles, columns, 0, keepGoing}.Apply(window);
        const auto [outcome, message] = ConvertAndWait(window, output);
        QCOMPARE(outcome, int(batch::Outcome::Done));
        QVERIFY2(
            message.endsWith(keepGoing ? "строк с ошибками 1 (в файле они помечены «# ошибка: …»)"
                                       : "точек 40000"),
            qPrintable(message));
        auto [expected, status] = RunCli(arguments + QStringList{source, target}, input);
        QCOMPARE(status, keepGoing ? 65 : 0);
        // But for the mark of the bad line, in Russian as tests/data/messages.cases has it.
        const QByteArray english = "# error: field 2 \"55:61:00\" has 60 minutes or more";
        QCOMPARE(expected.count(english), keepGoing ? 1 : 0);
        expected.replace(english, "# ошибка: поле 2 «55:61:00» — 60 минут или больше");
        QVERIFY(ReadAll(output) == expected);
        QCOMPARE(window.findChild<QListWidget*>("badLines")->count(), keepGoing ? 1 : 0);
    }

    // The output choices reach the preview and the file as coordconv-cli's options do: the
    // digits, the output angle form, the decimal comma, the output encoding, the mark.
    void outputChoicesAreTheCommandLines() {
        const QString input = directory_.filePath("named.csv");
        Write(input, "Пункт;B;L;H\nП1;55,758;37,617;150,5\n");
        BatchWindow window;
        Choices{kWgs84Blh, kPz9011Blh, 0, 0, ""}.Apply(window);
        QVERIFY(window.OpenFile(input));
        window.findChild<QSpinBox*>("decimals")->setValue(3);
        window.findChild<QSpinBox*>("angleDecimals")->setValue(2);
        window.findChild<QComboBox*>("anglesOut")->setCurrentIndex(1);  // ГГГММСС.ссс
        const QStringList arguments = {"--angles",
                                       "degrees",
                                       "--angles-out",
                                       "packed",
                                       "--decimals-metres",
                                       "3",
                                       "--decimals-angles",
                                       "2",
                                       "--separator",
                                       "semicolon",
                                       "--skip",
                                       "1",
                                       "--columns",
                                       "2,3,4",
                                       "--decimal-comma",
                                       "wgs84-blh",
                                       "pz9011-blh"};
        const QString output = directory_.filePath("named-converted.csv");
        for (const bool windows1251 : {true, false}) {
            window.findChild<QComboBox*>("outputEncoding")->setCurrentIndex(windows1251 ? 2 : 1);
            window.findChild<QCheckBox*>("bom")->setChecked(true);  // not with Windows-1251
            QCOMPARE(ConvertAndWait(window, output).first, int(batch::Outcome::Done));
            const auto [expected, status] = RunCli(
                arguments + QStringList{windows1251 ? "--output-encoding=windows-1251" : "--bom"},
                input);
            QCOMPARE(status, 0);
            QVERIFY2(ReadAll(output) == expected, expected.constData());
        }
        const QList<QByteArray> fields = ReadAll(output).split('\n').at(1).split(';');
        QCOMPARE(PreviewRow(window, 1).mid(1, 3),
                 QStringList({fields.at(1), fields.at(2), fields.at(3)}));
    }

    // A failing line or a cancelled run leaves the target as it was and no file beside it;
    // the bad line is listed, and clicking it shows the line.
    void failedOrCancelledRunLeavesNoFile() {
        const QString input = directory_.filePath("long.txt");
        QByteArray points;
        for (int i = 0; i < 400000; ++i)
            points += "554500 373700 100\n";
        points += "554500 x 100\n";
        Write(input, points);
        const QString output = directory_.filePath("kept.txt");
        Write(output, "old contents\n");

        BatchWindow window;
        QVERIFY(window.OpenFile(input));
        Choices{kWgs84Blh, kWgs84Xyz, 1, 0, ""}.Apply(window);
        const auto [outcome, message] = ConvertAndWait(window, output);
        QCOMPARE(outcome, int(batch::Outcome::BadLine));
        QCOMPARE(message, "Строка 400001: поле 2 «x» — не число. Файл " + output + " не изменён.");
        auto* badLines = window.findChild<QListWidget*>("badLines");
        QCOMPARE(badLines->count(), 1);
        QCOMPARE(badLines->item(0)->text(), "строка 400001: поле 2 «x» — не число");
        badLines->itemClicked(badLines->item(0));
        QCOMPARE(window.findChild<QLabel*>("badLineText")->text(), "Строка 400001: 554500 x 100");
        QVERIFY(Action(window, "convert")->isEnabled());  // once more, after the run
        QVERIFY(window.OpenFile(input));                  // a file opened anew: a clean list
        QCOMPARE(badLines->count(), 0);

        QSignalSpy finished(&window, &BatchWindow::conversionFinished);
        window.ConvertTo(output);
        window.Cancel();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(0).toInt(), int(batch::Outcome::Cancelled));

        QCOMPARE(ReadAll(output), "old contents\n");
        QCOMPARE(QDir(directory_.path()).entryList({".coordconv-*"}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // Cells pasted from a spreadsheet become the input; the results go back as cells.
    void pasteAndCopy() {
        BatchWindow window;
        Choices{kWgs84Blh, kWgs84Xyz, 1, 0, ""}.Apply(window);
        QApplication::clipboard()->setText("554500\t373700\t100\n\n544500\t373700\t100\n");
        QVERIFY(!Action(window, "convert")->isEnabled());  // nothing to convert yet
        Action(window, "paste")->trigger();
        QCOMPARE(window.findChild<QTableWidget*>("preview")->rowCount(), 3);
        QVERIFY(Action(window, "convert")->isEnabled());
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.findChild<QTableWidget*>("preview")->setFocus();
        QTest::keyClick(window.windowHandle(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 "2849972.61724\t2196095.35833\t5248909.51103\n\n"
                 "2922429.24809\t2251928.05993\t5185452.6771\n");

        const QString output = directory_.filePath("pasted.txt");
        QCOMPARE(ConvertAndWait(window, output).first, int(batch::Outcome::Done));
        // The cells were found tab-separated: the results are joined by tabs as well.
        QCOMPARE(ReadAll(output),
                 "2849972.61724\t2196095.35833\t5248909.51103\n\n"
                 "2922429.24809\t2251928.05993\t5185452.6771\n");

        // Pasted decimal degrees are found to be degrees, not packed angles near Greenwich.
        QApplication::clipboard()->setText("55.75\t37.5\t100\n");
        Action(window, "paste")->trigger();
        QCOMPARE(window.findChild<QComboBox*>("angles")->currentText(), "градусы");

        // A name with a blank is one cell; "пробел" splits it (the window's values above).
        QApplication::clipboard()->setText("Old pillar\t554500\t373700\t100\n");
        Action(window, "paste")->trigger();
        Choices{kWgs84Blh, kWgs84Xyz, 1, 0, "2,3,4"}.Apply(window);
        QCOMPARE(ConvertAndWait(window, output).first, int(batch::Outcome::Done));
        QCOMPARE(ReadAll(output), "Old pillar\t2849972.61724\t2196095.35833\t5248909.51103\n");
        Choices{kWgs84Blh, kWgs84Xyz, 1, 0, "2,3,4", 0, false, 4}.Apply(window);
        QCOMPARE(ConvertAndWait(window, output).first, int(batch::Outcome::BadLine));
    }

    // A Russian Excel CSV (Windows-1251, semicolons, a header, decimal commas, quoted names)
    // opens with its choices made and converts to the hand-checked file that coordconv-cli
    // --decimals 3 writes (tests/data/cli.cases). Choosing the source again looks again (the
    // angles of a geodetic source), but a choice changed since the file opened stays.
    void russianExcelFileOpensReady() {
        BatchWindow window;
        Choices{kSk42Xyh, kSk42Xyh, 0, 1, "", 0, false, 4}.Apply(window);
        window.findChild<QComboBox*>("encoding")->setCurrentIndex(1);      // UTF-8
        window.findChild<QComboBox*>("decimalComma")->setCurrentIndex(1);  // точка
        window.findChild<QSpinBox*>("decimals")->setValue(3);
        QVERIFY(window.OpenFile(QFINDTESTDATA("../data/points/excel-1251.csv")));
        QCOMPARE(window.findChild<QComboBox*>("encoding")->currentText(), "Windows-1251");
        QCOMPARE(window.findChild<QComboBox*>("separator")->currentText(), "точка с запятой");
        QCOMPARE(window.findChild<QComboBox*>("decimalComma")->currentText(), "запятая");
        QCOMPARE(window.findChild<QSpinBox*>("skip")->value(), 1);
        QCOMPARE(window.findChild<QLineEdit*>("columns")->text(), "2,3,4");
        QVERIFY(window.findChild<QLabel*>("detected")
                    ->text()
                    .startsWith("Определено: кодировка Windows-1251"));
        QCOMPARE(PreviewRow(window, 0).at(0), "Пункт;B;L;H;Примечание");
        Choose(window, "source", kSk42Blh);
        QCOMPARE(window.findChild<QComboBox*>("angles")->currentText(), "ГГГММСС.ссс");
        const QString output = directory_.filePath("excel-converted.csv");
        QCOMPARE(ConvertAndWait(window, output).first, int(batch::Outcome::Done));
        QVERIFY(ReadAll(output) ==
                ReadAll(QFINDTESTDATA("../data/points/excel-1251.expected.csv")));
        window.findChild<QSpinBox*>("skip")->setValue(0);
        Choose(window, "source", kWgs84Blh);
        QCOMPARE(window.findChild<QSpinBox*>("skip")->value(), 0);
    }

    // The copy button copies every line of a file longer than the preview, converted in the
    // background, a bad line marked in its place; with "продолжать" the file is written the
    // same way. Results as in previewFollowsTheChoices.
    void copyAndKeepGoingCoverEveryLine() {
        QByteArray points, expected;
        for (int line = 1; line <= BatchWindow::PreviewLines + 100; ++line) {
            const bool north = line % 2 == 0;
            points += line == 550 ? "55.3x 1 2\n"
                      : north     ? "554500 373700 100\n"
                                  : "544500 373700 100\n";
            expected += line == 550 ? "55.3x 1 2 # ошибка: поле 1 «55.3x» — не число\n"
                        : north ? "2849972.61724 2196095.35833 5248909.51103\n"
                                : "2922429.24809 2251928.05993 5185452.6771\n";
        }
        const QString input = directory_.filePath("long.txt");
        Write(input, points);
        BatchWindow window;
        QVERIFY(window.OpenFile(input));
        Choices{kWgs84Blh, kWgs84Xyz, 1, 0, "", 0, true}.Apply(window);
        QSignalSpy finished(&window, &BatchWindow::conversionFinished);
        Action(window, "copy")->trigger();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(1).toString(), "Скопировано строк: 600");
        QVERIFY(QApplication::clipboard()->text() == QString::fromUtf8(expected));

        const QString output = directory_.filePath("long-converted.txt");
        const auto [outcome, message] = ConvertAndWait(window, output);
        QCOMPARE(outcome, int(batch::Outcome::Done));
        QVERIFY2(message.contains("строк с ошибками 1"), qPrintable(message));
        QVERIFY(ReadAll(output) == expected);
    }

    // A file dropped on the window opens as the menu would open it.
    void droppedFileOpens() {
        BatchWindow window;
        const QString file = directory_.filePath("dropped.txt");
        Write(file, "554500 373700 100\n");
        QMimeData web;
        web.setUrls({QUrl("https://example.org/points.txt")});
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &refused);
        QVERIFY(!refused.isAccepted());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&window, &drop);
        QCOMPARE(PreviewRow(window, 0).at(0), "554500 373700 100");
    }

    // The catalogue's groups under headers that cannot be chosen (the arrow keys step over
    // them); the user's systems in a group of their own, only when there are any, each
    // saying where it was defined.
    void systemsStandInGroups() {
        const QStringList builtIn = {"Системы окна пересчёта", "ГОСТ 32453-2017", "3° зоны и UTM"};
        {
            BatchWindow window;
            QCOMPARE(Headers(window, "source"), builtIn);
            Choose(window, "target", kSk42Xyh);  // the last of the window's seven
            window.show();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            window.findChild<QComboBox*>("target")->setFocus();
            QTest::keyClick(window.windowHandle(), Qt::Key_Down);
            QCOMPARE(Chosen(window, "target"), "pz9011-xyz");
        }
        WriteCatalogue("# my systems\n" + UserSystem("msk-test"));
        BatchWindow window;
        QCOMPARE(Headers(window, "target"), builtIn + QStringList{"Пользовательские"});
        auto* target = window.findChild<QComboBox*>("target");
        const int user = target->findData("msk-test");
        QCOMPARE(target->itemText(user), "МСК msk-test");
        QCOMPARE(target->itemData(user, Qt::ToolTipRole).toString(),
                 "Определена в " + CatalogueFile() + ":2");
        // Into it from SK-42 on the same ellipsoid: the transverse Mercator alone, as PROJ's
        // `cct +proj=tmerc +lat_0=0 +lon_0=38.48333333333 +k=1 +x_0=1250000 +y_0=-5412900.566
        // +ellps=krass` gives 37.6166666667 55.75 100 (x is its northing, y its easting).
        window.SetPoints("554500 373700 100\n");
        Choices{kSk42Blh, "msk-test", 0, 0, ""}.Apply(window);
        QCOMPARE(PreviewRow(window, 0).mid(1, 3),
                 QStringList({"768276.085719", "1195577.58069", "100"}));
    }

    // A fault in the file is said with its file, line and key, and the window goes on with the
    // built-in systems; reloading a faulty file keeps the catalogue read before.
    void catalogueFaultIsShown() {
        const QByteArray faulty = "\n" + UserSystem("msk-bad", "0");
        systems::Catalogue expected;
        const auto fault = systems::ReadCatalogueText(faulty.toStdString(),
                                                      CatalogueFile().toStdString(), expected);
        QVERIFY(fault);
        WriteCatalogue(faulty);
        {
            BatchWindow window;
            QMessageBox* box = CatalogueFaultBox(window);
            QVERIFY(box);
            QVERIFY2(box->text().contains(QString::fromStdString(fault->Text())),
                     qPrintable(box->text()));
            box->accept();
            QCOMPARE(Headers(window, "source").size(), 3);
        }
        WriteCatalogue(UserSystem("msk-good"));
        BatchWindow window;
        WriteCatalogue(faulty);
        QVERIFY(!window.ReloadCatalogue());
        QMessageBox* box = CatalogueFaultBox(window);
        QVERIFY(box);
        box->accept();
        QVERIFY(window.findChild<QComboBox*>("source")->findData("msk-good") >= 0);
    }

    // Reading the catalogue again keeps the systems and models chosen while they exist, and
    // offers the models declared since.
    void reloadKeepsTheChoice() {
        WriteCatalogue(UserSystem("msk-a"));
        BatchWindow window;
        Choose(window, "source", "msk-a");
        Choose(window, "target", "sk42-gk3");
        Choose(window, "targetHeights", "egm96");
        WriteCatalogue(UserSystem("msk-a") + UserSystem("msk-b") + Model("patch", "patch.isg"));
        Action(window, "reloadCatalogue")->trigger();
        QCOMPARE(Chosen(window, "source"), "msk-a");
        QCOMPARE(Chosen(window, "target"), "sk42-gk3");
        QCOMPARE(Chosen(window, "targetHeights"), "egm96");
        QVERIFY(window.findChild<QComboBox*>("target")->findData("msk-b") >= 0);
        QVERIFY(window.findChild<QComboBox*>("sourceHeights")->findData("patch") >= 0);
        WriteCatalogue(UserSystem("msk-b"));
        QVERIFY(window.ReloadCatalogue());
        QCOMPARE(Chosen(window, "source"), kWgs84Blh);  // gone: the usual one
    }

    // EGM96 on the target: a WGS-84 point's ellipsoidal height becomes the normal height PROJ
    // gives (`echo "55.75 37.62 150" | cs2cs -f %.6f EPSG:4979 EPSG:4326+5773`: 135.541592; ζ
    // is read on WGS-84 where the point starts, whatever the target's datum), under a header
    // saying so. A geocentric target has no height to choose.
    void normalHeightsThroughEgm96() {
        BatchWindow window;
        QVERIFY(window.OpenFile(QFINDTESTDATA("../data/points/gnss.txt")));
        Choices{kWgs84Blh, kSk42Xyh, 0, 1, ""}.Apply(window);
        window.findChild<QSpinBox*>("decimals")->setValue(3);
        Choose(window, "targetHeights", "egm96");
        QCOMPARE(PreviewRow(window, 1).at(3), "135.542");
        QCOMPARE(window.findChild<QTableWidget*>("preview")->horizontalHeaderItem(3)->text(),
                 "H (норм.), м");
        // The README's picture of the choice, when asked for.
        if (const QByteArray picture = qgetenv("COORDCONV_HEIGHTS_PICTURE"); !picture.isEmpty()) {
            window.resize(1000, 860);  // room for the preview's rows under the long route
            QVERIFY(window.grab().save(QString::fromLocal8Bit(picture)));
        }
        Choose(window, "target", kWgs84Xyz);
        auto* heights = window.findChild<QComboBox*>("targetHeights");
        QVERIFY(!heights->isEnabled() && heights->currentIndex() == 0);
    }

    // A model whose grid file is missing is named with its file in the problem line, and
    // nothing converts; a point off a grid is an error of its line (the hand-made
    // tests/data/geoid/patch.isg covers 55–56° N, 37–38° E).
    void modelFaultsAreSaid() {
        const QString missing = directory_.filePath("no-such-grid.gtx");
        WriteCatalogue(Model("gone", missing) +
                       Model("patch", QFINDTESTDATA("../data/geoid/patch.isg")));
        BatchWindow window;
        window.SetPoints("54.5 37.5 150\n");
        Choices{kWgs84Blh, kWgs84Blh, 0, 1, ""}.Apply(window);
        Choose(window, "sourceHeights", "gone");
        QString problem;
        QVERIFY(!window.Choices(&problem));
        QVERIFY2(problem.startsWith("Модель геоида «gone»: файл её сетки " + missing),
                 qPrintable(problem));
        QCOMPARE(window.findChild<QLabel*>("route")->text(), problem);
        QVERIFY(!Action(window, "convert")->isEnabled());
        Choose(window, "sourceHeights", "patch");
        QCOMPARE(PreviewRow(window, 0).at(1),
                 "вне сетки модели геоида patch: нормальной высоты здесь нет");
    }

    // The zone field reads the zone of the target when it has zones, else of the source, as
    // that system writes them: 60 UTM zones a hemisphere, 120 zones of 3°, 60 of 6°; a zone
    // with neither system zoned is not asked. (-1000: refused.)
    void zoneIsReadForItsSystem_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("zone");
        QTest::newRow("UTM south") << kWgs84Blh << "wgs84-utm"
                                   << "37S" << -37;
        QTest::newRow("UTM north, small letter") << kWgs84Blh << "wgs84-utm"
                                                 << "37n" << 37;
        QTest::newRow("UTM beyond 60") << kWgs84Blh << "wgs84-utm"
                                       << "61N" << -1000;
        QTest::newRow("UTM, source zoned") << "wgs84-utm" << kWgs84Blh << "37S" << -37;
        QTest::newRow("3°, last zone") << kWgs84Blh << "gsk2011-gk3"
                                       << "120" << 120;
        QTest::newRow("3°, beyond") << kWgs84Blh << "sk42-gk3"
                                    << "121" << -1000;
        QTest::newRow("3°, hemisphere") << kWgs84Blh << "sk42-gk3"
                                        << "37N" << -1000;
        QTest::newRow("6°, beyond") << kWgs84Blh << kSk42Xyh << "61" << -1000;
        QTest::newRow("6°, авто") << kWgs84Blh << kSk42Xyh << "авто" << 0;
        QTest::newRow("no zones") << kWgs84Blh << kWgs84Xyz << "37S" << 0;
    }
    void zoneIsReadForItsSystem() {
        QFETCH(QString, source);
        QFETCH(QString, target);
        QFETCH(QString, text);
        QFETCH(int, zone);
        BatchWindow window;
        Choices{source, target, 0, 0, ""}.Apply(window);
        window.findChild<QLineEdit*>("zone")->setText(text);
        QString problem;
        const auto options = window.Choices(&problem);
        QCOMPARE(options ? options->zone : -1000, zone);
        if (!options)
            QVERIFY2(problem.startsWith("«" + text + "» — не зона системы"), qPrintable(problem));
        QCOMPARE(window.findChild<QLineEdit*>("zone")->isEnabled(), zone != 0 || text == "авто");
    }

    // "Открыть каталог" creates the file with its header (which reads as an empty catalogue)
    // and hands it to the desktop. "Новая система…" refuses what the reader refuses, with its
    // message, the file untouched; then appends the system after all the file held, and the
    // new system is the target.
    void newSystemGoesIntoTheFile() {
        QDesktopServices::setUrlHandler("file", this, "Opened");
        BatchWindow window;
        Action(window, "openCatalogue")->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(opened_, QUrl::fromLocalFile(CatalogueFile()));
        QVERIFY(ReadAll(CatalogueFile()).startsWith("# Каталог систем координат coordconv"));
        systems::Catalogue read;
        QVERIFY(!systems::LoadCatalogue({}, read));
        Write(CatalogueFile(), ReadAll(CatalogueFile()) + UserSystem("msk-a"));  // edited
        QVERIFY(window.ReloadCatalogue());
        QByteArray before = ReadAll(CatalogueFile());

        Action(window, "newSystem")->trigger();
        auto* dialog = window.findChild<QDialog*>("newSystemDialog");
        QVERIFY(dialog && dialog->isVisible());
        const auto field = [dialog](const char* name) {
            return dialog->findChild<QLineEdit*>(name);
        };
        field("name")->setText("МСК-50, зона 1");
        QCOMPARE(field("id")->text(), "msk-50-zona-1");  // transliterated by hand
        field("lon_0")->setText("38,48333333333");
        field("k")->setText("0");
        field("x_0")->setText("1250000");
        field("y_0")->setText("-5412900.566");
        dialog->findChild<QGroupBox*>("keys")->setChecked(true);
        field("dx")->setText("10,5");
        field("rotation")->setText("-1.25");
        // What the reader says of the same table with k = 0.
        systems::Catalogue trial;
        const auto fault =
            systems::ReadCatalogueText(UserSystem("msk-50-zona-1", "0").toStdString(), "", trial);
        QVERIFY(fault);
        const auto refused = [&](const std::string& message) {
            dialog->accept();
            const QString shown = dialog->findChild<QLabel*>("problem")->text();
            QVERIFY2(dialog->isVisible() && shown.endsWith(QString::fromStdString(message)),
                     qPrintable(shown));
            QCOMPARE(ReadAll(CatalogueFile()), before);
        };
        refused(fault->message);
        QVERIFY(dialog->findChild<QLabel*>("problem")->text().contains(
            QString::fromStdString(fault->key)));
        field("k")->setText("0,9996");
        field("id")->setText("msk-a");
        refused("");  // the id is taken: the reader's own words, whatever they are
        // Taken in the file since the window read it: the file as it is now decides.
        before += UserSystem("msk-b");
        Write(CatalogueFile(), before);
        field("id")->setText("msk-b");
        refused("");
        field("id")->setText("msk-50-zona-1");
        dialog->accept();
        QTRY_VERIFY(!window.findChild<QDialog*>("newSystemDialog"));

        const QByteArray after = ReadAll(CatalogueFile());
        QVERIFY(after.startsWith(before));
        QCOMPARE(Chosen(window, "target"), "msk-50-zona-1");
        QVERIFY(!systems::LoadCatalogue({}, read));
        const systems::System* added = read.Find("msk-50-zona-1");
        QVERIFY(added && read.Find("msk-a") && read.Find("msk-b"));
        QCOMPARE(added->names.russian, "МСК-50, зона 1");
        QCOMPARE(added->datum.id, "sk42");
        QCOMPARE(added->projection.centralMeridian, 38.48333333333);
        QCOMPARE(added->projection.scale, 0.9996);
        QCOMPARE(added->projection.falseNorthing, -5412900.566);
        QVERIFY(added->keys);
        QCOMPARE(added->keys->x0, 10.5);
        QCOMPARE(added->keys->rotationSeconds, -1.25);
    }

    // The next window opens with the last choices.
    void choicesAreRemembered() {
        const Choices chosen{kPz9011Blh, kSk42Xyh, 0, 1, "2,3,4", 3, true, 1};
        {
            BatchWindow window;
            chosen.Apply(window);
            Choose(window, "targetHeights", "egm96");
        }
        BatchWindow window;
        QCOMPARE(Chosen(window, "source"), chosen.source);
        QCOMPARE(Chosen(window, "target"), chosen.target);
        QCOMPARE(Chosen(window, "targetHeights"), "egm96");
        QCOMPARE(window.findChild<QComboBox*>("angles")->currentIndex(), chosen.angles);
        QCOMPARE(window.findChild<QLineEdit*>("columns")->text(), chosen.columns);
        QCOMPARE(window.findChild<QSpinBox*>("skip")->value(), chosen.skip);
        QVERIFY(window.findChild<QCheckBox*>("keepGoing")->isChecked());
        QCOMPARE(window.findChild<QComboBox*>("separator")->currentIndex(), chosen.separator);
    }

    // Settings written when the lists were the fifteen systems by index still choose them
    // (index 13: СК-95 (BLH), 11: ГСК-2011 (XYH) in that order); the zone was a number, 0
    // for "авто". A system no longer known gives the usual one; a model, ellipsoidal heights.
    void oldSettingsAreRead() {
        {
            QSettings settings;
            settings.clear();
            settings.setValue("source", 13);
            settings.setValue("target", 11);
            settings.setValue("zone", 0);
        }
        {
            BatchWindow window;
            QCOMPARE(Chosen(window, "source"), "sk95-blh");
            QCOMPARE(Chosen(window, "target"), "gsk2011-xyh");
            QCOMPARE(window.findChild<QLineEdit*>("zone")->text(), "");
        }
        QSettings().setValue("zone", 13);
        QSettings().setValue("sourceSystem", "gone-system");
        QSettings().setValue("targetHeights", "gone-model");
        BatchWindow window;
        QCOMPARE(Chosen(window, "source"), kWgs84Blh);
        QCOMPARE(Chosen(window, "targetHeights"), "");
        QCOMPARE(Chosen(window, "target"), "gsk2011-xyh");  // saved again by its id
        QCOMPARE(window.findChild<QLineEdit*>("zone")->text(), "13");
        QCOMPARE(window.Choices()->zone, 13);
    }

    // A file of gigabytes opens at once: the preview reads a prefix of a few MiB and says so.
    // The line of 2 GiB shows the error a run gives it (coordconv-cli: "longer than 65536
    // bytes"); the line after it is not read.
    void hugeFileShowsItsPrefix() {
        const QString input = directory_.filePath("huge.txt");
        {
            QFile file(input);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("554500 373700 100\n");
            QVERIFY(file.resize(qint64(2) << 30));  // sparse: zero bytes that take no disk
            QVERIFY(file.seek(file.size()));
            file.write("\n554500 373700 100\n");
        }
        BatchWindow window;
        Choices{kWgs84Blh, kWgs84Xyz, 1, 0, ""}.Apply(window);
        QVERIFY(window.OpenFile(input));
        QCOMPARE(window.findChild<QTableWidget*>("preview")->rowCount(), 2);
        QCOMPARE(PreviewRow(window, 1).at(1), "длиннее 65536 байт");
        QVERIFY(window.findChild<QLabel*>("inputName")->text().contains("из первых 4 МиБ"));
        QFile::remove(input);
    }

    // A GIS file opens as its vertices, one row each, numbered within their features, the GPX
    // point layers left out; one row's results as PROJ gives them (tests/data/gis/window.cases).
    // The choices that shape text are set aside.
    void gisFileShowsItsVertices() {
        const std::string table = QFINDTESTDATA("../data/gis/window.cases").toStdString();
        for (const testing_support::Case& row : testing_support::ReadCases(table)) {
            const auto& f = row.fields;
            const QString where = QString::fromStdString(row.Where(table));
            const QString input = directory_.filePath(QString::fromStdString(f[2]));
            const QString source = QFINDTESTDATA(QString::fromStdString("../data/gis/" + f[0]));
            QFile::remove(input);
            if (f[1] == "-") {
                QVERIFY2(QFile::copy(source, input), qPrintable(where));
            } else {
                QStringList arguments = QProcess::splitCommand(QString::fromStdString(f[1]));
                QVERIFY2(RunTool("ogr2ogr", arguments << input << source), qPrintable(where));
            }
            BatchWindow window;
            Choices{kSk42Blh, kSk42Xyh, 0, 0, ""}.Apply(window);
            QVERIFY2(window.OpenFile(input), qPrintable(where));
            auto* preview = window.findChild<QTableWidget*>("preview");
            QCOMPARE(preview->rowCount(), std::stoi(f[3]));
            const QStringList cells = PreviewRow(window, std::stoi(f[4]) - 1);
            const std::vector<double> held = testing_support::Numbers(f[8]);
            const int results = preview->columnCount() == 10 ? 6 : 5;  // after z, when any
            QCOMPARE(cells.mid(0, 3),
                     QStringList({QString::fromStdString(f[5]), QString::fromStdString(f[6]),
                                  QString::fromStdString(f[7])}));
            for (std::size_t i = 0; i < held.size(); ++i)
                QCOMPARE(cells.at(3 + int(i)).toDouble(), held[i]);
            if (held.size() == 2 && results == 6) QCOMPARE(cells.at(5), "");  // a 2D vertex
            if (f[9] != "-") {
                const std::vector<double> expected = testing_support::Numbers(f[9]);
                for (std::size_t i = 0; i < 3; ++i) {
                    const QString cell = cells.at(results + int(i));
                    QVERIFY2(i < expected.size()
                                 ? testing_support::Meets(cell.toDouble(), expected[i], 1e-4)
                                 : cell.isEmpty(),
                             qPrintable(where + ": " + cell));
                }
                QCOMPARE(cells.at(results + 3), "7");  // the zone
            }
            QVERIFY(window.findChild<QLabel*>("inputName")->text().startsWith("ГИС-файл"));
            QVERIFY(!window.findChild<QComboBox*>("separator")->isEnabled());
            QVERIFY(Action(window, "convert")->isEnabled());
        }
    }

    // A GIS file converted by the window is what coordconv-cli writes from it, bit for bit
    // (the CLI's own run of the same route); the text's choices come back with a text file.
    void gisFileConvertsAsTheCommandLine() {
        const QString input = directory_.filePath("walk.gpx");
        QFile::remove(input);
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/gis/track.gpx"), input));
        BatchWindow window;
        Choices{kWgs84Blh, kSk42Xyh, 0, 0, ""}.Apply(window);
        Choose(window, "targetHeights", "egm96");
        Choose(window, "sourceHeights", "egm96");
        QVERIFY(window.OpenFile(input));
        QCOMPARE(window.findChild<QComboBox*>("angles")->currentText(), "градусы");
        // The README's picture of a GPX track in the window, when asked for.
        if (const QByteArray picture = qgetenv("COORDCONV_GIS_PICTURE"); !picture.isEmpty()) {
            window.resize(1000, 980);  // room for the rows under the long route
            QVERIFY(window.grab().save(QString::fromLocal8Bit(picture)));
        }
        const QString output = directory_.filePath("walk.gpkg");
        const QString expected = directory_.filePath("walk-cli.gpkg");
        for (const QString& file : {output, expected})
            QFile::remove(file);
        const auto [outcome, message] = ConvertAndWait(window, output);
        QCOMPARE(outcome, int(batch::Outcome::Done));
        QCOMPARE(message, "Записано в " + output + ": объектов 4, вершин 9");
        QCOMPARE(RunCli({"wgs84-blh+egm96", "sk42-xyh+egm96", input, "-o", expected}, "/dev/null")
                     .second,
                 0);
        const QByteArray written = GisContents(output);
        QVERIFY(written.contains("MULTILINESTRING Z ((7412"));
        QCOMPARE(written, GisContents(expected));

        window.SetPoints("554500 373700 100\n");  // text again: its choices come back
        QCOMPARE(window.findChild<QComboBox*>("angles")->currentIndex(), 0);
        QVERIFY(window.findChild<QComboBox*>("separator")->isEnabled());
    }

    // A vertex beyond the pole shows its error in its row, names its layer, feature and vertex
    // when the run stops at it, and nothing is written; "продолжать" leaves its feature out.
    // A cancelled run leaves no file; a file GDAL cannot read keeps the old input.
    void faultyGisVertexIsNamed() {
        const QString input = directory_.filePath("bad.geojson");
        QFile::remove(input);
        QVERIFY(QFile::copy(QFINDTESTDATA("../data/gis/bad.geojson"), input));
        BatchWindow window;
        Choices{kWgs84Blh, kSk42Blh, 0, 0, ""}.Apply(window);
        QVERIFY(window.OpenFile(input));
        const QString fault = PreviewRow(window, 2).at(5);  // feature 1, vertex 2
        QCOMPARE(PreviewRow(window, 2).mid(0, 3), QStringList({"bad", "1", "2"}));
        QVERIFY2(fault.contains("широт"), qPrintable(fault));
        const QString output = directory_.filePath("bad.gpkg");
        QFile::remove(output);
        auto [outcome, message] = ConvertAndWait(window, output);
        QCOMPARE(outcome, int(batch::Outcome::BadLine));
        QCOMPARE(message, "слой \"bad\", объект 1, вершина 2: " + fault + ". Файл " + output +
                              " не записан.");
        QVERIFY(!QFileInfo::exists(output));
        auto* badLines = window.findChild<QListWidget*>("badLines");
        QCOMPARE(badLines->count(), 1);
        badLines->itemClicked(badLines->item(0));
        QCOMPARE(window.findChild<QTableWidget*>("preview")->currentRow(), 2);

        window.findChild<QCheckBox*>("keepGoing")->setChecked(true);
        std::tie(outcome, message) = ConvertAndWait(window, output);
        QCOMPARE(outcome, int(batch::Outcome::Done));
        QVERIFY2(message.endsWith("объектов 2, вершин 2; объектов с ошибками пропущено 1 (они в "
                                  "списке ошибочных строк)"),
                 qPrintable(message));
        QCOMPARE(badLines->item(0)->text(),
                 "слой \"bad\", объект 1, вершина 2: " + fault + "; объект пропущен");
        QCOMPARE(GisContents(output).count("OGRFeature(bad):"), 2);

        const QString cancelled = directory_.filePath("cancelled.gpkg");
        QSignalSpy finished(&window, &BatchWindow::conversionFinished);
        window.ConvertTo(cancelled);
        window.Cancel();
        QVERIFY(finished.wait(60000));
        QCOMPARE(finished.at(0).at(0).toInt(), int(batch::Outcome::Cancelled));
        QVERIFY(!QFileInfo::exists(cancelled));
        QCOMPARE(
            QDir(directory_.path()).entryList({".coordconv-*"}, QDir::AllEntries | QDir::Hidden),
            QStringList());

        const QString broken = directory_.filePath("broken.gpx");
        Write(broken, "<gpx><wpt lat=");
        const QString shown = window.findChild<QLabel*>("inputName")->text();
        QVERIFY(!window.OpenFile(broken));
        QVERIFY2(
            window.statusBar()->currentMessage().startsWith("Не удалось открыть " + broken + ": "),
            qPrintable(window.statusBar()->currentMessage()));
        QCOMPARE(window.findChild<QLabel*>("inputName")->text(), shown);
    }

  public slots:
    // The desktop's handler of file addresses, while a test stands in for it.
    void Opened(const QUrl& url) { opened_ = url; }

  private:
    QTemporaryDir directory_;
    QUrl opened_;
};

QTEST_MAIN(BatchWindowTest)
#include "batch_window_test.moc"
