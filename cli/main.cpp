// coordconv-cli: batch conversion of whole files of points.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "batch/describe.h"
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

// -o FILE: the results go to a new file beside it, renamed over FILE only when the whole
// run succeeded, so that a failed run leaves no partial FILE. A FILE that exists and is
// not a regular file (/dev/null, a pipe, a terminal) is written in place: renaming over it
// would replace the device with a file. A symbolic link keeps pointing at its file.
int ConvertToFile(const cli::Options& options) {
    const auto cannotWrite = [&options] {
        Complain(options.output + ": cannot write: " + std::strerror(errno));
        return cli::ExitIoError;
    };
    struct stat about {};
    if (stat(options.output.c_str(), &about) == 0 && !S_ISREG(about.st_mode)) {
        const int output = open(options.output.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (output < 0) return cannotWrite();
        const int status = ConvertFiles(options, output);
        close(output);
        return status;
    }
    std::string target = options.output;
    if (char* resolved = realpath(options.output.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    const std::string partial = target + ".partial-" + std::to_string(getpid());
    const int output = open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (output < 0) return cannotWrite();
    int status = ConvertFiles(options, output);
    if (close(output) != 0 && status == cli::ExitOk) status = cannotWrite();
    if (status == cli::ExitOk && std::rename(partial.c_str(), target.c_str()) != 0) {
        status = cannotWrite();
    }
    if (status != cli::ExitOk) unlink(partial.c_str());
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
