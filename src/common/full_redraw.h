#pragma once

#include <cstdlib>
#include <string_view>

// True when the environment asks the saver for whole restores and presents
// (ORVELUNE_FULL_REDRAW set to anything but empty or "0"), for comparing
// them with the partial ones. The programs read it and pass it on as one of
// the saver's options; the engine reads no environment.
inline bool full_redraw_requested()
{
    const char* value = std::getenv("ORVELUNE_FULL_REDRAW");
    return value != nullptr && value[0] != '\0' && std::string_view(value) != "0";
}
