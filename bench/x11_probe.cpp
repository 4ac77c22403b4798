// What the window's start-up benchmark and the screenshot script need from the X server
// beyond xdotool:
//   x11_probe launch TITLE PROGRAM [ARGS…]   start PROGRAM, wait until a window titled
//                                            TITLE is mapped, print "pid ms" (ms from the
//                                            start of PROGRAM to the window shown), then
//                                            wait for PROGRAM and exit with its status
//   x11_probe rss PID                        resident memory of PID in kB
//   x11_probe close WINDOW                   ask WINDOW to close, as a title-bar close
//                                            button does (WM_DELETE_WINDOW)
//   x11_probe clipboard                      print the text of the clipboard
//   x11_probe screenshot FILE [WINDOW]       save the whole screen (or a window) as PNG
#include <QClipboard>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

// Xlib's macros (Bool, Status, CursorShape…) clash with Qt's names: Qt comes first.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

int Fail(const char* message) {
    std::fprintf(stderr, "x11_probe: %s\n", message);
    return 1;
}

std::string WindowTitle(Display* display, Window window) {
    XTextProperty property{};
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    if (XGetTextProperty(display, window, &property, netWmName) && property.value) {
        std::string title(reinterpret_cast<char*>(property.value), property.nitems);
        XFree(property.value);
        return title;
    }
    return {};
}

int Launch(const char* title, char** program) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return Fail("cannot open the display");
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program[0], nullptr, nullptr, program, environ) != 0) {
        return Fail("cannot start the program");
    }
    const auto deadline = start + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && WindowTitle(display, event.xmap.window) == title) {
                const auto shown = std::chrono::steady_clock::now();
                std::printf("%d %.1f\n", pid,
                            std::chrono::duration<double, std::milli>(shown - start).count());
                std::fflush(stdout);
                XCloseDisplay(display);
                int status = 0;
                if (waitpid(pid, &status, 0) != pid) return Fail("lost the program");
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        usleep(1000);
    }
    return Fail("the window did not appear within 30 s");
}

int ResidentKilobytes(const char* pid) {
    std::ifstream status(std::string("/proc/") + pid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            std::printf("%ld\n", std::strtol(line.c_str() + 6, nullptr, 10));
            return 0;
        }
    }
    return Fail("no such process");
}

int Close(const char* windowText) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return Fail("cannot open the display");
    const Window window = std::strtoul(windowText, nullptr, 0);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "launch" && argc > 3) return Launch(argv[2], argv + 3);
    if (command == "rss" && argc == 3) return ResidentKilobytes(argv[2]);
    if (command == "close" && argc == 3) return Close(argv[2]);
    if (command == "clipboard" || command == "screenshot") {
        int qtArgc = 1;
        QGuiApplication qt(qtArgc, argv);
        if (command == "clipboard") {
            std::printf("%s\n", QGuiApplication::clipboard()->text().toUtf8().constData());
            return 0;
        }
        if (argc != 3 && argc != 4) return Fail("screenshot needs a file name");
        const WId window = argc == 4 ? std::strtoul(argv[3], nullptr, 0) : 0;
        const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(window);
        return shot.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : Fail("cannot save");
    }
    return Fail(
        "usage: x11_probe launch TITLE PROGRAM [ARGS…] | rss PID | close WINDOW | "
        "clipboard | screenshot FILE [WINDOW]");
}
