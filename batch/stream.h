// The streaming conversion of a whole file of points: constant memory, large reads and
// writes, one output line for every input line; blocks of lines converted in parallel and
// written in input order.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "batch/conversion_options.h"

namespace batch {

// Something to say about one line: a warning, or what is wrong with a bad line
// ("field 2 \"55.3x\" is not a number").
struct LineNote {
    std::uint64_t line = 0;
    std::string text;
    bool warning = false;
};

// What a conversion reports as it goes: on the thread that runs it, in line order.
class Observer {
  public:
    virtual ~Observer() = default;
    // A warning, or a bad line written as "# error: ..." (options.keepGoing).
    virtual void Note(const LineNote&) {}
    // After each block written: the points converted and the bytes read so far.
    virtual void Progress(std::uint64_t /*points*/, std::uint64_t /*bytes*/) {}
    // Asked before each block is read; true ends the run.
    virtual bool Cancelled() { return false; }
};

enum class Outcome { Done, BadLine, ReadFailed, WriteFailed, Cancelled };

struct StreamResult {
    Outcome outcome = Outcome::Done;
    std::uint64_t points = 0;
    std::uint64_t badLines = 0;  // written as "# error: ..." (options.keepGoing)
    LineNote stop;               // the bad line that ended the run (Outcome::BadLine)
    int systemError = 0;         // errno of the read or write that failed
    // Outcome::ReadFailed with systemError 0: a regular file ended before the size it had when
    // the run began.
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesExpected = 0;
};

// Reads points from the file descriptor input and writes the results to output. Without
// options.keepGoing the first bad line ends the run, after everything before it is written.
StreamResult ConvertStream(const ConversionOptions& options, int input, int output,
                           Observer& observer);

// The number of cores: blocks converted at once when options.jobs does not say.
unsigned DefaultJobs();

// All of text to fd, again after an interrupted write; false with errno set when a write fails.
bool WriteAll(int fd, std::string_view text);

}  // namespace batch
