// The two encodings of the text files a Russian office keeps: UTF-8, and the single-byte
// code page Windows-1251 that Russian Excel saves its CSV files in.
#pragma once

#include <string>
#include <string_view>

#include "batch/messages.h"

namespace batch {

enum class Encoding { Utf8, Windows1251 };

// The UTF-8 byte-order mark, which Excel looks for at the start of a UTF-8 CSV file.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// How recoding a text ended; `at` is the byte of the text where it stopped.
struct Recoding {
    enum class Status { Done, InvalidUtf8, UndefinedByte, NoWindows1251Form };
    Status status = Status::Done;
    std::size_t at = 0;
    char32_t character = 0;  // the character without a Windows-1251 form
    bool done() const { return status == Status::Done; }
};

// Appends text, in the encoding `from`, to out in the encoding `to`; stops at the first byte
// that is no character of `from` or at a character that `to` cannot hold.
Recoding Recode(std::string_view text, Encoding from, Encoding to, std::string& out);

// What went wrong, for a message naming the line ("byte 7: ...").
std::string Describe(const Recoding& recoding, Language language = Language::English);

// Text in `from` as UTF-8 for a message on the terminal: a byte that is no character shows
// as \xHH; at most `longest` bytes of the text, cut between characters ("..." after them).
std::string ShownAsUtf8(std::string_view text, Encoding from, std::size_t longest);

// A message (UTF-8) for an output in `to`: a character Windows-1251 cannot hold shows as
// <U+XXXX>, so that nothing of what it names is lost.
std::string MessageIn(Encoding to, std::string_view utf8);

// The UTF-8 character at the front of text and its length; length 0 when the bytes are no
// character (RFC 3629: no overlong forms, no surrogates, nothing beyond U+10FFFF).
struct Utf8Character {
    char32_t character = 0;
    std::size_t length = 0;
};
Utf8Character ReadUtf8(std::string_view text);

// A file name as a message shows it: control characters (C0, DEL and C1, which a terminal
// would obey) as '?', a byte that is no UTF-8 character as \xHH.
std::string PrintableName(std::string_view name);

}  // namespace batch
