// coordconv-batch's conversion without its window: the job the window runs in the
// background, given coordconv-cli's options, for bench/batch_vs_cli.sh.
//   batch_job [coordconv-cli options] FROM TO INPUT OUTPUT
#include <QString>
#include <cstdio>
#include <string>

#include "batch-window/conversion_job.h"
#include "cli/options.h"

int main(int argc, char** argv) {
    cli::Options options;
    std::string error;
    if (cli::ParseCommandLine(argc - 1, argv + 1, options, error) != cli::Command::Convert ||
        options.files.size() != 2) {
        std::fprintf(stderr, "usage: batch_job [options] FROM TO INPUT OUTPUT %s\n", error.c_str());
        return 64;
    }
    int outcome = -1;
    batch_window::ConversionJob job(options, QString::fromStdString(options.files[0]), {},
                                    QString::fromStdString(options.files[1]),
                                    std::make_shared<std::atomic<bool>>(false));
    QObject::connect(&job, &batch_window::ConversionJob::finished,
                     [&outcome](int ended, const QString&) { outcome = ended; });
    job.Run();
    return outcome == static_cast<int>(batch::Outcome::Done) ? 0 : 1;
}
