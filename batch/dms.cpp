#include "batch/dms.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "controller/number_text.h"

namespace batch {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// An ASCII letter: a hemisphere letter stands beside a number or a mark, never inside a word
// ("nan" is no north).
bool IsLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A hemisphere letter at the front (or back) of text, taken off it: +1 north or east, −1
// south or west, 0 for none; `latitude` says which letters belong.
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
        const std::size_t size = letter.spelling.size();
        if (text.size() <= size) continue;  // a letter alone is no angle
        const bool here = front ? text.substr(0, size) == letter.spelling && !IsLetter(text[size])
                                : text.substr(text.size() - size) == letter.spelling &&
                                      !IsLetter(text[text.size() - size - 1]);
        if (!here) continue;
        if (letter.latitude != latitude) return 2;  // a letter of the other kind
        text = front ? text.substr(size) : text.substr(0, text.size() - size);
        return letter.sign;
    }
    return 0;
}

// One part of an angle at the front of text: decimal digits with at most one point, no sign
// and no exponent. Its length, 0 when text does not begin with one.
std::size_t PartLength(std::string_view text) {
    std::size_t length = 0, digits = 0;
    bool point = false;
    for (; length < text.size(); ++length) {
        if (IsDigit(text[length])) {
            ++digits;
        } else if (text[length] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    return digits > 0 ? length : 0;
}

}  // namespace

bool ReadDms(std::string_view text, bool latitude, double& degrees, MessageId& why) {
    int sign = 1;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        sign = text[0] == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    const int front = TakeHemisphere(text, true, latitude);
    const int back = TakeHemisphere(text, false, latitude);
    // Spreadsheets write the letter a blank apart ("55°45'30,5" С"): the blank goes with it.
    while ((front != 0 || back != 0) && !text.empty() &&
           (text.front() == ' ' || text.back() == ' ')) {
        text = text.front() == ' ' ? text.substr(1) : text.substr(0, text.size() - 1);
    }
    if (front == 2 || back == 2) {
        why = latitude ? MessageId::IsLatitudeLetter : MessageId::IsLongitudeLetter;
        return false;
    }
    if ((front != 0) + (back != 0) + (sign == -1) > 1) {
        why = MessageId::HasSignsAndHemispheres;
        return false;
    }
    // Degrees, minutes, seconds, each with the marks that may follow it ("" for none).
    static constexpr std::string_view kMarks[3][3] = {
        {":", "°", "d"}, {":", "'", "′"}, {"\"", "″", ""}};
    double parts[3] = {};
    int count = 0;
    bool fraction = false;  // the part before had one
    while (!text.empty()) {
        const std::size_t length = PartLength(text);
        if (count == 3 || length == 0) {
            why = text[0] == ':' || text[0] == '\''  ? MessageId::HasEmptyPart
                  : text[0] == '-' || text[0] == '+' ? MessageId::HasSignInside
                                                     : MessageId::IsNotAnAngle;
            return false;
        }
        if (fraction) {
            why = MessageId::HasFractionBeforeLast;
            return false;
        }
        const std::string_view part = text.substr(0, length);
        fraction = part.find('.') != std::string_view::npos;
        parts[count] = controller::ReadLeadingReal(part).value;
        if (!std::isfinite(parts[count])) {  // hundreds of digits
            why = MessageId::IsOutOfRange;
            return false;
        }
        text.remove_prefix(length);
        for (std::string_view mark : kMarks[count]) {
            if (text.substr(0, mark.size()) == mark) {
                text.remove_prefix(mark.size());
                if (mark == ":" && text.empty()) {  // "55:": the minutes are missing
                    why = MessageId::HasEmptyPart;
                    return false;
                }
                break;
            }
        }
        ++count;
    }
    if (count == 0) {
        why = MessageId::IsNotAnAngle;
        return false;
    }
    const double d = parts[0], m = parts[1], s = parts[2];
    if (m >= 60 || s >= 60) {
        why = m >= 60 ? MessageId::HasSixtyMinutes : MessageId::HasSixtySeconds;
        return false;
    }
    degrees = sign * (front ? front : back ? back : 1) * (d + m / 60 + s / 3600);
    return true;
}

char* WriteDms(char* out, double degrees, int decimals) {
    decimals = std::clamp(decimals, 0, 12);
    std::uint64_t unit = 1;  // units of a second
    for (int i = 0; i < decimals; ++i)
        unit *= 10;
    // Units of the last decimal, rounded once: no 60 can appear. Beyond 2^63 units (a turn
    // at twelve decimals is 1.3e18) the general form.
    const double scaled = std::fabs(degrees) * 3600 * static_cast<double>(unit);
    if (!(scaled < 0x1p63)) return controller::WriteGeneral(out, degrees, 12);
    const auto units = static_cast<std::uint64_t>(std::llround(scaled));
    const std::uint64_t seconds = units / unit;
    const std::uint64_t d = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    int n = std::snprintf(out, 40, "%s%llu:%02llu:%02llu", degrees < 0 && units > 0 ? "-" : "",
                          static_cast<unsigned long long>(d), static_cast<unsigned long long>(m),
                          static_cast<unsigned long long>(s));
    if (decimals > 0) {
        n += std::snprintf(out + n, 40 - n, ".%0*llu", decimals,
                           static_cast<unsigned long long>(units % unit));
    }
    return out + n;
}

}  // namespace batch
