#include "platform/user_locale.h"

#include <langinfo.h>
#include <locale.h>

namespace vfs::platform {

char UserDecimalSeparator() {
    locale_t user = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (user == static_cast<locale_t>(0)) return '.';
    const char* radix = ::nl_langinfo_l(RADIXCHAR, user);
    // A separator of more than one byte cannot be carried in a char; fall back to '.'.
    const char separator = (radix && radix[0] != '\0' && radix[1] == '\0') ? radix[0] : '.';
    ::freelocale(user);
    return separator;
}

}  // namespace vfs::platform
