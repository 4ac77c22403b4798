// coordconv-batch: a window that converts whole files of points.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "batch-window/batch_window.h"
#include "batch/output_file.h"

namespace {

constexpr const char* kHelp =
    "Использование: coordconv-batch [ФАЙЛ]\n"
    "\n"
    "Окно пакетного пересчёта координат: файлы точек (или точки из буфера обмена) между\n"
    "WGS-84, ПЗ-90, ПЗ-90.11, ГСК-2011, СК-95 и СК-42 — геоцентрические X, Y, Z, геодезические\n"
    "B, L, H и плоские x, y Гаусса–Крюгера — с параметрами ГОСТ 32453-2017 или окна пересчёта.\n"
    "ФАЙЛ открывается сразу. Результаты записываются так же, как их пишет coordconv-cli\n"
    "(man coordconv-cli).\n"
    "ГИС-файлы (GPX, KML, GeoJSON, Shapefile, GeoPackage, DXF, XLSX ...) открываются через\n"
    "GDAL по расширению: в таблице — их вершины, результат — ГИС-файл того формата, который\n"
    "называет расширение имени.\n"
    "Свои системы (МСК и другие поперечные проекции Меркатора) — в каталоге\n"
    "~/.config/coordconv/systems.toml: меню «Системы» открывает его, перечитывает и\n"
    "добавляет в него новую систему.\n"
    "\n"
    "  -h, --help     этот текст\n"
    "  --version      версия\n";

// A text on standard output; 74 (EX_IOERR) with a message when it cannot be written.
int Print(const char* text) {
    if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) return 0;
    std::fprintf(stderr, "coordconv-batch: не удалось вывести текст: %s\n", std::strerror(errno));
    return 74;
}

}  // namespace

// "--help" and "--version" answer on the terminal with no display needed.
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return Print(kHelp);
        if (argument == "--version") return Print("coordconv-batch " COORDCONV_VERSION "\n");
    }
    // A run killed while it writes leaves no partial file beside its target.
    batch::RemovePartialFileOnSignals();
    QApplication application(argc, argv);
    QApplication::setOrganizationName("coordconv");
    QApplication::setApplicationName("coordconv-batch");
    QApplication::setApplicationVersion(COORDCONV_VERSION);
    // The window speaks Russian whatever the locale, so Qt's own buttons and dialogs
    // (the file dialogs, "Cancel", "Open") do too, when Qt's translations are installed.
    // Sizes, dates and file types in those dialogs follow the default locale.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QTranslator qtTexts;
    if (qtTexts.load("qtbase_ru", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    batch_window::BatchWindow window;
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) window.OpenFile(arguments.at(1));
    window.show();
    return QApplication::exec();
}
