#include "cli/gis_run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>

#include "cli/report.h"
#include "formats/formats.h"
#include "formats/gis_conversion.h"

namespace cli {

namespace {

volatile std::sig_atomic_t caught = 0;
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// A signal ends the run between two features: what GDAL wrote is removed, then the signal
// ends the process as it would have. Signals ignored stay ignored.
void CancelOnSignals() {
    for (const int signal : kSignals) {
        struct sigaction action {
        }, old{};
        sigaction(signal, nullptr, &old);
        if (old.sa_handler == SIG_IGN) continue;
        action.sa_handler = [](int number) { caught = number; };
        sigemptyset(&action.sa_mask);
        sigaction(signal, &action, nullptr);
    }
}

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
    bool Cancelled() override { return caught != 0; }
    Reporter& reporter() { return reporter_; }

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
    CancelOnSignals();
    Observer observer(request.output);
    const formats::GisResult result = formats::ConvertGisFile(request, observer);
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
        case formats::GisOutcome::Cancelled:
            observer.reporter().ClearProgress();
            std::signal(caught, SIG_DFL);
            std::raise(caught);
            return ExitIoError;
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
