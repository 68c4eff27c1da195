// Text files of the program's settings as other programs wrote them: UTF-8 with or without a
// byte-order mark, or on Windows the ANSI code page (as the system's profile functions and
// Notepad's "ANSI" write them). Inside the program all text is UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vfs::platform {

enum class TextEncoding { Utf8, Utf8WithMark, AnsiCodePage };

struct DecodedText {
    std::string utf8;
    TextEncoding encoding = TextEncoding::Utf8;
};

bool IsValidUtf8(std::string_view bytes);

// The bytes of a file as UTF-8 text and the encoding they were found in: UTF-8 where they
// are valid UTF-8 (a leading byte-order mark is taken off), else the ANSI code page on
// Windows; elsewhere bytes that are no valid UTF-8 are kept as they stand.
DecodedText DecodeText(std::string bytes);
// The text in the encoding it was read in. A text the ANSI code page cannot hold (a folder
// chosen with letters outside it) is written as UTF-8 with a byte-order mark instead, so no
// letter is lost and the next read finds it again.
std::string EncodeText(const std::string& utf8, TextEncoding encoding);

// The conversions to and from the ANSI code page; nothing where there is none (Linux) or
// where a letter has no place in it.
std::optional<std::string> FromAnsiCodePage(std::string_view bytes);
std::optional<std::string> ToAnsiCodePage(std::string_view utf8);

}  // namespace vfs::platform
