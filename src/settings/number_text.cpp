#include "settings/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace number_text {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

} // namespace

std::optional<double> parse_number(std::string_view text)
{
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1); // from_chars takes "-" but not "+"

    // Check the whole text against the form above before converting, since
    // from_chars alone would also take "inf", "nan" and stop at junk.
    std::size_t at = text.starts_with('-') ? 1 : 0;
    std::size_t digits = 0;
    while (at < text.size() && is_digit(text[at]))
        ++at, ++digits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && is_digit(text[at]))
            ++at, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-'))
            ++at;
        std::size_t exponent_digits = 0;
        while (at < text.size() && is_digit(text[at]))
            ++at, ++exponent_digits;
        if (exponent_digits == 0)
            return std::nullopt;
    }
    if (at != text.size())
        return std::nullopt;

    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int16_t> integer_part(std::string_view text)
{
    auto value = parse_number(text);
    if (!value)
        return std::nullopt;
    double whole = std::floor(*value);
    if (whole < std::numeric_limits<std::int16_t>::min() || whole > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return std::int16_t(whole);
}

std::optional<std::int32_t> rounded_int32(std::string_view text)
{
    auto value = parse_number(text);
    if (!value)
        return std::nullopt;
    double whole = std::nearbyint(*value); // the default rounding mode: nearest, halves to even
    if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(whole);
}

std::string signed_text(std::int32_t value)
{
    std::int64_t magnitude = std::llabs(std::int64_t(value));
    return (value < 0 ? "-" : " ") + std::to_string(magnitude);
}

std::string three_digits(int value)
{
    std::string digits = std::to_string(std::llabs(std::int64_t(value)));
    if (digits.size() < 3)
        digits.insert(0, 3 - digits.size(), '0');
    return value < 0 ? "-" + digits : digits;
}

std::string color_text(int red, int green, int blue)
{
    return three_digits(red) + "-" + three_digits(green) + "-" + three_digits(blue);
}

std::string_view char_slice(std::string_view utf8, std::size_t first, std::size_t count)
{
    auto is_continuation = [&](std::size_t at) { return (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80; };
    auto advance = [&](std::size_t at, std::size_t chars) {
        for (; chars > 0 && at < utf8.size(); --chars) {
            ++at;
            while (at < utf8.size() && is_continuation(at))
                ++at;
        }
        return at;
    };
    std::size_t start = advance(0, first - 1);
    std::size_t stop = advance(start, count);
    return utf8.substr(start, stop - start);
}

} // namespace number_text
