#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A private-profile (INI) file, read and edited the way the Windows calls
// GetPrivateProfileStringA and WritePrivateProfileStringA read and edit it.
// Section, key and value are code page 932 bytes; this layer never converts.
//
// The reading rules:
// - A line is a section header when, after leading blanks, it starts with
//   "[" and holds a "]"; the name lies between the "[" and the last "]".
// - Any other line holding "=" is a key: the text before the first "=" is
//   its name, the rest its value. Lines without "=" (blank lines, comments)
//   are nobody's key. A comment line such as ";速さ=10" does hold "=", but
//   its name ";速さ" never matches a real key, so it needs no rule of its own.
// - Names and values lose the blanks around them (space, tab, vertical tab,
//   form feed and the Ctrl-Z end-of-file mark); a value quoted from end to end
//   with ' or " loses the quotes.
// - Section and key names match without regard to the case of ASCII letters;
//   two-byte characters must match byte for byte (their trail bytes are
//   never case-folded).
// - Only the first section of a name counts, and in it the first key of a name.
// - A value is cut to 255 bytes (never inside a two-byte character) and ends
//   at the first NUL byte, as the 256-byte buffer of the reading call gives it.
// - Lines end in CR LF, LF or a lone CR.
namespace profile {

// The bytes of a settings file as code page 932 text. A file that a text
// editor saved as UTF-8 or as UTF-16 (either byte order) starts with a
// byte-order mark: its text is converted, without the mark, so that its
// Japanese keys match; `exact` is false when some character could not be
// carried over (a character the code page lacks becomes "?", as does a
// broken sequence). Any other file is code page 932 already and is taken as
// it is.
struct Cp932Text {
    std::string bytes;
    bool exact = true;
};
Cp932Text file_text_as_cp932(std::string_view file_bytes);
bool starts_with_byte_order_mark(std::string_view file_bytes);

class ProfileText {
public:
    ProfileText() = default;
    // The text of a file's bytes, converted by file_text_as_cp932: a file
    // saved with a byte-order mark is read, and written again, in code page 932.
    explicit ProfileText(std::string bytes);
    // False when the file held characters that code page 932 cannot carry,
    // so that writing the text back would lose them.
    bool converted_exactly() const { return m_exact; }

    // The value, or the empty text when the section or key is missing.
    std::string get(std::string_view section, std::string_view key) const;
    // The values of several keys of one section, found in one pass over the
    // text: the i-th value is that of keys[i].
    std::vector<std::string> get_all(std::string_view section, std::span<const std::string> keys) const;

    // Sets the value. An existing key keeps its line, up to and including its
    // "=", and takes the new value after it; a new key gets a line of its own,
    // "key=value", after the last key of the section (right after the header
    // when it has none); a new section goes at the end of the text, after a
    // blank line. Every other line, with its own line end, is kept as it was;
    // new lines end in CR LF. The caller keeps CR, LF and NUL out of all three.
    void set(std::string_view section, std::string_view key, std::string_view value);
    // Sets several keys of one section in one pass over the text, with
    // exactly the bytes that setting them one after another would give.
    void set_all(std::string_view section, std::span<const std::pair<std::string, std::string>> key_values);

    // The whole text: exactly the bytes it was made from (after the
    // conversion above), with the edits.
    const std::string& bytes() const { return m_bytes; }

private:
    // The text is kept as the one string it was read as, and lines are found
    // as they are needed: a file of millions of short lines then costs no
    // more memory than its bytes.
    std::string m_bytes;
    bool m_exact = true;
};

// The largest value the reading call gives back: 255 bytes and the NUL.
constexpr std::size_t kMaxValueBytes = 255;

} // namespace profile
