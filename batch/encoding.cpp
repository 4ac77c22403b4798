#include "batch/encoding.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace batch {

namespace {

// The characters of Windows-1251's bytes 0x80 to 0xFF, from the Unicode Consortium's mapping
// file CP1251.TXT (MAPPINGS/VENDORS/MICSFT/WINDOWS); below 0x80 the code page is ASCII. The
// file leaves 0x98 undefined: 0 here.
constexpr char32_t kWindows1251[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 0x88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 0x98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // 0xA0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // 0xA8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // 0xB0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // 0xB8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // 0xC0: А to Я, а to я
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  //
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  //
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  //
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  //
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  //
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  //
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// The table turned round once: (character, byte) sorted by character.
using Reverse = std::array<std::pair<char32_t, unsigned char>, 127>;
const Reverse& ReverseTable() {
    static const Reverse table = [] {
        Reverse pairs{};
        std::size_t n = 0;
        for (int byte = 0x80; byte <= 0xFF; ++byte) {
            if (kWindows1251[byte - 0x80] != 0) {
                pairs[n++] = {kWindows1251[byte - 0x80], static_cast<unsigned char>(byte)};
            }
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    }();
    return table;
}

// The Windows-1251 byte of a character; 0 when the code page has none.
unsigned char Windows1251Byte(char32_t c) {
    if (c < 0x80) return static_cast<unsigned char>(c);
    const Reverse& table = ReverseTable();
    const auto found =
        std::lower_bound(table.begin(), table.end(), std::make_pair(c, '\0'),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
    return found != table.end() && found->first == c ? found->second : 0;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character of the byte or bytes at the front of text in `from`; length 0 for none.
Utf8Character ReadCharacter(std::string_view text, Encoding from) {
    const auto byte = static_cast<unsigned char>(text[0]);
    switch (from) {
        case Encoding::Utf8:
            return ReadUtf8(text);
        case Encoding::Windows1251:
            if (byte < 0x80) return {byte, 1};
            return {kWindows1251[byte - 0x80], kWindows1251[byte - 0x80] != 0 ? 1u : 0u};
    }
    return {};
}

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

}  // namespace

Utf8Character ReadUtf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {lead, 1};
    // The length a lead byte announces, and the least character of that length.
    const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || text.size() < length) return {};
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return {};
        c = (c << 6) | (byte(i) & 0x3F);
    }
    constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
    return {c, length};
}

Recoding Recode(std::string_view text, Encoding from, Encoding to, std::string& out) {
    for (std::size_t at = 0; at < text.size();) {
        const auto ascii = static_cast<unsigned char>(text[at]) < 0x80;
        if (ascii) {  // the same byte in both
            out += text[at++];
            continue;
        }
        const Utf8Character read = ReadCharacter(text.substr(at), from);
        if (read.length == 0) {
            return {from == Encoding::Utf8 ? Recoding::Status::InvalidUtf8
                                           : Recoding::Status::UndefinedByte,
                    at};
        }
        switch (to) {
            case Encoding::Utf8:
                AppendUtf8(read.character, out);
                break;
            case Encoding::Windows1251: {
                const unsigned char byte = Windows1251Byte(read.character);
                if (byte == 0) return {Recoding::Status::NoWindows1251Form, at, read.character};
                out += static_cast<char>(byte);
                break;
            }
        }
        at += read.length;
    }
    return {};
}

std::string Describe(const Recoding& recoding, Language language) {
    const auto at = [&](MessageId what, std::initializer_list<std::string_view> arguments = {}) {
        return Message(language, MessageId::AtByte,
                       {std::to_string(recoding.at + 1), Message(language, what, arguments)});
    };
    switch (recoding.status) {
        case Recoding::Status::InvalidUtf8:
            return at(MessageId::NotUtf8);
        case Recoding::Status::UndefinedByte:
            return at(MessageId::UndefinedByte98);
        case Recoding::Status::NoWindows1251Form: {
            std::string character;
            AppendUtf8(recoding.character, character);
            return at(MessageId::NoWindows1251Form, {character, Hex(recoding.character, 4)});
        }
        case Recoding::Status::Done:
            break;
    }
    return at(MessageId::Recoded);
}

std::string ShownAsUtf8(std::string_view text, Encoding from, std::size_t longest) {
    std::string shown;
    std::size_t at = 0;
    while (at < text.size() && at < longest) {
        const Utf8Character read = ReadCharacter(text.substr(at), from);
        if (read.length == 0) {
            shown += "\\x" + Hex(static_cast<unsigned char>(text[at]), 2);
            ++at;
        } else {
            AppendUtf8(read.character, shown);
            at += read.length;
        }
    }
    if (at < text.size()) shown += "...";
    return shown;
}

std::string MessageIn(Encoding to, std::string_view utf8) {
    if (to == Encoding::Utf8) return std::string(utf8);
    std::string out;
    while (!utf8.empty()) {
        const Recoding stop = Recode(utf8, Encoding::Utf8, to, out);
        if (stop.done()) break;
        const Utf8Character read = ReadUtf8(utf8.substr(stop.at));
        out += read.length == 0 ? "?" : "<U+" + Hex(read.character, 4) + ">";
        utf8.remove_prefix(stop.at + std::max<std::size_t>(read.length, 1));
    }
    return out;
}

std::string PrintableName(std::string_view name) {
    std::string shown;
    while (!name.empty()) {
        const Utf8Character c = ReadUtf8(name);
        if (c.length == 0) {
            char byte[5];
            std::snprintf(byte, sizeof byte, "\\x%02X", static_cast<unsigned char>(name[0]));
            shown += byte;
            name.remove_prefix(1);
            continue;
        }
        const bool control = c.character < 0x20 || (c.character >= 0x7f && c.character < 0xa0);
        shown += control ? std::string_view("?") : name.substr(0, c.length);
        name.remove_prefix(c.length);
    }
    return shown;
}

}  // namespace batch
