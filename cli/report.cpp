#include "cli/report.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "batch/encoding.h"

namespace cli {

std::string Printable(std::string_view name) {
    return batch::PrintableName(name);
}

void Message(int fd, const std::string& text) {
    const std::string line = "coordconv-cli: " + text + "\n";
    [[maybe_unused]] auto ignored = write(fd, line.data(), line.size());
}

Reporter::Reporter(int messages, std::string_view name, std::string_view output)
    : fd_(messages),
      where_(name.empty() ? "" : Printable(name) + ": "),
      output_(Printable(output)),
      terminal_(isatty(messages) == 1) {}

Reporter::~Reporter() {
    ClearProgress();
}

void Reporter::ClearProgress() const {
    if (shownProgress_) Show("\r\033[K");
    shownProgress_ = false;
}

void Reporter::Say(const std::string& text) const {
    ClearProgress();
    Message(fd_, text);
}

// Bad lines are in the output as "# error: ..." already; only warnings are said here.
void Reporter::Note(const batch::LineNote& note) {
    if (note.warning) {
        Say(where_ + "line " + std::to_string(note.line) + ": warning: " + note.text);
    }
}

void Reporter::Progress(std::uint64_t points, std::uint64_t) {
    if (!terminal_) return;
    const auto now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - shown_ < std::chrono::milliseconds(250)) {
        return;
    }
    shown_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    char text[96];
    const int n = std::snprintf(text, sizeof text, "\r%llu points, %.2f M points/s ",
                                static_cast<unsigned long long>(points), points / seconds / 1e6);
    Show(std::string_view(text, n));
    shownProgress_ = true;
}

void Reporter::Status(std::string_view text) {
    if (!terminal_) return;
    Show("\r\033[K");
    Show(text);
    shownProgress_ = true;
}

void Reporter::Show(std::string_view text) const {
    [[maybe_unused]] auto ignored = write(fd_, text.data(), text.size());
}

int Reporter::Finish(const batch::StreamResult& result) const {
    switch (result.outcome) {
        case batch::Outcome::BadLine:
            Say(where_ + "line " + std::to_string(result.stop.line) + ": " + result.stop.text);
            return ExitBadInput;
        case batch::Outcome::WriteFailed:
            Say((output_.empty() ? "" : output_ + ": ") +
                "cannot write the results: " + std::strerror(result.systemError));
            return ExitIoError;
        case batch::Outcome::ReadFailed:
            if (result.systemError == 0) {  // a file cut short by another program
                Say(where_ + "cannot read the points: the file became shorter during the run (" +
                    std::to_string(result.bytesRead) + " of its " +
                    std::to_string(result.bytesExpected) + " bytes read)");
            } else {
                Say(where_ + "cannot read the points: " + std::strerror(result.systemError));
            }
            return ExitIoError;
        case batch::Outcome::Cancelled:  // the command line never cancels
        case batch::Outcome::Done:
            break;
    }
    if (result.badLines > 0) {
        Say(where_ + std::to_string(result.badLines) + (result.badLines == 1 ? " line" : " lines") +
            " with errors");
        return ExitBadInput;
    }
    return ExitOk;
}

}  // namespace cli
