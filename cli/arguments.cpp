#include "cli/arguments.h"

#include <charconv>

namespace cli {

bool ReadInteger(std::string_view text, int low, int high, int& value) {
    int read = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), read);
    if (error != std::errc() || end != text.data() + text.size() || read < low || read > high) {
        return false;
    }
    value = read;
    return true;
}

std::optional<batch::AngleText> ReadAngleText(std::string_view text) {
    if (text == "packed") return batch::AngleText::Packed;
    if (text == "degrees") return batch::AngleText::Degrees;
    if (text == "dms") return batch::AngleText::Dms;
    return std::nullopt;
}

}  // namespace cli
