#include "platform/user_locale.h"

#include "platform/win32_support.h"

namespace vfs::platform {

char UserDecimalSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 0) return '.';
    // A separator of more than one byte cannot be carried in a char; fall back to '.'.
    const std::string text = Utf8(separator);
    return text.size() == 1 ? text[0] : '.';
}

}  // namespace vfs::platform
