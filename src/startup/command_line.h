#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The screen-saver command line: "/s" run, "/p <handle>" preview inside the
// window with that handle, "/c" settings, "/a <handle>" change the password.
// Only two pieces of it are ever looked at: the switch letter, the second
// character of the upper-cased text (the first, normally "/" or "-", is not
// examined, so "/s", "-s" and "xs" are all the same), and the handle text,
// everything from the fourth character on (so "/p 1234" and "/p:1234" both
// give "1234").
struct CommandLine {
    std::string text;        // with surrounding blanks removed
    char switch_letter = 0;  // upper case; 0 when the text has no second character
    std::string handle_text; // empty when the text is shorter than four characters

    bool empty() const { return text.empty(); }
};

// Surrounding blanks (spaces, tabs) are dropped first, so that a stray blank
// never turns "/s" into an unknown switch. Characters are bytes here: every
// switch is ASCII, and a text starting with anything else is not a switch.
CommandLine parse_command_line(std::string_view text);

// The leading-number reading of a handle text: the number the text starts
// with (after blanks), "1234xyz" giving 1234 and ":12" or "" giving 0,
// rounded to the nearest 32-bit integer (halves to even). A number beyond
// 32 bits gives 0, as no window has such a handle.
std::int32_t leading_number(std::string_view text);

// The strict reading: the whole text (blanks around it allowed) must be a
// number that fits 32 bits once rounded; otherwise nothing.
std::optional<std::int32_t> strict_int32(std::string_view text);
