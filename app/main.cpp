#include <cstdio>
#include <string_view>

#include "app/test_app.h"
#include "framework/application.h"

namespace {

constexpr const char* kHelp =
    "Использование: coordconv [--help | --version]\n"
    "\n"
    "Окно пересчёта координат точки между WGS-84, ПЗ-90 и СК-42: геоцентрические X, Y, Z;\n"
    "геодезические B, L, H (углы в виде ДДДММСС.ссс: 554530.5 — это 55°45′30.5″);\n"
    "плоские x, y Гаусса–Крюгера в шестиградусных зонах. Другие аргументы не учитываются.\n"
    "\n"
    "Файлы точек пересчитывает coordconv-cli (man coordconv-cli).\n";

}  // namespace

// The window takes no arguments and ignores what it is given; "--help" and "--version"
// answer on the terminal and end there, with no display needed.
int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return std::fputs(kHelp, stdout) < 0;
        if (argument == "--version") return std::puts("coordconv " COORDCONV_VERSION) < 0;
    }
    return framework::RunProgram(argc, argv, &app::ProgramMain);
}
