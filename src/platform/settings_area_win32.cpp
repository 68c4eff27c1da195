#include "platform/settings_area.h"

#include <vector>

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

constexpr wchar_t kAreaKey[] = L"Software\\VB and VBA Program Settings\\";

// A title or section names one key below the area and nothing beside or above it.
bool IsPlainKeyName(const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

std::string SettingsAreaFolder() {
    return {};
}

bool SettingsAreaHolds(const std::string& appTitle) {
    if (!IsPlainKeyName(appTitle)) return false;
    const std::wstring path = kAreaKey + Wide(appTitle);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::string SettingsAreaName() {
    return "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings";
}

std::string SettingsAreaEntry(const std::string& appTitle) {
    return appTitle;
}

std::optional<std::string> ReadSettingsArea(const std::string& appTitle, const std::string& section,
                                            const std::string& key) {
    if (!IsPlainKeyName(appTitle) || !IsPlainKeyName(section) || key.empty()) return std::nullopt;
    const std::wstring path = kAreaKey + Wide(appTitle) + L"\\" + Wide(section);
    const std::wstring value = Wide(key);
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), value.c_str(), RRF_RT_REG_SZ, &type, nullptr,
                     &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::vector<wchar_t> text(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), value.c_str(), RRF_RT_REG_SZ, &type,
                     text.data(), &bytes) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return Utf8(std::wstring(text.data()));
}

}  // namespace vfs::platform
