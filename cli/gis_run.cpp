#include "cli/gis_run.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdio>
#include <thread>

#include "cli/report.h"
#include "formats/formats.h"
#include "formats/gis_conversion.h"
#include "formats/output_place.h"

namespace cli {

namespace {

// Signals end the run at once, whatever GDAL is doing (a GeoPackage's spatial index takes
// most of a large run, beyond the reach of a flag looked at between features): they are
// blocked in every thread and waited for by a thread of its own, which removes what the run
// wrote and ends the process as the signal would have. Signals ignored stay ignored.
class SignalWatch {
  public:
    SignalWatch() {
        sigemptyset(&signals_);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            struct sigaction old {};
            if (sigaction(signal, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
                sigaddset(&signals_, signal);
        }
        sigaddset(&signals_, kWake);
        // Before GDAL starts threads of its own: they inherit the mask.
        pthread_sigmask(SIG_BLOCK, &signals_, &before_);
        waiter_ = std::thread([this] { Wait(); });
    }
    ~SignalWatch() {
        done_ = true;
        pthread_kill(waiter_.native_handle(), kWake);
        waiter_.join();
        pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    }
    SignalWatch(const SignalWatch&) = delete;
    SignalWatch& operator=(const SignalWatch&) = delete;

  private:
    // Ends the watch (sent to the waiter alone; the same from elsewhere is let pass).
    static constexpr int kWake = SIGUSR2;

    void Wait() {
        for (;;) {
            int signal = 0;
            if (sigwait(&signals_, &signal) != 0) continue;
            if (signal == kWake) {
                if (done_) return;
                continue;
            }
            formats::RemoveUnfinishedOutputs();
            if (isatty(STDERR_FILENO)) {  // the progress line, if any, cleared
                [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, "\r\033[K", 4);
            }
            struct sigaction standard {};
            standard.sa_handler = SIG_DFL;
            sigaction(signal, &standard, nullptr);
            sigset_t just;
            sigemptyset(&just);
            sigaddset(&just, signal);
            pthread_sigmask(SIG_UNBLOCK, &just, nullptr);
            raise(signal);  // delivered to this thread now, and ends the process
        }
    }

    sigset_t signals_{}, before_{};
    std::atomic<bool> done_{false};
    std::thread waiter_;
};

class Observer : public formats::GisObserver {
  public:
    explicit Observer(std::string_view output)
        : reporter_(STDERR_FILENO, "", output), output_(Printable(output)) {}
    void Say(const std::string& text) override { reporter_.Say(text); }
    void Progress(std::uint64_t, std::uint64_t vertices) override {
        reporter_.Progress(vertices, 0);
    }
    void Finishing() override {
        reporter_.Status("GDAL is finishing " + output_ + " (a spatial index takes a while) ");
    }

  private:
    Reporter reporter_;
    std::string output_;
};

int Usage(const std::string& text, const std::string& usage) {
    std::fprintf(stderr, "coordconv-cli: %s\n%s", text.c_str(), usage.c_str());
    return ExitUsage;
}

}  // namespace

bool IsGisRun(const Options& options) {
    return !options.format.empty() || !options.inputFormat.empty() ||
           !formats::DriverForName(options.output).empty() ||
           std::any_of(options.files.begin(), options.files.end(), [](const std::string& file) {
               return !formats::DriverForName(file).empty();
           });
}

int RunGis(const Options& options, const std::string& usage) {
    if (!options.textOptions.empty()) {
        return Usage(options.textOptions.front() +
                         " shapes text files of points; GIS files hold decimal degrees and "
                         "metres at full precision, and GDAL reads and writes them",
                     usage);
    }
    if (options.files.size() != 1 || options.files[0] == "-") {
        return Usage(options.files.empty() || options.files[0] == "-"
                         ? "a GIS file is read from its FILE, not from standard input"
                         : "one GIS FILE at a time",
                     usage);
    }
    if (options.output.empty() || options.output == "-") {
        return Usage(
            "a GIS file's results are a GIS file: name it with -o (out.gpkg, out.shp, "
            "out.kml ...)",
            usage);
    }
    formats::GisRequest request;
    request.conversion = options;
    request.input = options.files[0];
    request.output = options.output;
    request.inputFormat = options.inputFormat;
    request.outputFormat = options.format;
    request.layers = options.layers;
    struct stat about {};
    const bool existed = lstat(options.output.c_str(), &about) == 0;
    Observer observer(request.output);
    const formats::GisResult result = [&] {
        const SignalWatch watch;
        return formats::ConvertGisFile(request, observer);
    }();
    const auto failed = [&](int status) {
        observer.Say(Printable(result.message));
        observer.Say(Printable(options.output) + (existed ? " left unchanged" : " not written"));
        return status;
    };
    switch (result.outcome) {
        case formats::GisOutcome::Done:
            break;
        case formats::GisOutcome::BadInput:
            return failed(ExitBadInput);
        case formats::GisOutcome::Usage:
            observer.Say(Printable(result.message));
            return ExitUsage;
        case formats::GisOutcome::NoInput:
            observer.Say(Printable(result.message));
            return ExitNoInput;
        case formats::GisOutcome::CannotCreate:
            return failed(ExitCantCreate);
        case formats::GisOutcome::WriteFailed:
            return failed(ExitIoError);
        case formats::GisOutcome::Cancelled:  // a window's cancel: signals end the process
            return failed(ExitIoError);
    }
    if (result.dropped > 0) {
        observer.Say(Printable(options.output) + " written without " +
                     (result.dropped == 1 ? std::string("the feature")
                                          : "the " + std::to_string(result.dropped) + " features") +
                     " named above");
        return ExitBadInput;
    }
    return ExitOk;
}

}  // namespace cli
