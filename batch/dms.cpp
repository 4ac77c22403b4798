#include "batch/dms.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "controller/number_text.h"

namespace batch {

namespace {

// A hemisphere letter at the front of text, taken off it: +1 north or east, −1 south or
// west, 0 for none; `latitude` says which letters belong.
int TakeHemisphere(std::string_view& text, bool front, bool latitude) {
    struct Letter {
        std::string_view spelling;
        bool latitude;
        int sign;
    };
    constexpr Letter kLetters[] = {{"N", true, 1},   {"S", true, -1},  {"E", false, 1},
                                   {"W", false, -1}, {"С", true, 1},   {"Ю", true, -1},
                                   {"В", false, 1},  {"З", false, -1}, {"n", true, 1},
                                   {"s", true, -1},  {"e", false, 1},  {"w", false, -1}};
    for (const auto& letter : kLetters) {
        const bool here =
            front ? text.substr(0, letter.spelling.size()) == letter.spelling
                  : text.size() >= letter.spelling.size() &&
                        text.substr(text.size() - letter.spelling.size()) == letter.spelling;
        if (!here) continue;
        if (letter.latitude != latitude) return 2;  // a letter of the other kind
        text = front ? text.substr(letter.spelling.size())
                     : text.substr(0, text.size() - letter.spelling.size());
        return letter.sign;
    }
    return 0;
}

// Takes a leading decimal number off text, and then one of the marks that may follow it.
bool TakeNumber(std::string_view& text, double& value,
                std::initializer_list<std::string_view> marks) {
    const controller::LeadingReal read = controller::ReadLeadingReal(text);
    if (read.length == 0 || text.front() == ' ' || text[0] == '+' || text[0] == '-') return false;
    value = read.value;
    text.remove_prefix(read.length);
    for (std::string_view mark : marks) {
        if (text.substr(0, mark.size()) == mark) {
            text.remove_prefix(mark.size());
            break;
        }
    }
    return std::isfinite(value);
}

}  // namespace

bool ReadDms(std::string_view text, bool latitude, double& degrees, std::string& why) {
    int sign = 1;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        sign = text[0] == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    const int front = TakeHemisphere(text, true, latitude);
    const int back = TakeHemisphere(text, false, latitude);
    if (front == 2 || back == 2) {
        why = latitude ? "is a latitude: N or S, not E or W" : "is a longitude: E or W, not N or S";
        return false;
    }
    if ((front != 0) + (back != 0) + (sign == -1) > 1) {
        why = "has more than one sign or hemisphere";
        return false;
    }
    double d = 0, m = 0, s = 0;
    if (!TakeNumber(text, d, {":", "°", "d"})) {
        why = "is not an angle";
        return false;
    }
    const bool wantsMinutes = !text.empty();
    if (wantsMinutes && !TakeNumber(text, m, {":", "'", "′"})) {
        why = "is not an angle";
        return false;
    }
    if (!text.empty() && !TakeNumber(text, s, {"\"", "″"})) {
        why = "is not an angle";
        return false;
    }
    if (!text.empty()) {
        why = "is not an angle";
        return false;
    }
    if (m >= 60 || s >= 60) {
        why = m >= 60 ? "has 60 minutes or more" : "has 60 seconds or more";
        return false;
    }
    degrees = sign * (front ? front : back ? back : 1) * (d + m / 60 + s / 3600);
    return true;
}

char* WriteDms(char* out, double degrees) {
    if (!(std::fabs(degrees) < 1e9)) return controller::WriteGeneral(out, degrees, 12);
    // Hundred-thousandths of a second, rounded once: no 60 can appear.
    const auto units = static_cast<std::uint64_t>(std::llround(std::fabs(degrees) * 3600e5));
    const std::uint64_t d = units / 360000000, m = units / 6000000 % 60, s = units % 6000000;
    const int n = std::snprintf(
        out, 32, "%s%llu:%02llu:%02llu.%05llu", degrees < 0 && units > 0 ? "-" : "",
        static_cast<unsigned long long>(d), static_cast<unsigned long long>(m),
        static_cast<unsigned long long>(s / 100000), static_cast<unsigned long long>(s % 100000));
    return out + n;
}

}  // namespace batch
