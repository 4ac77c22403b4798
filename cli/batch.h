// The streaming conversion of a whole file of points: constant memory, large reads and
// writes, one output line for every input line; blocks of lines converted in parallel and
// written in input order.
#pragma once

#include "cli/line_blocks.h"
#include "cli/options.h"

namespace cli {

// Exit statuses.
inline constexpr int ExitOk = 0;
inline constexpr int ExitUsage = 64;
inline constexpr int ExitBadInput = 65;
inline constexpr int ExitNoInput = 66;
inline constexpr int ExitIoError = 74;

// Reads points from the file descriptor input and writes the results to output;
// messages and the progress line go to messages, naming the input when it has a name.
// Returns the exit status.
int ConvertStream(const Options& options, int input, int output, int messages,
                  std::string_view name = {});

// The number of cores: blocks converted at once when --jobs does not say.
unsigned DefaultJobs();

}  // namespace cli
