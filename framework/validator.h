// Validators owned by edit fields: the plain TValidator accepts everything; a
// TFilterValidator accepts a text only when each of its characters is in its set.
#pragma once

#include <bitset>
#include <string_view>

#include <QString>

class QWidget;

namespace framework {

// A set of the 256 single-byte characters of Windows-1251, built from a pattern read
// left to right: a backslash makes the next character literal; a '-' between two
// characters adds the whole range from the one before to the one after (in signed byte
// order); any other character stands for itself.
class CharacterSet {
  public:
    // pattern is in Windows-1251 bytes.
    explicit CharacterSet(std::string_view pattern);

    bool Contains(unsigned char byte) const { return bits_[byte]; }
    // True when every character of text has a Windows-1251 byte in the set; "" passes.
    bool ContainsAll(const QString& text) const;
    std::size_t Count() const { return bits_.count(); }

  private:
    std::bitset<256> bits_;
};

class TValidator {
  public:
    virtual ~TValidator() = default;

    // Tells the user that the text of owner failed.
    virtual void Error(QWidget* owner);
    // The test of a text as it is being typed.
    virtual bool IsValidInput(const QString& text, bool suppressFill);
    // The test of the whole text when the field is left or closed.
    virtual bool IsValid(const QString& text);
};

class TFilterValidator : public TValidator {
  public:
    explicit TFilterValidator(std::string_view pattern) : set_(pattern) {}

    void Error(QWidget* owner) override;
    bool IsValidInput(const QString& text, bool suppressFill) override;
    bool IsValid(const QString& text) override;

    const CharacterSet& Set() const { return set_; }

  private:
    CharacterSet set_;
};

}  // namespace framework
