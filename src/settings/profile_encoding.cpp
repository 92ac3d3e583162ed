// Settings files that a text editor saved in a Unicode encoding; see profile.h.
#include "settings/profile.h"

#include "settings/cp932.h"

#include <cstdint>

namespace profile {

namespace {

// U+FFFD for what cannot be decoded.
constexpr char32_t kReplacement = 0xFFFD;

// UTF-16 in either byte order to UTF-8; a lone surrogate or a last odd byte
// becomes U+FFFD and makes the result inexact.
std::string utf16_to_utf8(std::string_view bytes, bool big_endian, bool& exact)
{
    auto unit = [&](std::size_t at) {
        const auto a = std::uint8_t(bytes[at]), b = std::uint8_t(bytes[at + 1]);
        return char16_t(big_endian ? (a << 8 | b) : (b << 8 | a));
    };
    std::string out;
    std::size_t at = 0;
    for (; at + 1 < bytes.size(); at += 2) {
        const char16_t u = unit(at);
        if (u >= 0xD800 && u <= 0xDBFF && at + 3 < bytes.size()) {
            const char16_t low = unit(at + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp932::append_utf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(low) - 0xDC00));
                at += 2;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            cp932::append_utf8(out, kReplacement);
            exact = false;
            continue;
        }
        cp932::append_utf8(out, u);
    }
    if (at < bytes.size())
        exact = false;
    return out;
}

// The length of the UTF-8 sequence that starts with this byte, 0 if none does.
std::size_t utf8_length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// UTF-8 to code page 932 character by character, so that one character
// the code page lacks costs only itself ("?") and not the whole text.
std::string utf8_to_cp932(std::string_view text, bool& exact)
{
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = utf8_length(static_cast<unsigned char>(text[at]));
        for (std::size_t k = 1; k < length && at + k < text.size(); ++k)
            if ((static_cast<unsigned char>(text[at + k]) & 0xC0) != 0x80)
                length = 0; // a broken sequence: its lead byte alone is dropped
        if (length == 0 || at + length > text.size()) {
            out += '?';
            exact = false;
            ++at;
            continue;
        }
        if (auto bytes = cp932::from_utf8(text.substr(at, length))) {
            out += *bytes;
        } else {
            out += '?';
            exact = false;
        }
        at += length;
    }
    return out;
}

} // namespace

bool starts_with_byte_order_mark(std::string_view bytes)
{
    return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE")
           || bytes.starts_with("\xFE\xFF");
}

Cp932Text file_text_as_cp932(std::string_view bytes)
{
    Cp932Text result;
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        result.bytes = utf8_to_cp932(bytes.substr(3), result.exact);
    } else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        const std::string utf8 = utf16_to_utf8(bytes.substr(2), bytes[0] == '\xFE', result.exact);
        result.bytes = utf8_to_cp932(utf8, result.exact);
    } else {
        result.bytes = std::string(bytes);
    }
    return result;
}

} // namespace profile
