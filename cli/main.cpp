// coordconv-cli: batch conversion of whole files of points.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "batch/describe.h"
#include "batch/detect.h"
#include "batch/encoding.h"
#include "batch/output_file.h"
#include "batch/stream.h"
#include "cli/gis_run.h"
#include "cli/options.h"
#include "cli/report.h"
#include "systems/route.h"

#ifndef COORDCONV_VERSION
#define COORDCONV_VERSION "unknown"
#endif

namespace {

void Complain(const std::string& text) {
    std::fprintf(stderr, "coordconv-cli: %s\n", text.c_str());
}

// Each input in order into output (named outputName in messages, "" for standard output); the
// first status that is not success ends the run, except that --keep-going goes on through
// every file and reports 65 at the end.
int ConvertFiles(const cli::Options& options, int output, std::string_view outputName) {
    if (options.bom && !batch::WriteAll(output, batch::ByteOrderMark)) {
        Complain((outputName.empty() ? std::string() : cli::Printable(outputName) + ": ") +
                 "cannot write the results: " + std::strerror(errno));
        return cli::ExitIoError;
    }
    const auto convert = [&](int input, std::string_view name) {
        cli::Reporter reporter(STDERR_FILENO, name, outputName);
        return reporter.Finish(batch::ConvertStream(options, input, output, reporter));
    };
    if (options.files.empty()) return convert(STDIN_FILENO, "");
    int status = cli::ExitOk;
    for (const std::string& name : options.files) {
        const bool standardInput = name == "-";
        const int input = standardInput ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat about {};
        if (input < 0 || fstat(input, &about) != 0 || S_ISDIR(about.st_mode)) {
            Complain(cli::Printable(name) + ": cannot open: " +
                     std::strerror(input < 0                ? errno
                                   : S_ISDIR(about.st_mode) ? EISDIR
                                                            : errno));
            if (input >= 0) close(input);
            return cli::ExitNoInput;
        }
        const int result = convert(input, standardInput ? "" : name);
        if (!standardInput) close(input);
        if (result != cli::ExitOk && result != cli::ExitBadInput) return result;
        if (result == cli::ExitBadInput && !options.keepGoing) return result;
        if (result == cli::ExitBadInput) status = result;
    }
    return status;
}

// -o FILE: replaced by a whole run, bad lines marked "# error: ..." in it with --keep-going;
// refused before any input is read when it cannot be written.
int ConvertToFile(const cli::Options& options) {
    // Results written over their own input would replace the surveyor's only copy of it.
    struct stat target {};
    if (stat(options.output.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
        for (const std::string& name : options.files) {
            struct stat input {};
            if (name != "-" && stat(name.c_str(), &input) == 0 && input.st_dev == target.st_dev &&
                input.st_ino == target.st_ino) {
                Complain(cli::Printable(options.output) +
                         ": is also an input; write the results to another file");
                return cli::ExitUsage;
            }
        }
    }
    batch::OutputFile file(options.output);
    if (file.fd() < 0) {
        std::string why = batch::OutputFile::Reason(file.failure(), file.directory(), file.error());
        if (file.failure() == batch::OutputFile::Failure::OtherOwner)
            why += " (write it with > instead)";
        Complain(cli::Printable(options.output) + ": cannot write: " + why);
        return cli::ExitCantCreate;
    }
    const int status = ConvertFiles(options, file.fd(), options.output);
    if (status == cli::ExitOk || (status == cli::ExitBadInput && options.keepGoing)) {
        if (file.Commit()) {
            if (status == cli::ExitBadInput) {
                Complain(cli::Printable(options.output) +
                         " written with its bad lines marked \"# error:\"");
            }
            return status;
        }
        Complain(cli::Printable(options.output) + ": cannot write: " + std::strerror(errno));
        return cli::ExitIoError;
    }
    if (file.replaces())
        Complain(cli::Printable(options.output) +
                 (file.existed() ? " left unchanged" : " not written"));
    return status;
}

// A text on standard output, which may fail like any output (a full disk, a closed pipe).
int Print(const std::string& text) {
    if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return cli::ExitOk;
    Complain(std::string("cannot write to standard output: ") + std::strerror(errno));
    return cli::ExitIoError;
}

// --detect: the options the beginning of the input suggests on standard output, a reason
// for each on standard error.
int DetectOptions(const cli::Options& options) {
    const bool standardInput = options.files.empty() || options.files[0] == "-";
    const std::string name = standardInput ? "" : options.files[0];
    const int input = standardInput ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat about {};
    if (input < 0 || fstat(input, &about) != 0 || S_ISDIR(about.st_mode)) {
        Complain(name + ": cannot open: " + std::strerror(input < 0 ? errno : EISDIR));
        if (input >= 0) close(input);
        return cli::ExitNoInput;
    }
    // One byte beyond what is looked at tells whether the last line read is whole.
    std::string head(batch::DetectBytes + 1, '\0');
    std::size_t size = 0;
    while (size < head.size()) {
        const ssize_t got = read(input, head.data() + size, head.size() - size);
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            Complain((standardInput ? "standard input" : name) +
                     ": cannot read: " + std::strerror(errno));
            if (!standardInput) close(input);
            return cli::ExitIoError;
        }
        size += static_cast<std::size_t>(got);
    }
    if (!standardInput) close(input);
    head.resize(size);
    const batch::Detection detection = batch::DetectOptions(head, options.from);
    if (detection.utf16) {
        Complain((standardInput ? "standard input" : name) + ": " +
                 batch::Message(batch::Language::English, batch::MessageId::Utf16));
        return cli::ExitBadInput;
    }
    std::fputs(batch::ReasonsText(detection).c_str(), stderr);
    return Print(batch::DetectedOptionsText(detection) + "\n");
}

}  // namespace

int main(int argc, char** argv) {
    cli::Options options;
    std::string error;
    switch (cli::ParseCommandLine(argc - 1, argv + 1, options, error)) {
        case cli::Command::Help:
            return Print(cli::HelpText());
        case cli::Command::Version:
            return Print("coordconv-cli " COORDCONV_VERSION "\n");
        case cli::Command::UsageError:
            std::fprintf(stderr, "coordconv-cli: %s\n%s", error.c_str(), cli::UsageText().c_str());
            return cli::ExitUsage;
        case cli::Command::CatalogueUnreadable:
            Complain(error);
            return cli::ExitNoInput;
        case cli::Command::CatalogueFault:
            Complain(error);
            return cli::ExitConfig;
        case cli::Command::GridUnreadable:
            Complain(error);
            return cli::ExitNoInput;
        case cli::Command::GridMalformed:
            Complain(error);
            return cli::ExitBadInput;
        case cli::Command::List:
            return Print(cli::ListText(options.catalogue));
        case cli::Command::Convert:
            break;
    }
    if (options.describe) return Print(batch::DescribeRoute(options));
    if (options.projPipeline) {
        systems::Words refusal;
        const auto route = systems::Route::Build(options.from, options.to, options.parameters,
                                                 options.zone, refusal);
        std::string why;
        if (const auto pipeline = route->ProjPipeline(why)) return Print(*pipeline + "\n");
        Complain("no exact PROJ pipeline from " + options.from.id + " to " + options.to.id + ": " +
                 why);
        return cli::ExitUnavailable;
    }
    if (cli::IsGisRun(options)) return cli::RunGis(options, cli::UsageText());
    if (!options.layers.empty()) {
        std::fprintf(stderr, "coordconv-cli: --layer names a layer of a GIS file\n%s",
                     cli::UsageText().c_str());
        return cli::ExitUsage;
    }
    if (options.detect) return DetectOptions(options);
    if (options.output.empty() || options.output == "-") {
        return ConvertFiles(options, STDOUT_FILENO, "");
    }
    batch::RemovePartialFileOnSignals();
    return ConvertToFile(options);
}
