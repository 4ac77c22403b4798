// coordconv-cli: batch conversion of whole files of points.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "cli/batch.h"
#include "cli/options.h"

#ifndef COORDCONV_VERSION
#define COORDCONV_VERSION "unknown"
#endif

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
    return cli::ConvertStream(options, STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO);
}
