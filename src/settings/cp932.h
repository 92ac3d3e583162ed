#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code page 932 (Shift_JIS as Windows defines it) to and from UTF-8. The
// settings file is in this code page on every platform; the program holds
// text as UTF-8 and converts only where it reads or writes the file. The
// conversion is table-driven (cp932_table.inc) and so the same everywhere,
// whatever the system's locale.
namespace cp932 {

// A lead byte opens a two-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool is_lead_byte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The second byte of a two-byte character: 0x40-0x7E and 0x80-0xFC. Trail
// bytes include '@', the letters, '[', '\', ']' and '^' to '~', so text is
// scanned character by character, never byte by byte.
constexpr bool is_trail_byte(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The length in bytes (1 or 2) of the character that starts at `at`. A lead
// byte without a trail byte after it counts as a character of its own.
inline std::size_t char_length(std::string_view text, std::size_t at)
{
    if (is_lead_byte(static_cast<unsigned char>(text[at])) && at + 1 < text.size()
        && is_trail_byte(static_cast<unsigned char>(text[at + 1])))
        return 2;
    return 1;
}

// Never fails: a lead byte that is not followed by a trail byte, and a pair
// that names no character, each become U+FFFD (the lone lead byte alone, so
// the byte after it is read as a character of its own). NUL bytes pass through.
std::string to_utf8(std::string_view cp932_bytes);

// Nothing when the text is not valid UTF-8 or holds a character that code
// page 932 cannot carry. Only exact mappings are used: the one-way ones of
// some converters (U+301C to 0x8160, which reads back as U+FF5E) would change
// the text on the way back, so they count as not encodable.
std::optional<std::string> from_utf8(std::string_view utf8);

// Appends the UTF-8 bytes of one code point (below U+110000) to `out`.
void append_utf8(std::string& out, char32_t c);

} // namespace cp932
