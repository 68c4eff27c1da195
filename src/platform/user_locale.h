// The number format the user chose for the system, as sizes are shown to the operator.
#pragma once

namespace vfs::platform {

// The decimal separator of the user's number format; '.' when it is unknown or longer than
// one byte.
char UserDecimalSeparator();

}  // namespace vfs::platform
