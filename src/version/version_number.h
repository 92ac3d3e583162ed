#pragma once

#include <string_view>

// The program's version, as the version card shows it ("Version " and this).
inline constexpr std::string_view kVersionNumber = "3.1.0";
