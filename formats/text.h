// Texts the formats library writes into its messages and a table's fields.
#pragma once

#include <charconv>
#include <string>
#include <string_view>

namespace formats {

// A name as messages quote it: "name".
inline std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The shortest text that reads back to the same double.
inline std::string Shortest(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace formats
