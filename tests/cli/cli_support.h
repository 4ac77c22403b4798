// Runs the batch conversion on a text and collects what it writes.
#pragma once

#include <cstdio>
#include <string>

#include "cli/batch.h"

namespace cli::testing {

struct Run {
    int status;
    std::string output;
    std::string messages;
};

inline std::string ReadAll(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) {
        text.append(chunk, got);
    }
    return text;
}

inline Run Convert(const Options& options, const std::string& input) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* messages = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::fflush(in);
    std::rewind(in);
    Run run;
    run.status = ConvertStream(options, fileno(in), fileno(out), fileno(messages));
    run.output = ReadAll(out);
    run.messages = ReadAll(messages);
    std::fclose(in);
    std::fclose(out);
    std::fclose(messages);
    return run;
}

}  // namespace cli::testing
