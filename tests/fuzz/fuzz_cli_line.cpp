// coordconv-cli's input: a line is accepted only when it is three finite numbers, and a
// whole stream of any bytes keeps one output line for every input line.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "batch/point_line.h"
#include "batch/stream.h"
#include "properties.h"

using testing_support::Check;

namespace {

// An independent reading of a point line: the pieces between blanks, tabs, commas,
// semicolons and quotes (a number may stand in quotes), each read strictly.
bool LooksLikeThreeNumbers(std::string line) {
    std::replace_if(
        line.begin(), line.end(),
        [](char c) { return c == ',' || c == ';' || c == '\t' || c == '"'; }, ' ');
    std::istringstream pieces(line);
    int count = 0;
    double value;
    for (std::string piece; pieces >> piece; ++count) {
        if (controller::ReadStrictReal(piece, value) != controller::StrictReal::Number)
            return false;
    }
    return count == 3;
}

int MemoryFile(std::string_view contents) {
    const int fd = memfd_create("coordconv", 0);
    Check(fd >= 0 && write(fd, contents.data(), contents.size()) == ssize_t(contents.size()));
    lseek(fd, 0, SEEK_SET);
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // Every line on its own; a line with a '\r' end is read without it.
    std::size_t lines = 0;
    for (std::size_t start = 0, end = 0; start < input.size(); start = end + 1, ++lines) {
        end = std::min(input.find('\n', start), input.size());
        std::string_view line = input.substr(start, end - start);
        std::array<double, 3> values{};
        std::string error;
        const batch::LineKind kind = batch::ReadPointLine(line, values, error);
        if (kind == batch::LineKind::Point) {
            Check(std::isfinite(values[0]) && std::isfinite(values[1]) && std::isfinite(values[2]));
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            Check(LooksLikeThreeNumbers(std::string(line)));
        }
        Check(kind != batch::LineKind::Error || !error.empty());
    }

    // The whole stream, going on after bad lines: the output keeps the lines aligned.
    const auto kSystems = systems::BuiltInSystems();
    batch::ConversionOptions options;
    options.keepGoing = true;
    if (size > 0) {
        options.from = kSystems[data[0] % kSystems.size()];
        options.to = kSystems[(data[0] / 3) % kSystems.size()];
        options.parameters =
            data[0] & 0x40 ? batch::Parameters::Window : batch::Parameters::Gost2017;
        options.skip = data[0] % 3;
        options.decimals = data[0] & 0x20 ? data[0] % 13 : -1;
        options.dms = (data[0] & 0x10) != 0;
        options.angles =
            data[0] & 0x90 ? controller::AngleForm::Degrees : controller::AngleForm::Display;
    }
    if (size > 1 && (data[1] & 0x80) != 0) {  // coordinates picked out of longer lines
        const int first = data[1] % 5 + 2;
        options.columns = {first, 1, first + 1};
    }
    if (size > 1) {  // office files: decimal commas, the encodings either way, the mark
        options.decimalComma = (data[1] & 0x40) != 0;
        options.encoding = data[1] & 0x20 ? batch::Encoding::Windows1251 : batch::Encoding::Utf8;
        options.outputEncoding =
            data[1] & 0x10 ? batch::Encoding::Windows1251 : batch::Encoding::Utf8;
        options.bom = (data[1] & 0x08) != 0 && options.outputEncoding == batch::Encoding::Utf8;
    }
    if (size > 2) {  // how the results are written
        options.angleDecimals = data[2] & 0x40 ? data[2] % 13 : -1;
        if (data[2] & 0x20) options.anglesOut = static_cast<batch::AngleText>(data[2] % 3);
        options.separator = static_cast<batch::Separator>(data[2] / 3 % 5);
        // The command line refuses a decimal comma in fields apart by commas.
        if (options.decimalComma && options.separator == batch::Separator::Comma) {
            options.separator = batch::Separator::Auto;
        }
    }
    const int in = MemoryFile(input), out = MemoryFile("");
    batch::Observer observer;
    const batch::StreamResult result = batch::ConvertStream(options, in, out, observer);
    Check(result.outcome == batch::Outcome::Done);
    std::string output(lseek(out, 0, SEEK_END), '\0');
    Check(pread(out, output.data(), output.size(), 0) == ssize_t(output.size()));
    Check(output.empty() || output.back() == '\n');
    Check(std::size_t(std::count(output.begin(), output.end(), '\n')) == lines);
    // Each bad line is marked, whatever it holds.
    std::size_t marks = 0;
    for (std::size_t at = output.find("# error: "); at != std::string::npos;
         at = output.find("# error: ", at + 1))
        ++marks;
    Check(marks >= result.badLines);
    close(in);
    close(out);
    return 0;
}
