#include "config/ini_value.h"
#include "engine/text_helpers.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace vfs {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the number at the head of the text: sign, digits with an optional decimal
// point, an optional exponent (E or D). 0 when no digit is there.
std::size_t NumberLength(const std::string& s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i)
        ++digits;
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && IsDigit(s[i]); ++i)
            ++digits;
    }
    if (digits == 0) return 0;
    std::size_t end = i;
    if (i < s.size() && std::strchr("eEdD", s[i]) != nullptr) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        std::size_t expStart = j;
        while (j < s.size() && IsDigit(s[j]))
            ++j;
        if (j > expStart) end = j;
    }
    return end;
}

// Converts a text that NumberLength accepted in full. Independent of the user's locale, so
// a decimal point is always '.'.
double ParseNumber(std::string s) {
    bool negative = !s.empty() && s.front() == '-';
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.erase(0, 1);
    for (char& c : s) {
        if (c == 'd' || c == 'D') c = 'e';
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec == std::errc::result_out_of_range) value = std::numeric_limits<double>::infinity();
    (void)ptr;
    return negative ? -value : value;
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

template <typename T>
T ToWhole(double number) {
    if (std::isnan(number)) return 0;
    double rounded = std::nearbyint(number);
    if (rounded <= static_cast<double>(std::numeric_limits<T>::min())) {
        return std::numeric_limits<T>::min();
    }
    if (rounded >= static_cast<double>(std::numeric_limits<T>::max())) {
        return std::numeric_limits<T>::max();
    }
    return static_cast<T>(rounded);
}

}  // namespace

std::string IniValue::ToText() const {
    if (const auto* text = std::get_if<std::string>(&value_)) return *text;
    if (const auto* number = std::get_if<int64_t>(&value_)) return std::to_string(*number);
    return std::get<bool>(value_) ? "True" : "False";
}

double IniValue::Val() const {
    if (const auto* number = std::get_if<int64_t>(&value_)) return static_cast<double>(*number);
    // Blanks, tabs and line feeds inside the text do not end the number ("1 2" is 12).
    std::string packed;
    for (char c : ToText()) {
        if (c != ' ' && c != '\t' && c != '\n') packed += c;
    }
    std::size_t length = NumberLength(packed);
    return length == 0 ? 0.0 : ParseNumber(packed.substr(0, length));
}

std::optional<double> IniValue::ToNumber() const {
    if (const auto* number = std::get_if<int64_t>(&value_)) return static_cast<double>(*number);
    if (const auto* flag = std::get_if<bool>(&value_)) return *flag ? -1.0 : 0.0;
    std::string text = TrimSpaces(std::get<std::string>(value_));
    if (text.empty() || NumberLength(text) != text.size()) return std::nullopt;
    return ParseNumber(text);
}

std::optional<bool> IniValue::ToFlag() const {
    if (const auto* flag = std::get_if<bool>(&value_)) return *flag;
    if (IsText()) {
        std::string upper = Upper(TrimSpaces(ToText()));
        // Operators write the words they know from other programs' files; "yes" silently
        // meaning False once replaced files with no backup.
        if (upper == "TRUE" || upper == "YES" || upper == "ON") return true;
        if (upper == "FALSE" || upper == "NO" || upper == "OFF") return false;
    }
    std::optional<double> number = ToNumber();
    if (!number) return std::nullopt;
    return *number != 0;
}

IniValue FromStoredText(const std::string& raw) {
    std::string text = TrimSpaces(raw);
    const std::string upper = Upper(text);
    if (upper == "TRUE") return true;
    if (upper == "FALSE") return false;
    return text;
}

int32_t ToInt32(double number) {
    return ToWhole<int32_t>(number);
}
int16_t ToInt16(double number) {
    return ToWhole<int16_t>(number);
}

}  // namespace vfs
