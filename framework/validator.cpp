#include "framework/validator.h"

#include "framework/message_box.h"
#include "framework/windows1251.h"

namespace framework {

CharacterSet::CharacterSet(std::string_view pattern) {
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '\\' && i + 1 < pattern.size()) {
            bits_.set(static_cast<unsigned char>(pattern[++i]));
        } else if (pattern[i] == '-' && i > 0 && i + 1 < pattern.size()) {
            const auto from = static_cast<signed char>(pattern[i - 1]);
            const auto to = static_cast<signed char>(pattern[i + 1]);
            for (int c = from; c <= to; ++c)
                bits_.set(static_cast<unsigned char>(c));
            ++i;
        } else {
            bits_.set(static_cast<unsigned char>(pattern[i]));
        }
    }
}

bool CharacterSet::ContainsAll(const QString& text) const {
    for (char32_t character : text.toUcs4()) {
        const auto byte = ToWindows1251(character);
        if (!byte || !Contains(*byte)) return false;
    }
    return true;
}

void TValidator::Error(QWidget*) {}

bool TValidator::IsValidInput(const QString&, bool) {
    return true;
}

bool TValidator::IsValid(const QString&) {
    return true;
}

void TFilterValidator::Error(QWidget* owner) {
    ShowWarning(owner, QStringLiteral("Ошибка ввода"),
                QStringLiteral("Поле содержит недопустимые символы.\nИсправьте текст поля."));
}

bool TFilterValidator::IsValidInput(const QString& text, bool) {
    return set_.ContainsAll(text);
}

bool TFilterValidator::IsValid(const QString& text) {
    return set_.ContainsAll(text);
}

}  // namespace framework
