#include "settings/number_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace number_text {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The value of a text that number_length() took whole.
std::optional<double> value_of(std::string_view number)
{
    if (number.starts_with('+'))
        number.remove_prefix(1); // from_chars takes "-" but not "+"
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::string_view trim(std::string_view text, std::string_view blanks)
{
    std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::size_t number_length(std::string_view text)
{
    std::size_t at = 0;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        ++at;
    std::size_t digits = 0;
    while (at < text.size() && is_digit(text[at]))
        ++at, ++digits;
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && is_digit(text[at]))
            ++at, ++digits;
    }
    if (digits == 0)
        return 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t exponent = at + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        if (exponent < text.size() && is_digit(text[exponent])) {
            while (exponent < text.size() && is_digit(text[exponent]))
                ++exponent;
            at = exponent;
        }
    }
    return at;
}

std::optional<double> parse_number(std::string_view text)
{
    text = trim(text);
    std::size_t length = number_length(text);
    if (length == 0 || length != text.size())
        return std::nullopt;
    return value_of(text);
}

std::optional<double> leading_number(std::string_view text)
{
    text = trim(text);
    std::size_t length = number_length(text);
    if (length == 0)
        return std::nullopt;
    return value_of(text.substr(0, length));
}

std::optional<std::uint64_t> whole_number(std::string_view text, int base)
{
    // from_chars alone would take a leading "-" for signed types and stop
    // at the first stranger; only an unsigned read of the whole text counts.
    std::uint64_t value = 0;
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
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
