// coordconv-cli: batch conversion of whole files of points.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "batch/describe.h"
#include "batch/output_file.h"
#include "batch/stream.h"
#include "cli/options.h"
#include "cli/report.h"

#ifndef COORDCONV_VERSION
#define COORDCONV_VERSION "unknown"
#endif

namespace {

void Complain(const std::string& text) {
    std::fprintf(stderr, "coordconv-cli: %s\n", text.c_str());
}

// Each input in order into output; the first status that is not success ends the run,
// except that --keep-going goes on through every file and reports 65 at the end.
int ConvertFiles(const cli::Options& options, int output) {
    const auto convert = [&](int input, std::string_view name) {
        cli::Reporter reporter(STDERR_FILENO, name);
        return reporter.Finish(batch::ConvertStream(options, input, output, reporter));
    };
    if (options.files.empty()) return convert(STDIN_FILENO, "");
    int status = cli::ExitOk;
    for (const std::string& name : options.files) {
        const bool standardInput = name == "-";
        const int input = standardInput ? STDIN_FILENO : open(name.c_str(), O_RDONLY | O_CLOEXEC);
        struct stat about {};
        if (input < 0 || fstat(input, &about) != 0 || S_ISDIR(about.st_mode)) {
            Complain(name + ": cannot open: " +
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

// -o FILE: written only by a whole run.
int ConvertToFile(const cli::Options& options) {
    const auto cannotWrite = [&options] {
        Complain(options.output + ": cannot write: " + std::strerror(errno));
        return cli::ExitIoError;
    };
    batch::OutputFile file(options.output);
    if (file.fd() < 0) return cannotWrite();
    const int status = ConvertFiles(options, file.fd());
    if (status == cli::ExitOk && !file.Commit()) return cannotWrite();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    cli::Options options;
    std::string error;
    switch (cli::ParseCommandLine(argc - 1, argv + 1, options, error)) {
        case cli::Command::Help:
            std::fputs(cli::HelpText().c_str(), stdout);
            return cli::ExitOk;
        case cli::Command::Version:
            std::puts("coordconv-cli " COORDCONV_VERSION);
            return cli::ExitOk;
        case cli::Command::UsageError:
            std::fprintf(stderr, "coordconv-cli: %s\n%s", error.c_str(), cli::UsageText().c_str());
            return cli::ExitUsage;
        case cli::Command::Convert:
            break;
    }
    if (options.describe) return std::fputs(batch::DescribeRoute(options).c_str(), stdout) < 0;
    return options.output.empty() ? ConvertFiles(options, STDOUT_FILENO) : ConvertToFile(options);
}
