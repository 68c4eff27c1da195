// A setting's value as the settings routines hand it around, and the number and flag
// conversions the settings loader applies to it.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace vfs {

// A setting as the store hands it around: text, a whole number or a flag. Values read from
// a file arrive as text, or as a flag when they spell TRUE or FALSE in any case; a default
// that is used comes back in its own kind.
class IniValue {
  public:
    IniValue() = default;  // empty text
    IniValue(std::string text) : value_(std::move(text)) {}
    IniValue(const char* text) : value_(std::string(text)) {}
    IniValue(bool flag) : value_(flag) {}
    template <std::integral T>
    requires(!std::same_as<T, bool>) IniValue(T number) : value_(static_cast<int64_t>(number)) {}

    bool IsText() const { return std::holds_alternative<std::string>(value_); }

    // The value as it is written to a file: text as it stands, a number in plain decimal,
    // a flag as True or False.
    std::string ToText() const;
    // The leading number of the text, 0 when it starts with none ("12abc" is 12, "abc" 0).
    // A number is itself; a flag, whose text is a word, gives 0.
    double Val() const;
    // The whole value as a number: a number is itself, a flag is -1 (true) or 0, a text
    // only when all of it (blanks around aside) is a number. Nothing otherwise.
    std::optional<double> ToNumber() const;
    // The value as a flag: a flag is itself, a number or numeric text is true when not 0,
    // Yes/No and On/Off in any case are words for true and false. Nothing for any other text.
    std::optional<bool> ToFlag() const;

    bool operator==(const IniValue&) const = default;

  private:
    std::variant<std::string, int64_t, bool> value_;
};

// A value as it was stored: the text trimmed of spaces, and TRUE or FALSE in any case as a
// flag. Any other text, "yes" included, stays text.
IniValue FromStoredText(const std::string& raw);

// Whole-number conversion as an assignment makes it: halves go to the even neighbour, and
// a value beyond the range ends at the nearest limit.
int32_t ToInt32(double number);
int16_t ToInt16(double number);

}  // namespace vfs
