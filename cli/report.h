// How coordconv-cli reports a conversion on standard error: warnings as they come, a
// progress line on a terminal, the message that ends a run and its exit status.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "batch/stream.h"

namespace cli {

// Exit statuses.
inline constexpr int ExitOk = 0;
inline constexpr int ExitUsage = 64;
inline constexpr int ExitBadInput = 65;
inline constexpr int ExitNoInput = 66;
inline constexpr int ExitUnavailable = 69;  // no exact PROJ pipeline for the route (EX_UNAVAILABLE)
inline constexpr int ExitCantCreate = 73;
inline constexpr int ExitIoError = 74;
inline constexpr int ExitConfig = 78;  // a catalogue file is faulty (EX_CONFIG)

// A file name as a message shows it: control characters (C0, DEL and C1, which a terminal
// would obey) as '?', a byte that is no UTF-8 character as \xHH.
std::string Printable(std::string_view name);

// "coordconv-cli: TEXT" on a line of its own.
void Message(int fd, const std::string& text);

// Warnings named by the input and the line; "12345 points, 2.5 M points/s" when messages go
// to a terminal, at most four times a second, once the run has lasted a second.
class Reporter : public batch::Observer {
  public:
    // name: the input as messages name it ("" for standard input); output: the file written
    // ("" for standard output).
    Reporter(int messages, std::string_view name, std::string_view output = "");
    ~Reporter() override;

    void Note(const batch::LineNote& note) override;
    void Progress(std::uint64_t points, std::uint64_t bytes) override;

    // Says how the run ended, and returns the exit status.
    int Finish(const batch::StreamResult& result) const;

    void Say(const std::string& text) const;  // a message, the progress line cleared first
    void ClearProgress() const;
    // On a terminal, `text` in place of the progress line (what a long step is doing).
    void Status(std::string_view text);

  private:
    using Clock = std::chrono::steady_clock;
    void Show(std::string_view text) const;

    int fd_;
    std::string where_;  // "name: ", or ""
    std::string output_;
    bool terminal_;
    mutable bool shownProgress_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
};

}  // namespace cli
