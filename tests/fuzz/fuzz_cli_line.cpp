// coordconv-cli's input: a line is accepted only when it is three finite numbers, and a
// whole stream of any bytes keeps one output line for every input line.
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/point_line.h"
#include "controller/number_text.h"
#include "properties.h"

namespace {

using testing_support::Check;

// An independent reading of a point line: split at runs of blanks, tabs, commas and
// semicolons, and ask the strict reader about each piece.
bool LooksLikeThreeNumbers(std::string_view line) {
    std::vector<std::string_view> pieces;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() &&
               std::string_view(" \t,;").find(line[at]) != std::string_view::npos)
            ++at;
        const std::size_t start = at;
        while (at < line.size() &&
               std::string_view(" \t,;").find(line[at]) == std::string_view::npos)
            ++at;
        if (at > start) pieces.push_back(line.substr(start, at - start));
    }
    if (pieces.size() != 3) return false;
    for (std::string_view piece : pieces) {
        double value;
        if (controller::ReadStrictReal(piece, value) != controller::StrictReal::Number)
            return false;
    }
    return true;
}

int MemoryFile(const char* name, std::string_view contents) {
    const int fd = memfd_create(name, 0);
    Check(fd >= 0);
    for (std::size_t done = 0; done < contents.size();) {
        const ssize_t wrote = write(fd, contents.data() + done, contents.size() - done);
        Check(wrote > 0);
        done += static_cast<std::size_t>(wrote);
    }
    lseek(fd, 0, SEEK_SET);
    return fd;
}

std::string ReadBack(int fd) {
    std::string text;
    lseek(fd, 0, SEEK_SET);
    char chunk[65536];
    for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) > 0;)
        text.append(chunk, got);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Every line on its own.
    std::size_t lines = 0;
    for (std::size_t start = 0; start <= input.size();) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view line = input.substr(start, end - start);
        if (!line.empty() || end < input.size()) ++lines;
        std::array<double, 3> values{};
        std::string error;
        const cli::LineKind kind = cli::ReadPointLine(line, values, error);
        if (kind == cli::LineKind::Point) {
            Check(std::isfinite(values[0]) && std::isfinite(values[1]) && std::isfinite(values[2]));
            std::string_view stripped = line;
            if (!stripped.empty() && stripped.back() == '\r') stripped.remove_suffix(1);
            Check(LooksLikeThreeNumbers(stripped) || LooksLikeThreeNumbers(line));
        } else if (kind == cli::LineKind::Error) {
            Check(!error.empty());
        }
        if (end == input.size()) break;
        start = end + 1;
    }

    // The whole stream, going on after bad lines: the output keeps the lines aligned.
    cli::Options options;
    options.keepGoing = true;
    if (size > 0) {
        options.from = static_cast<controller::CoordinateSystem>(data[0] % 7);
        options.to = static_cast<controller::CoordinateSystem>((data[0] / 7) % 7);
        options.angles =
            data[0] & 0x80 ? controller::AngleForm::Degrees : controller::AngleForm::Display;
    }
    const int in = MemoryFile("points", input);
    const int out = MemoryFile("results", "");
    const int messages = MemoryFile("messages", "");
    const int status = cli::ConvertStream(options, in, out, messages);
    Check(status == cli::ExitOk || status == cli::ExitBadInput);
    const std::string output = ReadBack(out);
    std::size_t outputLines = 0;
    for (char c : output)
        outputLines += c == '\n';
    Check(output.empty() || output.back() == '\n');
    Check(outputLines == lines);
    close(in);
    close(out);
    close(messages);
    return 0;
}
