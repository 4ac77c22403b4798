#include "systems/text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace systems {

namespace {

// Which of the forms a count takes, by the Unicode CLDR plural rules: English one (1) and
// other; Russian one (1, 21, 101...), few (2–4, 22–24...) and many (the rest, 11–14 too).
std::size_t PluralForm(Language language, long long n) {
    const long long last = n % 10, lastTwo = n % 100;
    switch (language) {
        case Language::English:
            return n == 1 ? 0 : 1;
        case Language::Russian:
            if (last == 1 && lastTwo != 11) return 0;
            if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14)) return 1;
            return 2;
    }
    return 0;
}

// The form `choice` of the forms "one|few|many", or all of them when it has fewer.
std::string_view FormOf(std::string_view forms, std::size_t choice) {
    for (; choice > 0; --choice) {
        const std::size_t bar = forms.find('|');
        if (bar == std::string_view::npos) return forms;
        forms.remove_prefix(bar + 1);
    }
    return forms.substr(0, forms.find('|'));
}

}  // namespace

std::string Fill(Language language, std::string_view text,
                 std::initializer_list<std::string_view> arguments) {
    std::string out;
    while (!text.empty()) {
        const std::size_t open = text.find('{');
        const std::size_t close = text.find('}', open);
        out += text.substr(0, open);
        if (open == std::string_view::npos || close == std::string_view::npos) break;
        const std::string_view placeholder = text.substr(open + 1, close - open - 1);
        text.remove_prefix(close + 1);
        std::size_t n = 0;
        const auto [end, error] =
            std::from_chars(placeholder.data(), placeholder.data() + placeholder.size(), n);
        const std::string_view forms = placeholder.substr(end - placeholder.data());
        if (error != std::errc() || n < 1 || n > arguments.size() ||
            !(forms.empty() || forms.front() == ':')) {
            out += "{" + std::string(placeholder) + "}";  // for the tables' tests to see
            continue;
        }
        const std::string_view argument = arguments.begin()[n - 1];
        if (forms.empty()) {
            out += argument;
            continue;
        }
        long long count = 0;
        std::from_chars(argument.data(), argument.data() + argument.size(), count);
        out += FormOf(forms.substr(1), PluralForm(language, count < 0 ? -count : count));
    }
    return out;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::string Figure(Language language, std::string number) {
    if (language == Language::Russian) std::replace(number.begin(), number.end(), '.', ',');
    return number;
}

std::string QuotedString(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace systems
