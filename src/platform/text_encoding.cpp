#include "platform/text_encoding.h"

namespace vfs::platform {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

// Well-formed UTF-8 as the standard defines it: no overlong forms, no surrogates, nothing
// beyond U+10FFFF.
bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (i + length > bytes.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            const unsigned char from = k == 1 ? low : 0x80;
            const unsigned char to = k == 1 ? high : 0xBF;
            if (next < from || next > to) return false;
        }
        i += length;
    }
    return true;
}

DecodedText DecodeText(std::string bytes) {
    if (bytes.starts_with(kByteOrderMark)) {
        return {bytes.substr(kByteOrderMark.size()), TextEncoding::Utf8WithMark};
    }
    if (!IsValidUtf8(bytes)) {
        if (std::optional<std::string> text = FromAnsiCodePage(bytes)) {
            return {std::move(*text), TextEncoding::AnsiCodePage};
        }
    }
    return {std::move(bytes), TextEncoding::Utf8};
}

std::string EncodeText(const std::string& utf8, TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::AnsiCodePage:
            if (std::optional<std::string> bytes = ToAnsiCodePage(utf8)) return *bytes;
            return std::string(kByteOrderMark) + utf8;
        case TextEncoding::Utf8WithMark:
            return std::string(kByteOrderMark) + utf8;
        case TextEncoding::Utf8:
            break;
    }
    return utf8;
}

}  // namespace vfs::platform
