// The program's settings file: one profile file per session beside the program, read once
// at start-up (LoadSettings) and written back at shutdown (SaveSettings). A few values are
// written the moment they change through SaveInit.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "engine/context.h"

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
    bool IsNumber() const { return std::holds_alternative<int64_t>(value_); }
    bool IsFlag() const { return std::holds_alternative<bool>(value_); }

    // The value as it is written to a file: text as it stands, a number in plain decimal,
    // a flag as True or False.
    std::string ToText() const;
    // The leading number of the text, 0 when it starts with none ("12abc" is 12, "abc" 0).
    // A number is itself; a flag, whose text is a word, gives 0.
    double Val() const;
    // The whole value as a number: a number is itself, a flag is -1 (true) or 0, a text
    // only when all of it (blanks around aside) is a number. Nothing otherwise.
    std::optional<double> ToNumber() const;
    // The value as a flag: a flag is itself, a number or numeric text is true when not 0.
    // Nothing for any other text.
    std::optional<bool> ToFlag() const;

    bool operator==(const IniValue&) const = default;

  private:
    std::variant<std::string, int64_t, bool> value_;
};

// Whole-number conversion as an assignment makes it: halves go to the even neighbour, and
// a value beyond the range ends at the nearest limit.
int32_t ToInt32(double number);
int16_t ToInt16(double number);

// SettingsFolder + "VarnelFileSync" + SessionSuffix + ".ini".
std::string SettingsFilePath(const Context& ctx);

// One key of a profile file, trimmed, TRUE/FALSE in any case as a flag; the default when
// the key is missing.
IniValue ReadIniString(const std::string& file, const std::string& section, const std::string& key,
                       const IniValue& defaultValue);
// Writes the value's text; a file that cannot be written loses the write silently.
void WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const IniValue& value);

// One key of the settings file; the default when it is missing or blank.
IniValue GetInit(const Context& ctx, const std::string& section, const std::string& key,
                 const IniValue& defaultValue);
// Writes one key of the settings file at once.
void SaveInit(Context& ctx, const std::string& section, const std::string& key,
              const IniValue& value);
// One value of the automation system's own settings, read through
// ctx.ports.automationSettings; the default when there is none.
IniValue GetSpecifiedInit(Context& ctx, const std::string& appTitle, const std::string& section,
                          const std::string& key, const IniValue& defaultValue);

// Reads every setting into the program state and the form, with the abnormal-shutdown and
// first-run checks. Called once at start-up, after the session is known.
void LoadSettings(Context& ctx);
// Writes every setting back, including the shutdown marker. Called once while unloading.
void SaveSettings(Context& ctx);

}  // namespace vfs
