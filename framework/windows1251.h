// The single-byte code page Windows-1251, in which the character sets of the input
// filters are defined.
#pragma once

#include <optional>

namespace framework {

// The Windows-1251 byte of a Unicode character, or none when the code page lacks it.
std::optional<unsigned char> ToWindows1251(char32_t character);

}  // namespace framework
