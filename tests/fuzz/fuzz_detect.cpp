// Guessing a file's options: for any bytes the guess ends, and the line it takes for the
// first point reads as a point with the options it prints.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "batch/detect.h"
#include "batch/point_line.h"
#include "properties.h"

using testing_support::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto kSystems = systems::BuiltInSystems();
    const auto& from = kSystems[size > 0 ? data[0] % kSystems.size() : 0];
    const batch::Detection detection = batch::DetectOptions(input, from);
    Check(detection.linesLooked <= batch::DetectLines);
    Check(detection.firstPointLine <= detection.linesLooked);
    if (detection.firstPointLine == 0) {
        Check(detection.separator.value == batch::Separator::Auto && detection.skip.value == 0);
        return 0;
    }
    Check(detection.skip.value < detection.firstPointLine);

    std::string_view line = input;
    for (int n = 1; n < detection.firstPointLine; ++n)
        line.remove_prefix(line.find('\n') + 1);
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (detection.firstPointLine == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    batch::LineRules rules;
    rules.dms = detection.angles && detection.angles->value == batch::AngleReading::Dms;
    rules.columns = detection.columns.value;
    rules.separator = detection.separator.value;
    rules.decimalComma = detection.decimalComma.value;
    rules.encoding = detection.encoding.value;
    std::array<double, 3> values{};
    std::string error;
    Check(batch::ReadPointLine(line, values, error, rules) == batch::LineKind::Point);
    return 0;
}
