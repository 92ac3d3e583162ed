#pragma once

#include <string>
#include <string_view>

namespace host {

// The text of a message box made to fit a screen. A system's message box
// breaks its lines only at blanks (or lets its text engine pick places),
// so a long path, which has none, would make the box as wide as the path,
// wider than any screen. Here every run without blanks that is wider than
// kMessageColumns columns is broken into lines of at most that width,
// after a '/' or '\' where one falls in its second half; and a line of the
// text wider than kMessageLineColumns loses its middle to "…", so that
// the box stays within the screen's height too, while the beginning and the
// end of a path (its drive and its file name) still show. A narrow
// character takes one column and a wide one (CJK, full-width forms) two;
// half-width katakana are narrow. Bytes that are not UTF-8 pass unchanged,
// one column each.
inline constexpr int kMessageColumns = 64;
inline constexpr int kMessageLineColumns = 6 * kMessageColumns;

std::string message_box_text(std::string_view utf8);

} // namespace host
