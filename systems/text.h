// Texts in the two languages the programs speak: English (coordconv-cli's, kept byte for byte
// since scripts read them) and Russian (the windows'), with numbered placeholders and plurals.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace systems {

enum class Language { English, Russian };

// One text in both languages.
struct Words {
    std::string english;
    std::string russian;
    const std::string& In(Language language) const {
        return language == Language::Russian ? russian : english;
    }
};

// The pattern with {N} replaced by argument N (from 1), and {N:one|other} in English or
// {N:one|few|many} in Russian by the plural form the integer argument N asks for. A
// placeholder without its argument stays as written.
std::string Fill(Language language, std::string_view pattern,
                 std::initializer_list<std::string_view> arguments = {});

// The text with its ASCII letters in lower case: ids and model names are found in any case.
std::string Lower(std::string_view text);

// A number as a text in `language` shows it: Russian writes the decimal comma.
std::string Figure(Language language, std::string number);

// A text in double quotes as JSON strings and TOML's basic strings both write it: quotes,
// backslashes and control characters escaped (\uXXXX), UTF-8 as it is.
std::string QuotedString(std::string_view text);

}  // namespace systems
