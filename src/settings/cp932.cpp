#include "settings/cp932.h"

#include <array>
#include <cstdint>
#include <memory>

namespace cp932 {
namespace {

#include "settings/cp932_table.inc"

constexpr std::uint16_t kNoChar = 0xFFFF;
constexpr char32_t kReplacement = 0xFFFD;

int lead_index(unsigned char lead) { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + (0xA0 - 0x81); }

// Reads one UTF-8 character at `at`, advancing it; nothing on malformed input
// (overlong forms, surrogates and values above U+10FFFF included).
std::optional<char32_t> next_utf8(std::string_view s, std::size_t& at)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char b = byte(at);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || s.size() - at <= std::size_t(extra))
        return std::nullopt;
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (byte(at + k) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    at += extra + 1;
    return c;
}

// Character to code (single bytes below 0x100), the lowest code winning
// where several decode to the same character, as the code page's own
// encoder chooses; kNoChar where there is none.
const std::array<std::uint16_t, 0x10000>& encode_table()
{
    static const auto table = [] {
        auto t = std::make_unique<std::array<std::uint16_t, 0x10000>>();
        t->fill(kNoChar);
        for (int b = 0; b < 256; ++b)
            if (kCp932SingleByte[b] != kNoChar && (*t)[kCp932SingleByte[b]] == kNoChar)
                (*t)[kCp932SingleByte[b]] = std::uint16_t(b);
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!is_lead_byte(static_cast<unsigned char>(lead)))
                continue;
            for (int k = 0; k < kCp932TrailCount; ++k) {
                std::uint16_t c = kCp932DoubleByte[lead_index(static_cast<unsigned char>(lead))][k];
                if (c != 0 && (*t)[c] == kNoChar)
                    (*t)[c] = std::uint16_t((lead << 8) | (kCp932TrailFirst + k));
            }
        }
        return t;
    }();
    return *table;
}

} // namespace

void append_utf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

std::string to_utf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        auto b = static_cast<unsigned char>(bytes[at]);
        if (kCp932SingleByte[b] != kNoChar) {
            append_utf8(out, kCp932SingleByte[b]);
            ++at;
        } else if (char_length(bytes, at) == 2) {
            auto trail = static_cast<unsigned char>(bytes[at + 1]);
            std::uint16_t c = kCp932DoubleByte[lead_index(b)][trail - kCp932TrailFirst];
            append_utf8(out, c != 0 ? c : kReplacement);
            at += 2;
        } else {
            append_utf8(out, kReplacement);
            ++at;
        }
    }
    return out;
}

std::optional<std::string> from_utf8(std::string_view utf8)
{
    const auto& table = encode_table();
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        auto c = next_utf8(utf8, at);
        if (!c || *c > 0xFFFF || table[*c] == kNoChar)
            return std::nullopt;
        std::uint16_t code = table[*c];
        if (code > 0xFF)
            out += char(code >> 8);
        out += char(code & 0xFF);
    }
    return out;
}

} // namespace cp932
