#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Numbers as the program writes and reads them (the settings file, the
// command lines), and the one blank trimmer every reader of text uses.
//
// What counts as a number: an optional "+" or "-", decimal digits with an
// optional decimal point (".5" and "5." too), and an optional exponent
// ("1e3", "2.5E-1") that has digits of its own; the point is always ".",
// whatever the locale. Hexadecimal ("0x10", "&H10"), thousands separators,
// "inf" and "nan" are not numbers, and neither is an empty text or "abc".
namespace number_text {

// The blanks around numbers and command-line switches.
inline constexpr std::string_view kSpaceAndTab = " \t";

// `text` without the characters of `blanks` at either end.
std::string_view trim(std::string_view text, std::string_view blanks = kSpaceAndTab);

// The number scanner: the length in bytes of the number `text` starts with
// (no blanks skipped), 0 when it starts with none. An exponent mark without
// digits after it ("7e", "7e+") is not part of the number.
std::size_t number_length(std::string_view text);

// The whole text, blanks (space, tab) around it allowed, as a number;
// nothing when it is not one or lies beyond a double.
std::optional<double> parse_number(std::string_view text);

// The number the text starts with after blanks ("12abc" gives 12); nothing
// when it starts with none or the number lies beyond a double.
std::optional<double> leading_number(std::string_view text);

// Digits alone, the whole text, in base 10 or 16: no sign, no blanks, no
// point, at most 64 bits. Counts, sizes, seeds and window ids.
std::optional<std::uint64_t> whole_number(std::string_view text, int base = 10);

// The integer part: the value rounded down ("15.7" gives 15, "-3.5" gives
// -4), and nothing when it is not a number or does not fit 16 bits signed.
std::optional<std::int16_t> integer_part(std::string_view text);

// The value rounded to the nearest integer, halves to even ("12.5" gives 12,
// "13.5" gives 14); nothing when it is not a number or does not fit 32 bits.
std::optional<std::int32_t> rounded_int32(std::string_view text);

// The number with a sign position: " 15", " 0", "-3".
std::string signed_text(std::int32_t value);

// At least three digits, zero-padded, a "-" before a negative value: "076",
// "255", "-005".
std::string three_digits(int value);

// "RRR-GGG-BBB", e.g. "076-000-000".
std::string color_text(int red, int green, int blue);

// Characters first..first+count-1 (counted from 1, in characters, not bytes)
// of a UTF-8 text; shorter or empty when the text is shorter.
std::string_view char_slice(std::string_view utf8, std::size_t first, std::size_t count);

} // namespace number_text
